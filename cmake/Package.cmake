# The Debian package: what cmake --install puts under /usr, with the shared
# libraries it links found by dpkg-shlibdeps, so it depends on what it needs.
# scripts/package builds it with the distribution's build flags.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
# One package per install component: tavrel, and tavrel-uinput-access with
# the rule that opens /dev/uinput to the user at the screen.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tavrel uinput_access)
set(CPACK_DEBIAN_TAVREL_PACKAGE_NAME tavrel)
set(CPACK_DEBIAN_UINPUT_ACCESS_PACKAGE_NAME tavrel-uinput-access)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVREL_DEBIAN_REVISION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${TAVREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVREL_MAINTAINER}")
set(CPACK_DEBIAN_TAVREL_DESCRIPTION
    "drive the desktop with an infrared remote control\n\
Tavrel turns the button presses of an infrared remote into keystrokes,\n\
pointer actions, started programs and window messages on an X11 or Wayland\n\
desktop. The presses come from a receiver on a serial line, from one the\n\
kernel drives (/dev/lircN) or from the LIRC daemon.\n\
.\n\
tavrel-irsim, a simulated receiver, and tavrel --demo let you try it\n\
without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries it links: Qt's platform plugins (the X11 one;
# a dependency the Qt libraries only recommend) and the Wayland one.
set(CPACK_DEBIAN_TAVREL_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
# The X server needs XTEST for keystrokes; the window manager hints come from
# any EWMH window manager and are not a package dependency. Qt's own texts
# (Yes, No, the file dialog) follow a translation only where Qt's translations
# are installed. The uinput rule is what Tavrel types with on Wayland
# desktops that offer it no way in of their own (weston, cage); recommended,
# not required, since it gives the same power to every program of that user.
set(CPACK_DEBIAN_TAVREL_PACKAGE_RECOMMENDS
    "xdg-utils, qt6-translations-l10n, tavrel-uinput-access")

set(CPACK_DEBIAN_UINPUT_ACCESS_DESCRIPTION
    "let the user at the screen type and point through /dev/uinput\n\
A udev rule that gives the user at the screen write access to /dev/uinput,\n\
through which Tavrel makes the virtual keyboard and pointer it types and\n\
points with on Wayland desktops that offer it no way in of their own,\n\
such as weston and cage.\n\
.\n\
Any program of that user may then type and point on the whole desktop as\n\
well, so install this package only where that is wanted. X11 desktops,\n\
wlroots compositors such as sway, GNOME and KDE Plasma do not need it.")
set(CPACK_DEBIAN_UINPUT_ACCESS_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_UINPUT_ACCESS_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_UINPUT_ACCESS_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/uinput-access/postinst
    ${PROJECT_SOURCE_DIR}/packaging/uinput-access/postrm)
set(CPACK_DEBIAN_UINPUT_ACCESS_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
