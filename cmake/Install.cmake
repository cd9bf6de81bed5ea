# What `cmake --install` puts where, and the Debian packages `cpack -G DEB` makes of it: zendra (the
# windows and the command line) and zendra-virtual-writer (kxwrt-sim, for trying without hardware and for
# tests), one install component each.
include(GNUInstallDirs)

set(ZENDRA_APP_ID com.example.zendra)
set(ZENDRA_CONTACT "The zendra developers <zendra@example.com>")
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME zendra)
set(ZENDRA_SIM_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zendra-virtual-writer)

install(TARGETS zendra zendra-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zendra)
install(TARGETS kxwrt-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT simulator)
install(FILES ${CMAKE_SOURCE_DIR}/src/shell/zendra.hlp ${CMAKE_SOURCE_DIR}/src/shell/zendra_en.hlp
              ${CMAKE_SOURCE_DIR}/docs/events.schema.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zendra COMPONENT zendra)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT zendra)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT zendra)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${ZENDRA_APP_ID}.xml COMPONENT zendra)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/zendra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZENDRA_APP_ID}.svg COMPONENT zendra)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/zendra-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ZENDRA_APP_ID}.png
            COMPONENT zendra)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/zendra-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zendra-cli COMPONENT zendra)
# udev reads its rules below the system's /usr, not below GNUInstallDirs' multiarch library folder.
get_filename_component(ZENDRA_RULE_DIR ${ZENDRA_LATENCY_RULE_PATH} DIRECTORY)
string(REGEX REPLACE "^/usr/" "" ZENDRA_RULE_DIR ${ZENDRA_RULE_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/${ZENDRA_LATENCY_RULE} DESTINATION ${ZENDRA_RULE_DIR} COMPONENT zendra)

# The manual pages, written in scdoc and made at build time, compressed as Debian wants them.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(ZENDRA_MAN_PAGES zendra zendra-cli kxwrt-sim)
set(ZENDRA_MAN_OUTPUTS)
foreach(page ${ZENDRA_MAN_PAGES})
    configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.scd ${CMAKE_BINARY_DIR}/man/${page}.1.scd @ONLY)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
        COMMAND sh -c "${SCDOC} < ${page}.1.scd > ${page}.1 && ${GZIP} -9nf ${page}.1"
        DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1.scd
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/man VERBATIM)
    list(APPEND ZENDRA_MAN_OUTPUTS ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(zendra_man ALL DEPENDS ${ZENDRA_MAN_OUTPUTS})
install(FILES ${CMAKE_BINARY_DIR}/man/zendra.1.gz ${CMAKE_BINARY_DIR}/man/zendra-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT zendra)
install(FILES ${CMAKE_BINARY_DIR}/man/kxwrt-sim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT simulator)

# Each package's machine-readable copyright (the license text from LICENSE) and changelog.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE ZENDRA_LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ZENDRA_COPYRIGHT_LINE "${ZENDRA_LICENSE}")
set(ZENDRA_COPYRIGHT_HOLDER "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" ZENDRA_LICENSE_BODY "${ZENDRA_LICENSE}")
string(STRIP "${ZENDRA_LICENSE_BODY}" ZENDRA_LICENSE_BODY)
string(REPLACE "\n\n" "\n.\n" ZENDRA_LICENSE_BODY "${ZENDRA_LICENSE_BODY}")
string(REPLACE "\n" "\n " ZENDRA_LICENSE_BODY "${ZENDRA_LICENSE_BODY}")
file(WRITE ${CMAKE_BINARY_DIR}/debian/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: zendra
Upstream-Contact: ${ZENDRA_CONTACT}

Files: *
Copyright: ${ZENDRA_COPYRIGHT_HOLDER}
License: Expat
 ${ZENDRA_LICENSE_BODY}
")
file(READ ${CMAKE_SOURCE_DIR}/data/debian/changelog ZENDRA_CHANGELOG)
if(NOT ZENDRA_CHANGELOG MATCHES "^zendra \\(${PROJECT_VERSION}\\)")
    message(FATAL_ERROR "data/debian/changelog: its first entry must be version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND sh -c "${GZIP} -9nc ${CMAKE_SOURCE_DIR}/data/debian/changelog > ${CMAKE_BINARY_DIR}/debian/changelog.gz"
    DEPENDS ${CMAKE_SOURCE_DIR}/data/debian/changelog VERBATIM)
add_custom_target(zendra_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT zendra)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${ZENDRA_SIM_DOCDIR} COMPONENT simulator)

set(CPACK_PACKAGE_NAME zendra)
set(CPACK_PACKAGE_VENDOR "The zendra developers")
set(CPACK_PACKAGE_CONTACT "${ZENDRA_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug symbols are left out: the packages carry stripped binaries.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL zendra simulator)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SOURCE zendra)
# The libraries' packages come from what the executables link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_ZENDRA_PACKAGE_NAME zendra)
# The CJK font shows the Japanese texts; without it they are boxes, but nothing fails. The PostgreSQL driver
# serves a chip store shared on a server (--db postgresql://...); without it only that is refused, naming it.
set(CPACK_DEBIAN_ZENDRA_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, libqt6sql6-psql")
set(CPACK_DEBIAN_ZENDRA_PACKAGE_SUGGESTS "zendra-virtual-writer")
# The SQLite driver is a plugin of Qt SQL, which the shared-library scan cannot see.
set(CPACK_DEBIAN_ZENDRA_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# The first line is the synopsis; CPack indents the rest and marks the empty line as a paragraph break.
set(CPACK_DEBIAN_ZENDRA_DESCRIPTION "host program for the KX-WRT540 AVR writer
zendra programs, verifies, reads and erases AT90S and ATtiny
microcontrollers through the KX-WRT540 serial in-system programmer, reads
and writes their lock and fuse bits, and updates the writer's firmware.

The package holds the windows (zendra, in Japanese and English) and the
command line (zendra-cli) for scripts and production benches, with manual
pages, bash completion, and a udev rule that sets the latency timer of FTDI
USB serial adapters to 1 ms.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME zendra-virtual-writer)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "virtual KX-WRT540 writer for trying zendra without hardware
kxwrt-sim models the KX-WRT540 serial AVR writer with a chip in its socket
and answers on a pseudo-terminal exactly as the hardware does. It is a tool
for trying zendra and zendra-cli without hardware and for tests: it can
emulate a slow line, a USB adapter's latency, a writer that stops answering
or answers wrongly, and keep a log of every byte.")
include(CPack)
