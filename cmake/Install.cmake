# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it.
include(GNUInstallDirs)

set(ZENDRA_APP_ID com.example.zendra)
install(TARGETS zendra zendra-cli kxwrt-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/src/shell/zendra.hlp ${CMAKE_SOURCE_DIR}/src/shell/zendra_en.hlp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zendra)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${ZENDRA_APP_ID}.xml)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/zendra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZENDRA_APP_ID}.svg)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/zendra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ZENDRA_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME zendra)
set(CPACK_PACKAGE_VENDOR "The zendra developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Host program for the KX-WRT540 AVR writer")
set(CPACK_PACKAGE_CONTACT "The zendra developers <zendra@example.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The libraries' packages come from what the executables link (dpkg-shlibdeps); the CJK font shows the
# Japanese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQLite driver is a plugin of Qt SQL, which the shared-library scan cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Host program for the KX-WRT540 AVR writer
 zendra programs, verifies, reads and erases AT90S and ATtiny chips through the KX-WRT540 serial
 writer; zendra-cli does the same from scripts, and kxwrt-sim is a virtual writer.")
include(CPack)
