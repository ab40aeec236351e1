# atmosphere-sim as a person runs it from a terminal: --version, --help, the
# exit codes (0 fine, 1 errors found, 2 usage or input error), results on
# standard output and messages on standard error, and a file given alone
# (as a drop gives it) checked and previewed beside itself without waiting,
# or followed by run's options, in the weather its errors concern and ending
# with the verdict. Arguments as people type them: "/?", a path
# that starts with "/" or "-", weather names in any case. The same script
# runs the Linux tool and, through wine, the Windows one.
# Inputs: TOOL, RUNNER (wine for the Windows tool, else empty), VERSION,
# SHIPPED (atmosphere.ini), WORK (scratch folder), LIVE (the tool embeds the
# web module).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/mods" "${WORK}/a folder.ini")
file(COPY "${SHIPPED}" DESTINATION "${WORK}/mods")
file(WRITE "${WORK}/mods/broken.ini" "[CLOUDS]\nNormalZoneEnd=800\nCloudZoneStart=700\n")
file(WRITE "${WORK}/mods/rain.ini" "[RAIN]\nNormalZoneEnd=800\nCloudZoneStart=700\n")
file(WRITE "${WORK}/-dash.ini" "[CLOUDS]\nNormalZoneEnd=800\nCloudZoneStart=700\n")

include(${CMAKE_CURRENT_LIST_DIR}/expect.cmake)

run_tool(--version)
expect_status(0)
if(NOT out STREQUAL "atmosphere-sim ${VERSION}\n")
  fail("prints \"atmosphere-sim ${VERSION}\"")
endif()

run_tool(--help)
expect_status(0)
foreach(part "Examples:" "atmosphere-sim check my.ini" "Exit status: 0 fine, 1 errors found in the file"
        "check" "config" "run")
  expect_in(out "${part}")
endforeach()

# "/?" is the help wherever it stands, as in every Windows program.
foreach(arguments "/?" "check;/?" "run;mods/atmosphere.ini;/?")
  run_tool(${arguments})
  expect_status(0)
  expect_in(out "Usage: atmosphere-sim")
  expect_not_in(err "not found")
endforeach()

foreach(arguments "frobnicate" "frobnicate;mods/atmosphere.ini" "frobnicate;--weather;RAIN")
  run_tool(${arguments})
  expect_status(2)
  expect_in(err "unknown command \"frobnicate\"; the commands are config, run, check, doctor and set")
endforeach()

# From a terminal, no argument is a usage error, never a wait for Enter.
run_tool()
expect_status(2)
expect_in(err "a command is required: config, run, check, doctor or set")
expect_not_in(err "Press Enter")

# Parse errors of the parser itself are usage errors too.
foreach(arguments "run;--speed;fast" "check;a;b" "config" "--frobnicate" "mods/atmosphere.ini;--speed;fast"
        "mods/atmosphere.ini;--frobnicate")
  run_tool(${arguments})
  expect_status(2)
endforeach()

run_tool(check mods/broken.ini)
expect_status(1)
expect_in(out "mods/broken.ini:3: error:")
if(NOT err STREQUAL "")
  fail("nothing on stderr")
endif()

# An absolute path starts with "/" (under wine, a path from the root of the
# current drive): a path, never an option. So is a file whose name starts
# with "-", where it exists.
run_tool(check "${WORK}/mods/broken.ini")
expect_status(1)
expect_in(out "/mods/broken.ini:3: error:")
run_tool(check -dash.ini)
expect_status(1)
expect_in(out "-dash.ini:3: error:")
run_tool(config --json -dash.ini)
expect_status(0)
expect_in(out "\"CloudZoneStart\": 700")

run_tool(run mods/atmosphere.ini --output "out/a/b" --speed 40 --weather rain)
expect_status(0)
expect_in(out "Flight: climb in RAIN")
run_tool(run mods/atmosphere.ini --output "out/a/b" --speed 40 --weather SUNNY)
expect_status(2)
expect_in(err "unknown weather \"SUNNY\"")
run_tool(run mods/atmosphere.ini --output "out/a/b" --speed 40)
expect_status(0)
expect_in(out "Flight: climb in CLOUDS")
expect_not_in(out "chart:")
expect_in(err "report:   out/a/b")
expect_not_in(err "check")
expect_file("${WORK}/out/a/b/chart.svg")
# A tool built with the web module writes the live page.
if(LIVE)
  file(READ "${WORK}/out/a/b/report.html" page)
  foreach(part "id=\"atmosphere-file\"" "AtmosphereModule" "window.atmosphere")
    string(FIND "${page}" "${part}" at)
    if(at EQUAL -1)
      fail("writes the live page: no ${part} in report.html")
    endif()
  endforeach()
