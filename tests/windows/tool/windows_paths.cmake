# Windows paths given to the tool under wine: drive letters, backslashes,
# spaces, relative paths up and down, and output folders that do not exist
# yet, nested; and the paths that start with "/" or "\" (a Unix path, a path
# from the root of the current drive), which read exactly what the Linux
# tool reads. Inputs: WINE, TOOL (atmosphere-sim.exe), LINUX_TOOL, SHIPPED
# (atmosphere.ini), FLIGHT (a flight file), WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/../../tools/atmosphere-sim/expect.cmake)

set(root "${WORK}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/with space/sub")
file(COPY "${FLIGHT}" DESTINATION "${WORK}")
file(COPY_FILE "${SHIPPED}" "${WORK}/with space/my settings.ini")
file(WRITE "${WORK}/with space/redirect.ini" "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=sub\\alt.ini\n")
file(WRITE "${WORK}/with space/sub/alt.ini" "[KEYS]\nReloadKey=70\n")
get_filename_component(flight_name "${FLIGHT}" NAME)
string(REPLACE "/" "\\" folder "Z:${WORK}/with space")
set(RUNNER "${WINE}")

set(WORK "${WORK}/with space")
run_tool(check "${folder}\\my settings.ini")
expect_status(0)
expect_in(out "${folder}\\my settings.ini: no problems found")

# The same settings whichever way the path is written.
run_tool(config "my settings.ini" --json)
set(reference "${out}")
foreach(path "${folder}\\my settings.ini" "z:${WORK}/my settings.ini" "sub\\..\\my settings.ini"
        ".\\my settings.ini")
  run_tool(config "${path}" --json)
  expect_status(0)
  if(NOT out STREQUAL reference)
    fail("the settings of my settings.ini")
  endif()
endforeach()

# A path from the root, as typed on Windows ("\Games\my.ini", "/Games/my.ini")
# or as a Unix path reaches the tool under wine, and forward slashes after a
# drive letter: each command, and the file given alone, reads what the
# Linux tool reads from the same file.
file(WRITE "${WORK}/sub/rain.ini" "[RAIN]\nNormalZoneEnd=500\nCloudZoneStart=600\nCloudZoneEnd=650,5\n")
execute_process(COMMAND "${LINUX_TOOL}" config "${WORK}/sub/rain.ini" --json OUTPUT_VARIABLE linux_config)
execute_process(COMMAND "${LINUX_TOOL}" check "${WORK}/sub/rain.ini" OUTPUT_VARIABLE linux_check)
execute_process(COMMAND "${LINUX_TOOL}" run "${WORK}/sub/rain.ini" --weather RAIN --speed 25 --output "${WORK}/linux"
                OUTPUT_QUIET ERROR_QUIET)
file(READ "${WORK}/linux/timeline.csv" linux_timeline)
string(REPLACE "/" "\\" from_root "${WORK}/sub/rain.ini")
set(index 0)
foreach(path "${WORK}/sub/rain.ini" "${from_root}" "Z:${WORK}/sub/rain.ini" "sub/../sub/rain.ini")
  math(EXPR index "${index} + 1")
  run_tool(config "${path}" --json)
  if(NOT out STREQUAL linux_config)
    fail("the settings the Linux tool reads from sub/rain.ini")
  endif()
  run_tool(check "${path}")
  expect_status(0)
  # The findings, each after the path as given.
  string(REPLACE "${WORK}/sub/rain.ini:" "" linux_findings "${linux_check}")
  string(REPLACE "${path}:" "" findings "${out}")
  if(NOT findings STREQUAL linux_findings OR findings STREQUAL "")
    fail("the findings the Linux tool gives for sub/rain.ini:\n${linux_check}")
  endif()
  foreach(form "run;${path}" "${path}")
    run_tool(${form} --weather rain --speed 25 --output "out-${index}")
    file(READ "${WORK}/out-${index}/timeline.csv" timeline)
    if(NOT timeline STREQUAL linux_timeline)
      fail("the timeline the Linux tool flies with sub/rain.ini")
    endif()
    file(REMOVE_RECURSE "${WORK}/out-${index}")
  endforeach()
endforeach()

# An alternate file named with a backslash, in a folder below.
run_tool(config "${folder}\\redirect.ini")
expect_in(out "ReloadKey                                0x70 (112)")

run_tool(run "my settings.ini" --output "out put\\new\\deeper" --flight "..\\${flight_name}")
expect_status(0)
expect_in(err "out put\\new\\deeper\\chart.svg")
expect_file("${WORK}/out put/new/deeper/chart.svg")
expect_file("${WORK}/out put/new/deeper/timeline.csv")

run_tool(run "${folder}\\my settings.ini" --output "${folder}\\absolute\\x\\y" --trace --speed 40)
expect_status(0)
expect_in(err "${folder}\\absolute\\x\\y\\trace.jsonl")
expect_file("${WORK}/absolute/x/y/trace.jsonl")

# A folder named beyond ASCII, as user folders often are: the module reads
# the file there (not its defaults) and the preview lands there.
set(WORK "${root}/Ærø café")
string(REPLACE "/" "\\" unicode "Z:${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/ünï.ini" "[KEYS]\nReloadKey=70\n[CLOUDS]\nNormalZoneEnd=300\n")
run_tool(config "${unicode}\\ünï.ini")
expect_in(out "ReloadKey                                0x70 (112)")
run_tool(run "ünï.ini" --output "préview" --speed 10)
expect_status(0)
expect_in(out "Configuration: ünï.ini")
expect_file("${WORK}/préview/chart.svg")
# NormalZoneEnd=300 read: at 300 the climb is above the normal zone.
file(READ "${WORK}/préview/timeline.csv" timeline)
string(FIND "${timeline}" "\n30,300,cloudzonestart," at)
if(at EQUAL -1)
  fail("a timeline with the file's NormalZoneEnd")
endif()

report_failures()
