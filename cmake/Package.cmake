# The Debian package: what cmake --install puts under /usr, with the shared
# libraries it links found by dpkg-shlibdeps, so it depends on what it needs.
# scripts/package builds it with the distribution's build flags.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVREL_DEBIAN_REVISION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${TAVREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive the desktop with an infrared remote control")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavrel turns the button presses of an infrared remote, received by a serial\n\
infrared receiver, into keystrokes, pointer actions, started programs and\n\
window messages on the desktop.\n\
.\n\
tavrel-irsim, a simulated receiver, and tavrel --demo let you try it\n\
without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries it links: Qt's platform plugins (the X11 one;
# a dependency the Qt libraries only recommend) and the Wayland one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
# The X server needs XTEST for keystrokes; the window manager hints come from
# any EWMH window manager and are not a package dependency. Qt's own texts
# (Yes, No, the file dialog) follow a translation only where Qt's translations
# are installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
