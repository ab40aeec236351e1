# `atmosphere-sim.exe doctor` under wine on game folders made for each
# mistake, with the real atmosphere.asi (its version resource tells it
# apart): each finding is there, with the exit status, and the Linux tool says
# the very same of the same folder, the folder's own path aside. Paths are
# given as Windows users type them: drive letters, backslashes, relative.
# Inputs: WINE, TOOL (atmosphere-sim.exe), LINUX_TOOL, MODULE (atmosphere.asi),
# VERSION (the project's), SHIPPED (atmosphere.ini), WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/../../tools/atmosphere-sim/expect.cmake)
set(RUNNER "${WINE}")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
function(folder name)
  file(MAKE_DIRECTORY "${WORK}/${name}")
endfunction()
function(put name source)
  get_filename_component(parent "${WORK}/${name}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(COPY_FILE "${source}" "${WORK}/${name}")
endfunction()
function(text name content)
  file(WRITE "${WORK}/${name}" "${content}")
endfunction()

# Writes bytes given as hexadecimal digits (through a file: a module's
# digits are more than one argument may hold).
function(put_hex name hex)
  file(WRITE "${WORK}/hex.txt" "${hex}")
  execute_process(COMMAND perl -e [=[binmode STDOUT; local $/; print pack('H*', <STDIN>)]=]
                  INPUT_FILE "${WORK}/hex.txt" OUTPUT_FILE "${WORK}/${name}")
  file(REMOVE "${WORK}/hex.txt")
endfunction()
# A version as the version resource spells it: UTF-16, in hexadecimal digits.
function(utf16_hex text variable)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\100" hex "${hex}")
  set(${variable} "${hex}" PARENT_SCOPE)
endfunction()

folder(empty)
foreach(name complete misplaced damaged logged noisy older)
  folder(${name})
endforeach()
foreach(name complete damaged logged noisy older)
  text(${name}/ScriptHookV.dll "host")
  text(${name}/dinput8.dll "loader")
  put(${name}/atmosphere.ini "${SHIPPED}")
endforeach()
foreach(name complete logged noisy)
  put(${name}/atmosphere.asi "${MODULE}")
endforeach()
text(misplaced/bin/ScriptHookV.dll "host")
text(misplaced/bin/dinput8.dll "loader")
put(misplaced/scripts/atmosphere.asi "${MODULE}")
put(misplaced/atmosphere.asi.dll "${MODULE}")
put("misplaced/atmosphere (1).asi" "${MODULE}")
put(misplaced/atmosphere.ini.txt "${SHIPPED}")
put(misplaced/atmosphere-1.2.0-win64/atmosphere.ini "${SHIPPED}")
# Cut short, as a download that stopped.
file(READ "${MODULE}" head LIMIT 2048 HEX)
put_hex(damaged/atmosphere.asi "${head}")
# The module of an older release: its version strings rewritten in place.
file(READ "${MODULE}" module HEX)
utf16_hex("${VERSION}" this_version)
utf16_hex("0.9.0" old_version)
string(REPLACE "${this_version}" "${old_version}" module "${module}")
put_hex(older/atmosphere.asi "${module}")
# A session that has not ended (or a game that crashed), written after the
# module was put there.
text(logged/atmosphere.log
     "2026-12-09 20:01:02.345  start: atmosphere 9.9.9 started in the game's folder C:\\G\\\r\n2026-12-09 20:01:02.346  flag byte: found and set to 0\r\n2026-12-09 20:01:02.347  settings: read C:\\G\\atmosphere.ini (31 bytes)\r\n2026-12-09 20:02:00.000  reload: the reload key (the Delete key)\r\n")
execute_process(COMMAND head -c 3000000 /dev/urandom OUTPUT_FILE "${WORK}/noisy/atmosphere.log")

# Each folder: its exit status, and words of its findings (no ";" in them:
# CMake's lists split there).
set(status_empty 1)
set(expect_empty "ScriptHookV.dll: error: the script host ScriptHookV.dll is not in the game's folder"
    "dinput8.dll: error: the ASI loader" "atmosphere.asi: error: the module is not in the game's folder"
    "atmosphere.ini: warning: no settings file")
set(status_complete 0)
set(expect_complete "atmosphere.ini: note: the check finds no problems"
    "atmosphere.log: warning: no log: the module has not run since it was installed")
set(status_misplaced 1)
set(expect_misplaced "ScriptHookV.dll: error: the script host ScriptHookV.dll is in the folder bin"
    "atmosphere.asi: error: the module is in the folder scripts"
    "atmosphere.asi.dll: error: the module under another name" "the loader loads only files that end in .asi"
    "atmosphere (1).asi: error: the module under another name" "error: 3 copies of the module"
    "atmosphere.ini.txt: error: the module reads atmosphere.ini, and this file is named"
    "atmosphere.ini: warning: not read: the module reads atmosphere.ini from the game's folder only")
set(status_damaged 1)
set(expect_damaged "atmosphere.asi: error: is cut short")
set(status_logged 0)
set(expect_logged "atmosphere.log: note: the last session started 2026-12-09 20:01:02 (atmosphere 9.9.9)"
    "atmosphere.log: note: its first load: read C:\\G\\atmosphere.ini (31 bytes)"
    "atmosphere.log: note: 1 reload in that session" "atmosphere.log: warning: it did not end with an unload")
set(status_noisy 0)
set(expect_noisy "atmosphere.log: warning: holds no start of the module")
set(status_older 0)
set(expect_older "atmosphere.asi: warning: the module is version 0.9.0, this tool ${VERSION}")

string(REPLACE "/" "\\" windows_work "Z:${WORK}")
foreach(name empty complete misplaced damaged logged noisy older)
  # The Linux tool's word on the folder, its own path made neutral.
  execute_process(COMMAND "${LINUX_TOOL}" doctor "${name}" WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE linux_status OUTPUT_VARIABLE linux_out)
  string(REPLACE "${WORK}" "<work>" linux_out "${linux_out}")
  foreach(path "${name}" "${windows_work}\\${name}" "Z:${WORK}/${name}" ".\\${name}\\")
    run_tool(doctor "${path}")
    expect_status(${status_${name}})
    foreach(words IN LISTS expect_${name})
      expect_in(out "${words}")
    endforeach()
    # The same findings as on Linux, once paths read alike.
    string(REPLACE "${windows_work}" "<work>" same "${out}")
    string(REPLACE "Z:${WORK}" "<work>" same "${same}")
    string(REPLACE "\\" "/" same "${same}")
    string(REPLACE "\\" "/" linux_same "${linux_out}")
    string(REGEX REPLACE "(^|\n)[^:\n]*${name}/?" "\\1" same "${same}")
    string(REGEX REPLACE "(^|\n)[^:\n]*${name}/?" "\\1" linux_same "${linux_same}")
    if(NOT same STREQUAL linux_same OR NOT status STREQUAL linux_status)
      fail("what the Linux tool says of ${name} (${linux_status}):\n${linux_out}")
    endif()
  endforeach()
endforeach()

# No folder to examine: a file, or nothing at all.
foreach(path "${windows_work}\\complete\\atmosphere.ini" "${windows_work}\\nothing")
  run_tool(doctor "${path}")
  expect_status(2)
  expect_in(err "error:")
endforeach()

report_failures()
