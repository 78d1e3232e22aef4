# The Debian package: what cmake --install puts under /usr, with the shared
# libraries it links found by dpkg-shlibdeps, so it depends on what it needs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Tavrel developers <tavrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive the desktop with an infrared remote control")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavrel turns the button presses of an infrared remote, received by a serial\n\
infrared receiver, into keystrokes, pointer actions, started programs and\n\
window messages on an X11 desktop.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X server needs XTEST for keystrokes; the window manager hints come from
# any EWMH window manager and are not a package dependency. Qt's own texts
# (Yes, No, the file dialog) follow a translation only where Qt's translations
# are installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)

include(CPack)
