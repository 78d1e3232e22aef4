# Installing Tavrel (cmake --install, GNUInstallDirs) and packaging it for
# Debian (cpack, scripts/package). An installed copy finds its help and
# translations in share/tavrel and keeps its own files in the user's
# configuration directory.
include(GNUInstallDirs)
if(NOT TARGET tavrel)
    return()
endif()

# Two packages: tavrel, and tavrel-uinput-access with the one device rule that
# reaches beyond Tavrel (component uinput_access); everything else is tavrel's.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME tavrel)
set(TAVREL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tavrel)
# The program finds its data from where its executable is, wherever the prefix.
file(RELATIVE_PATH data_from_bin /root/${CMAKE_INSTALL_BINDIR} /root/${TAVREL_DATA_DIR})
target_compile_definitions(tavrel_platform_posix PRIVATE TAVREL_INSTALLED_DATA="${data_from_bin}")

install(TARGETS tavrel irsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package) also drops the compiler's notes, as the
# distribution's tools do.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program tavrel tavrel-irsim)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
        endforeach()
    endif()")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${TAVREL_DATA_DIR}/help)
if(EXISTS ${PROJECT_SOURCE_DIR}/translations)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/translations/
            DESTINATION ${TAVREL_DATA_DIR}/translations)
endif()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
# KWin lets a program use its fake input and window management when an
# installed desktop file whose Exec names that very executable, by its full
# path, asks for them (X-KDE-Wayland-Interfaces): the menu entry names the
# program where it is installed, which only the install knows (--prefix).
install(CODE "
    file(READ \"${packaging}/org.tavrel.Tavrel.desktop\" entry)
    string(REPLACE \"\nExec=tavrel\n\" \"\nExec=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavrel\n\"
           entry \"\${entry}\")
    file(WRITE \"${CMAKE_BINARY_DIR}/install-desktop/org.tavrel.Tavrel.desktop\" \"\${entry}\")
    file(INSTALL \"${CMAKE_BINARY_DIR}/install-desktop/org.tavrel.Tavrel.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")")

# CHANGELOG.md gives the release notes of the metainfo and the Debian
# changelog; its newest release must be the version being built.
include(${CMAKE_CURRENT_LIST_DIR}/Changelog.cmake)
set(changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
# The packages' maintainer, from the environment of the configure step. The
# project has no public address: the default is one that cannot exist.
set(TAVREL_DEFAULT_MAINTAINER "Tavrel developers <packages@tavrel.invalid>")
if(DEFINED ENV{TAVREL_MAINTAINER} AND NOT "$ENV{TAVREL_MAINTAINER}" STREQUAL "")
    set(TAVREL_MAINTAINER "$ENV{TAVREL_MAINTAINER}")
else()
    set(TAVREL_MAINTAINER "${TAVREL_DEFAULT_MAINTAINER}")
endif()
if(NOT TAVREL_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+\\.[^<>@ ]+>$")
    message(FATAL_ERROR "TAVREL_MAINTAINER is \"${TAVREL_MAINTAINER}\"; it reads "
                        "\"Full Name <address@example.org>\"")
endif()
set(TAVREL_DEBIAN_REVISION 1 CACHE STRING "Debian revision of the package version")
tavrel_changelog(${changelog} tavrel ${TAVREL_DEBIAN_REVISION} "${TAVREL_MAINTAINER}" TAVREL_CHANGELOG)
tavrel_changelog(${changelog} tavrel-uinput-access ${TAVREL_DEBIAN_REVISION} "${TAVREL_MAINTAINER}"
                 TAVREL_UINPUT_CHANGELOG)
if(NOT TAVREL_CHANGELOG_VERSION VERSION_EQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest release is ${TAVREL_CHANGELOG_VERSION}, the "
                        "project's version ${PROJECT_VERSION}: add the release to CHANGELOG.md")
endif()
set(TAVREL_RELEASE_DATE ${TAVREL_CHANGELOG_DATE})
set(TAVREL_APPSTREAM_RELEASES "${TAVREL_CHANGELOG_APPSTREAM}")
configure_file(${packaging}/org.tavrel.Tavrel.metainfo.xml
               ${CMAKE_CURRENT_BINARY_DIR}/org.tavrel.Tavrel.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.tavrel.Tavrel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/icons/tavrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/tavrel-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME tavrel.png)
endforeach()

# Gzipped as Debian wants them: most compression, no name or time stamp inside.
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)
function(tavrel_gzip source target)
    execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${target} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip ${source}: ${failed}")
    endif()
endfunction()

foreach(page tavrel.1 tavrel-irsim.1)
    configure_file(${packaging}/man/${page} ${packaging_out}/${page} @ONLY)
    tavrel_gzip(${packaging_out}/${page} ${packaging_out}/${page}.gz)
    install(FILES ${packaging_out}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tavrel)
file(WRITE ${packaging_out}/changelog.Debian "${TAVREL_CHANGELOG_DEBIAN}")
tavrel_gzip(${packaging_out}/changelog.Debian ${packaging_out}/changelog.Debian.gz)
tavrel_gzip(${changelog} ${packaging_out}/changelog.gz)
install(FILES ${packaging}/copyright ${packaging_out}/changelog.gz ${packaging_out}/changelog.Debian.gz
        DESTINATION ${doc_dir})
# The rule's package carries its own copyright and Debian changelog, as every package does.
set(uinput_out ${packaging_out}/uinput-access)
file(WRITE ${uinput_out}/changelog.Debian "${TAVREL_UINPUT_CHANGELOG_DEBIAN}")
tavrel_gzip(${uinput_out}/changelog.Debian ${uinput_out}/changelog.Debian.gz)
install(FILES ${packaging}/copyright ${uinput_out}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrel-uinput-access COMPONENT uinput_access)
install(FILES ${packaging}/uinput-access/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tavrel-uinput-access
        COMPONENT uinput_access)
install(FILES ${packaging}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME tavrel)

# Device rules (access to receivers and the input device) go where udev reads
# the system's rules; under a prefix other than /usr set the directory, for
# example -DTAVREL_UDEV_RULES_DIR=/etc/udev/rules.d. The receivers' rule,
# read access to infrared receivers only, is tavrel's; the one that lets the
# user at the screen type and point through /dev/uinput, with any program,
# is a package of its own that a user chooses to install.
set(TAVREL_UDEV_RULES_DIR ${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d
    CACHE PATH "Where the udev rules of packaging/udev are installed")
install(FILES ${packaging}/udev/70-tavrel-lirc.rules DESTINATION ${TAVREL_UDEV_RULES_DIR})
install(FILES ${packaging}/udev/70-tavrel-uinput.rules DESTINATION ${TAVREL_UDEV_RULES_DIR}
        COMPONENT uinput_access)

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
