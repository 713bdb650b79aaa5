# The installed program, from the outside: cmake -DBUILD=<build dir> -DROOT=<empty folder>
# -DSTEP=<step> -P InstallTree.cmake. The install step puts the build's content into ROOT/usr
# as a package would; the others look at what landed there.

# Runs a command: result, output (its standard output) and errors (its standard error).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  set(result ${result} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

set(usr ${ROOT}/usr)
set(id io.github.varnex.Varnex)

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${ROOT})
  run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${usr})
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}${errors}")
  endif()

elseif(STEP STREQUAL "files")
  file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${ROOT} ${ROOT}/*)
  list(SORT installed)
  set(expected
    usr/bin/varnex
    usr/bin/varnex-script
    usr/share/applications/${id}.desktop
    usr/share/doc/varnex/README.md
    usr/share/doc/varnex/ReleaseNotes.html
    usr/share/doc/varnex/ScriptHelpText.html
    usr/share/icons/hicolor/scalable/apps/${id}.svg
    usr/share/metainfo/${id}.metainfo.xml)
  if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " installed "${installed}")
    string(REPLACE ";" "\n  " expected "${expected}")
    message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
  endif()
  # The desktop entry starts an installed program and shows an installed icon.
  file(STRINGS ${usr}/share/applications/${id}.desktop exec REGEX "^Exec=")
  file(STRINGS ${usr}/share/applications/${id}.desktop icon REGEX "^Icon=")
  if(NOT exec STREQUAL "Exec=varnex" OR NOT icon STREQUAL "Icon=${id}")
    message(FATAL_ERROR "the desktop entry names ${exec} and ${icon}")
  endif()
  file(READ ${usr}/share/doc/varnex/ScriptHelpText.html help)
  if(NOT help MATCHES "CRC16\\(aInitCRC" OR NOT help MATCHES "</html>")
    message(FATAL_ERROR "the script help page lacks the routines:\n${help}")
  endif()

elseif(STEP STREQUAL "program")
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${usr}/bin/varnex --version)
  if(NOT result EQUAL 0 OR NOT output MATCHES "^Varnex [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n$")
    message(FATAL_ERROR "varnex --version: exit ${result}, output:\n${output}${errors}")
  endif()

elseif(STEP STREQUAL "script")
  # Beside the tree, not in it: the file list is looked at meanwhile.
  set(script ${ROOT}-try.pas)
  file(WRITE ${script} "begin\n  ShowMessage('Zeichen: ' + IntToStr(Length(Text)));\n  Text := Text + '!';\nend.\n")
  run(${usr}/bin/varnex-script --text "Hallo/cr/" ${script})
  if(NOT result EQUAL 0 OR NOT output MATCHES ": Kompilierung erfolgreich\nShowMessage: Zeichen: 6\nText: Hallo/cr/!\n$")
    message(FATAL_ERROR "varnex-script: exit ${result}, output:\n${output}${errors}")
  endif()

elseif(STEP STREQUAL "desktop-entry")
  find_program(validator desktop-file-validate)
  if(NOT validator)
    message("skipped: desktop-file-validate is not installed")
    return()
  endif()
  run(${validator} ${usr}/share/applications/${id}.desktop)
  if(NOT result EQUAL 0 OR NOT "${output}${errors}" STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate (exit ${result}):\n${output}${errors}")
  endif()

elseif(STEP STREQUAL "metainfo")
  find_program(validator appstreamcli)
  if(NOT validator)
    message("skipped: appstreamcli is not installed")
    return()
  endif()
  # The tree as a whole: the metainfo and the desktop entry it names.
  run(${validator} validate-tree --no-net ${ROOT})
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree (exit ${result}):\n${output}${errors}")
  endif()

else()
  message(FATAL_ERROR "unknown STEP \"${STEP}\"")
endif()
