# Installation on Linux desktops and the Debian package (scripts/package runs cpack).
# The programs are installed beside their targets in src/CMakeLists.txt; this file adds the
# desktop entry, the icon, the AppStream metainfo and the documentation.

set(VARNEX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# A placeholder address (the ".invalid" default) is no page to show anybody.
set(VARNEX_PUBLIC_HOMEPAGE)
if(NOT VARNEX_HOMEPAGE MATCHES "\\.invalid(/|$)")
  set(VARNEX_PUBLIC_HOMEPAGE ${VARNEX_HOMEPAGE})
endif()

# The script help page is written from the help window's own text.
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

# The Debian package: cpack -G DEB in a build directory (scripts/package does it all).
# dpkg-shlibdeps works out which libraries the programs need; the German texts of Qt's own
# dialogs and buttons come from a package no library check can see.
set(VARNEX_PACKAGE_CONTACT "Varnex <varnex@varnex.invalid>" CACHE STRING
    "Maintainer of the Debian package (name <address>)")
set(CPACK_PACKAGE_NAME varnex)
set(CPACK_PACKAGE_VENDOR Varnex)
set(CPACK_PACKAGE_CONTACT ${VARNEX_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terminal for serial ports (German user interface)")
# The program's own version, all four parts (CPack would drop the fourth).
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION "Varnex opens a serial port (RS-232, USB-serial adapters, any tty) with
chosen line settings, shows everything that arrives as text or as a decimal,
hexadecimal or ASCII dump, and sends what you type, written in slash notation.
It keeps named commands with shortcuts and parameters, and runs scripts in a
Pascal dialect on every send or on received data; varnex-script tries a script
on the command line.")
if(VARNEX_PUBLIC_HOMEPAGE)
  set(CPACK_PACKAGE_HOMEPAGE_URL ${VARNEX_PUBLIC_HOMEPAGE})
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
