# Installing Tavrel (cmake --install, GNUInstallDirs) and packaging it for
# Debian (cpack, scripts/package). An installed copy finds its help and
# translations in share/tavrel and keeps its own files in the user's
# configuration directory.
include(GNUInstallDirs)
if(NOT TARGET tavrel)
    return()
endif()

set(TAVREL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/tavrel)
# The program finds its data from where its executable is, wherever the prefix.
file(RELATIVE_PATH data_from_bin /root/${CMAKE_INSTALL_BINDIR} /root/${TAVREL_DATA_DIR})
target_compile_definitions(tavrel_platform_posix PRIVATE TAVREL_INSTALLED_DATA="${data_from_bin}")

install(TARGETS tavrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${TAVREL_DATA_DIR}/help)
if(EXISTS ${PROJECT_SOURCE_DIR}/translations)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/translations/
            DESTINATION ${TAVREL_DATA_DIR}/translations)
endif()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/org.tavrel.Tavrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
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

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
