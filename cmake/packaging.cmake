# Desktop installation (executable, desktop entry, icons, AppStream
# metainfo), the Debian package, and the tests that check them.

include(GNUInstallDirs)

# The reverse-DNS identifier of the desktop application: the name of the
# desktop entry, the metainfo and the icons.
set(PLANNER_APP_ID org.loudspeaker_planner.LoudspeakerPlanner)
set(PLANNER_DESKTOP_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${PLANNER_APP_ID}.desktop)
set(PLANNER_METAINFO_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${PLANNER_APP_ID}.metainfo.xml)
# The MIME type of the project files (*.lsplan), for shared-mime-info.
set(PLANNER_MIME_FILE ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${PLANNER_APP_ID}-mime.xml)

# The 32 x 32 icon, drawn by the same code as the window icon (tools/).
set(PLANNER_ICON_PNG ${CMAKE_CURRENT_BINARY_DIR}/icons/32x32/${PLANNER_APP_ID}.png)
add_custom_command(
  OUTPUT ${PLANNER_ICON_PNG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/32x32
  COMMAND icon-png ${PLANNER_ICON_PNG}
  DEPENDS icon-png
  COMMENT "Drawing the 32x32 program icon"
  VERBATIM)
add_custom_target(planner-icon ALL DEPENDS ${PLANNER_ICON_PNG})

install(TARGETS loudspeaker-planner RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PLANNER_DESKTOP_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PLANNER_METAINFO_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PLANNER_MIME_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${PLANNER_APP_ID}.xml)
install(FILES app/icons/loudspeaker-planner.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${PLANNER_APP_ID}.svg)
install(FILES ${PLANNER_ICON_PNG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME loudspeaker-planner)
set(CPACK_PACKAGE_VENDOR "loudspeaker-planner authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "loudspeaker coverage calculator for public-address systems")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop calculator for engineers who plan the loudspeakers of a
voice-alarm and public-address system in one room: the total sound pressure
of a loudspeaker, its effective range, the floor area it covers at the
listening height and the number of loudspeakers the room needs, for ceiling,
wall and horn loudspeakers. The program speaks Russian.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "loudspeaker-planner authors")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links (Qt, dxflib) come from
# dpkg-shlibdeps; libxlsxwriter (opened when the first workbook is written),
# the Russian Qt texts and the fallback font the window asks for are loaded
# at run time, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libxlsxwriter4, qt6-translations-l10n, fonts-dejavu-core")
# The window needs a Qt platform plugin (xcb or wayland) to show itself.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
include(CPack)

if(BUILD_TESTING)
  # The desktop entry and the metainfo pass their validators.
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  if(DESKTOP_FILE_VALIDATE)
    # desktop-file-validate exits 0 on hints and warnings too: any output fails.
    add_test(NAME desktop_entry_valid
             COMMAND ${DESKTOP_FILE_VALIDATE} ${PLANNER_DESKTOP_FILE})
    set_tests_properties(desktop_entry_valid PROPERTIES
      FAIL_REGULAR_EXPRESSION ": (error|warning|hint): "
      LABELS desktop)
  endif()
  if(APPSTREAMCLI)
    add_test(NAME metainfo_valid
             COMMAND ${APPSTREAMCLI} validate --no-net --explain ${PLANNER_METAINFO_FILE})
    set_tests_properties(metainfo_valid PROPERTIES
      FAIL_REGULAR_EXPRESSION "E: |W: |I: "
      LABELS desktop)
  endif()

  # The newest release in the metainfo is the version being built.
  add_test(NAME metainfo_release_is_project_version
           COMMAND ${CMAKE_COMMAND} -DFILE=${PLANNER_METAINFO_FILE}
                   -DVERSION=${PROJECT_VERSION}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/check-release.cmake)
  set_tests_properties(metainfo_release_is_project_version PROPERTIES LABELS desktop)

  # Builds the Debian package, unpacks it and starts the program from it.
  add_test(NAME package_deb
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/tst_package.sh
                   ${CMAKE_CURRENT_BINARY_DIR} ${PLANNER_APP_ID} ${CMAKE_CPACK_COMMAND})
  set_tests_properties(package_deb PROPERTIES
    LABELS package
    SKIP_RETURN_CODE 77
    TIMEOUT 300)
endif()
