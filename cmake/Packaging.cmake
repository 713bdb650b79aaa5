# Installation on Linux desktops and the Debian package (scripts/package runs cpack).
# The programs are installed beside their targets in src/CMakeLists.txt; this file adds the
# desktop entry, the icon, the AppStream metainfo and the documentation.

set(VARNEX_APP_ID io.github.varnex.Varnex)
set(VARNEX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# A placeholder address (the ".invalid" default) is no page to show anybody.
set(VARNEX_PUBLIC_HOMEPAGE)
if(NOT VARNEX_HOMEPAGE MATCHES "\\.invalid(/|$)")
  set(VARNEX_PUBLIC_HOMEPAGE ${VARNEX_HOMEPAGE})
endif()

# The script help page is written by the program's own help text.
add_executable(varnex_script_help_doc ${VARNEX_PACKAGING_DIR}/ScriptHelpDoc.cpp)
target_link_libraries(varnex_script_help_doc PRIVATE varnex_ui)
set(VARNEX_SCRIPT_HELP_DOC ${CMAKE_BINARY_DIR}/packaging/ScriptHelpText.html)
add_custom_command(OUTPUT ${VARNEX_SCRIPT_HELP_DOC}
  # A sanitizer build runs the writer too; a leak check that cannot run here must not stop it.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:varnex_script_help_doc> ${VARNEX_SCRIPT_HELP_DOC}
  DEPENDS varnex_script_help_doc
  COMMENT "Writing the script help page")
add_custom_target(varnex_docs ALL DEPENDS ${VARNEX_SCRIPT_HELP_DOC})

install(FILES README.md docs/ReleaseNotes.html ${VARNEX_SCRIPT_HELP_DOC} DESTINATION ${VARNEX_DOC_DIR})

if(UNIX AND NOT APPLE)
  set(VARNEX_METAINFO_URL)
  if(VARNEX_PUBLIC_HOMEPAGE)
    set(VARNEX_METAINFO_URL "\n  <url type=\"homepage\">${VARNEX_PUBLIC_HOMEPAGE}</url>")
  endif()
  configure_file(${VARNEX_PACKAGING_DIR}/${VARNEX_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/packaging/${VARNEX_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${VARNEX_PACKAGING_DIR}/${VARNEX_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${VARNEX_PACKAGING_DIR}/${VARNEX_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${VARNEX_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()
