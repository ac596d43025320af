# What `cmake --install` puts on a system, and the Debian package made from
# it with CPack. Paths follow GNUInstallDirs, so a prefix of /usr gives the
# places a desktop looks for entries, icons, metainfo and manual pages.
include(GNUInstallDirs)
# Installing (and packaging) needs the program and its documents, not every
# test and benchmark; scripts/package.sh builds what the package holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS velvetpane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY scenarios/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velvetpane/scenarios
        FILES_MATCHING PATTERN "*.json")
install(FILES data/velvetpane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/velvetpane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/io.velvetpane.Velvetpane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# udev rules (the seated user's access to the monitors' DDC/CI buses), under
# the prefix so that an install for one user never writes to the system.
file(GLOB VELVETPANE_UDEV_RULES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/udev/*.rules)
install(FILES ${VELVETPANE_UDEV_RULES} DESTINATION lib/udev/rules.d)

# Debian wants manual pages and its changelog compressed with the
# highest level and without a time stamp (reproducible).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(VELVETPANE_GZ_DIR ${CMAKE_BINARY_DIR}/gz)
foreach(pair "velvetpane.1|velvetpane.1.gz" "changelog|changelog.gz")
  string(REPLACE "|" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${VELVETPANE_GZ_DIR}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELVETPANE_GZ_DIR}
    COMMAND ${GZIP_PROGRAM} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/data/${source} > ${VELVETPANE_GZ_DIR}/${target}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/${source} VERBATIM)
  list(APPEND VELVETPANE_GZ_FILES ${VELVETPANE_GZ_DIR}/${target})
endforeach()
add_custom_target(velvetpane_docs ALL DEPENDS ${VELVETPANE_GZ_FILES})
# Whatever builds the program can install it.
add_dependencies(velvetpane velvetpane_docs)
install(FILES ${VELVETPANE_GZ_DIR}/velvetpane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VELVETPANE_GZ_DIR}/changelog.gz data/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velvetpane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velvetpane developers <developers@velvetpane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "brightness, colour and arrangement of every connected screen")
set(CPACK_PACKAGE_DESCRIPTION "A tray program with one panel for every connected screen: brightness of
the built-in backlight, of external monitors over DDC/CI or in software,
warmth, contrast and colour profile, resolution, main display, mirroring,
monitor volume and input, brightness and volume keys with an on-screen level
display, and picture in picture. Quitting restores every screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
