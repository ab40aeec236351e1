# Under wine, atmosphere-sim.exe prints and writes the very bytes the Linux
# tool does: one SUBCOMMAND (config --json, check or run) on every file of the
# configuration corpus and on the shipped atmosphere.ini, and for run also
# the default climb, a flight file and other options. The exit status, the
# standard output and every file written (chart.svg, timeline.csv,
# trace.jsonl, atmosphere.log once each side's folder reads the same) must be
# identical; the standard error too, once "\" reads as "/" (Windows writes
# its paths so).
# Inputs: WINE, TOOL (atmosphere-sim.exe), LINUX_TOOL, CORPUS, SHIPPED,
# FLIGHT, WORK (scratch folder), SUBCOMMAND.
if(NOT EXISTS "${LINUX_TOOL}")
  message(FATAL_ERROR "No Linux atmosphere-sim at ${LINUX_TOOL}: build the linux preset first "
                      "(or set ATMOSPHERE_LINUX_BUILD_DIR).")
endif()

# Both tools run in folders of the same layout, with the same relative paths.
file(REMOVE_RECURSE "${WORK}")
foreach(side linux windows)
  file(COPY "${CORPUS}" "${SHIPPED}" "${FLIGHT}" DESTINATION "${WORK}/${side}")
endforeach()
file(MAKE_DIRECTORY "${WORK}/streams")
get_filename_component(corpus_name "${CORPUS}" NAME)
get_filename_component(flight_name "${FLIGHT}" NAME)
file(GLOB files RELATIVE "${WORK}/linux" "${WORK}/linux/${corpus_name}/*.ini")
list(LENGTH files corpus_count)
if(corpus_count LESS 30)
  message(FATAL_ERROR "Corpus at ${CORPUS} has only ${corpus_count} files")
endif()
list(APPEND files atmosphere.ini)

# One call per line, its arguments separated by "|".
set(calls "")
set(index 0)
foreach(file IN LISTS files)
  math(EXPR index "${index} + 1")
  if(SUBCOMMAND STREQUAL "config")
    list(APPEND calls "config|${file}|--json")
  elseif(SUBCOMMAND STREQUAL "check")
    list(APPEND calls "check|${file}")
  else()
    list(APPEND calls "run|${file}|--speed|20|--trace|--output|out/${index}")
  endif()
endforeach()
if(SUBCOMMAND STREQUAL "config")
  list(APPEND calls "config|atmosphere.ini")
elseif(SUBCOMMAND STREQUAL "run")
  list(APPEND calls "run|atmosphere.ini|--trace|--output|out/climb"
                    "run|atmosphere.ini|--flight|${flight_name}|--trace|--output|out/flight"
                    "run|atmosphere.ini|--weather|THUNDER|--vehicle|--game-wind|7.25|--speed|3.3|--output|out/thunder")
endif()

set(failed 0)
set(index 0)
foreach(call IN LISTS calls)
  math(EXPR index "${index} + 1")
  string(REPLACE "|" ";" arguments "${call}")
  string(REPLACE "|" " " shown "${call}")
  foreach(side linux windows)
    if(side STREQUAL "linux")
      set(runner "${LINUX_TOOL}")
    else()
      set(runner "${WINE}" "${TOOL}")
    endif()
    execute_process(COMMAND ${runner} ${arguments} WORKING_DIRECTORY "${WORK}/${side}" INPUT_FILE /dev/null
                    OUTPUT_FILE "${WORK}/streams/${index}.${side}.out" ERROR_FILE "${WORK}/streams/${index}.${side}.err"
                    RESULT_VARIABLE status_${side})
  endforeach()

  set(differences "")
  if(NOT status_linux STREQUAL status_windows)
    list(APPEND differences "exit status ${status_linux} on Linux, ${status_windows} on Windows")
  endif()
  set(compared "${WORK}/streams/${index}.linux.out|${WORK}/streams/${index}.windows.out")
  file(READ "${WORK}/streams/${index}.linux.err" err_linux)
  file(READ "${WORK}/streams/${index}.windows.err" err_windows)
  string(REPLACE "\\" "/" err_windows "${err_windows}")
  if(NOT err_linux STREQUAL err_windows)
    list(APPEND differences "standard error:\n    Linux:   ${err_linux}    Windows: ${err_windows}")
  endif()
  if(call MATCHES "--output\\|(out/[a-z0-9]+)")
    set(folder "${CMAKE_MATCH_1}")
    file(GLOB written_linux RELATIVE "${WORK}/linux/${folder}" "${WORK}/linux/${folder}/*")
    file(GLOB written_windows RELATIVE "${WORK}/windows/${folder}" "${WORK}/windows/${folder}/*")
    if(NOT written_linux STREQUAL written_windows)
      list(APPEND differences "files written: [${written_linux}] on Linux, [${written_windows}] on Windows")
    endif()
    foreach(name IN LISTS written_linux)
      list(APPEND compared "${WORK}/linux/${folder}/${name}|${WORK}/windows/${folder}/${name}")
    endforeach()
    # The module's log names the game's folder, the file's own: each side's
    # working folder as the module sees it becomes "<work>\", byte for byte.
    foreach(side linux windows)
      string(REPLACE "/" "\\" seen "${WORK}/${side}/")
      if(side STREQUAL "windows")
        set(seen "Z:${seen}")
      endif()
      if(EXISTS "${WORK}/${side}/${folder}/atmosphere.log")
        execute_process(COMMAND ${CMAKE_COMMAND} -E env "FOLDER=${seen}"
                                perl -pi -e [=[s/\Q$ENV{FOLDER}\E/<work>\\/g]=] "${WORK}/${side}/${folder}/atmosphere.log")
      endif()
    endforeach()
  endif()
  foreach(pair IN LISTS compared)
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 linux_file)
    list(GET pair 1 windows_file)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${linux_file}" "${windows_file}" RESULT_VARIABLE different)
    if(different)
      execute_process(COMMAND diff -u --label Linux --label Windows "${linux_file}" "${windows_file}"
                      OUTPUT_VARIABLE diff)
      string(SUBSTRING "${diff}" 0 1500 diff)
      get_filename_component(name "${linux_file}" NAME)
      list(APPEND differences "${name} differs:\n${diff}")
    endif()
  endforeach()

  if(differences)
    math(EXPR failed "${failed} + 1")
    string(REPLACE ";" "\n  " differences "${differences}")
    message(SEND_ERROR "atmosphere-sim ${shown}:\n  ${differences}")
  elseif(folder)
    # Passed: the outputs of a long run need not stay on disk.
    file(REMOVE_RECURSE "${WORK}/linux/${folder}" "${WORK}/windows/${folder}")
  endif()
  set(folder "")
endforeach()

list(LENGTH calls total)
if(failed GREATER 0)
  message(FATAL_ERROR "${failed} of ${total} calls of ${SUBCOMMAND} differ between Windows (wine) and Linux")
endif()
message(STATUS "${total} calls of ${SUBCOMMAND}: the same bytes on Windows (wine) and Linux")