endif()
# A preview of a file with errors says so.
run_tool(run mods/broken.ini --output "out/a/b" --speed 40)
expect_status(0)
expect_in(err "1 error, 2 notes in mods/broken.ini: the report lists them first")

# A file alone: checked, then previewed into preview/ beside it.
run_tool(mods/atmosphere.ini)
expect_status(0)
expect_in(out "mods/atmosphere.ini: no problems found")
expect_in(out "Flight: climb in CLOUDS")
expect_in(err "the preview is in")
expect_in(err "no problems in atmosphere.ini: see preview")
expect_not_in(err "Press Enter")
expect_file("${WORK}/mods/preview/chart.svg")
expect_file("${WORK}/mods/preview/timeline.csv")

# A file first takes run's options; the preview goes beside it unless
# --output says otherwise.
run_tool(mods/atmosphere.ini --weather Thunder --speed 40)
expect_status(0)
expect_in(out "mods/atmosphere.ini: no problems found")
expect_in(out "Flight: climb in THUNDER")
file(READ "${WORK}/mods/preview/timeline.csv" timeline)
expect_in(timeline ",THUNDER,")
run_tool("${WORK}/mods/atmosphere.ini" -o elsewhere --speed 40)
expect_status(0)
expect_file("${WORK}/elsewhere/report.html")

run_tool(mods/broken.ini)
expect_status(1)
expect_in(out "error:")
# The preview is of the weather the errors concern, and the verdict ends it.
run_tool(mods/rain.ini --speed 40)
expect_status(1)
expect_in(out "Flight: climb in RAIN")
expect_in(err "previewing RAIN, the first weather the errors concern")
string(REGEX MATCH "[^\n]*\n$" last_line "${err}")
if(NOT last_line MATCHES "^1 error, 3 notes in rain.ini: see preview.report.html\n$")
  fail("ends with the verdict, not \"${last_line}\"")
endif()
run_tool(mods/missing.ini)
expect_status(2)
expect_in(err "mods/missing.ini not found")
run_tool("a folder.ini")
expect_status(2)
expect_in(err "is not a file")

# set: the file with the values set on standard output, or written in place;
# every bad input is a usage error and leaves the file alone. (The output
# is compared with LF line ends: execute_process turns CRLF into LF.)
file(WRITE "${WORK}/mods/edit.ini" "; mine\n[rain]\nnormalzoneend = 800 \n")
run_tool(set mods/edit.ini RAIN.NormalZoneEnd=500 thunder.cloudzonestart=950.5)
expect_status(0)
if(NOT out STREQUAL "; mine\n[rain]\nnormalzoneend = 500 \n\n[THUNDER]\nCloudZoneStart=950.5\n")
  fail("prints the file with the two values set")
endif()
run_tool(set mods/edit.ini RAIN.NormalZoneEnd=450 --in-place)
expect_status(0)
file(READ "${WORK}/mods/edit.ini" edited)
if(NOT edited STREQUAL "; mine\n[rain]\nnormalzoneend = 450 \n" OR NOT out STREQUAL "")
  fail("writes the file in place, and only it")
endif()
foreach(case "RAIN.NormalZoneEnt=5|did you mean NormalZoneEnd?" "RAINY.NormalZoneEnd=5|did you mean RAIN?"
        "RAIN.NormalZoneEnd=500,0|reads as 500 and ignores \",0\"" "KEYS.ReloadKey=Home|is no key code"
        "RAIN.NormalZoneEnd|is no SECTION.Key=VALUE")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 assignment)
  list(GET case 1 message)
  run_tool(set mods/edit.ini "${assignment}" --in-place)
  expect_status(2)
  expect_in(err "${message}")
endforeach()
file(COPY_FILE "${WORK}/mods/edit.ini" "${WORK}/mods/locked.ini")
file(CHMOD "${WORK}/mods/locked.ini" PERMISSIONS OWNER_READ)
run_tool(set mods/locked.ini RAIN.NormalZoneEnd=300 --in-place)
expect_status(2)
expect_in(err "read-only")
file(READ "${WORK}/mods/edit.ini" unchanged)
if(NOT unchanged STREQUAL edited)
  fail("leaves the file alone after bad input")
endif()

report_failures()
