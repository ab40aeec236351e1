# The double-click and the drop, under wine: started in a console of its own
# (as Explorer starts it) the tool checks and previews the atmosphere.ini
# beside it, or the file dropped on it, into a folder "preview" beside that
# file, in the weather its errors concern, says where, ends with the verdict
# and waits for Enter or O (here the end of input); sharing a shell's
# console it never waits.
# Inputs: WINE, LAUNCHER (console_launcher.exe), TOOL (atmosphere-sim.exe),
# SHIPPED (atmosphere.ini), WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/../../tools/atmosphere-sim/expect.cmake)

file(REMOVE_RECURSE "${WORK}")
set(game "${WORK}/game folder")
set(mods "${WORK}/my mods, Ærø")
file(MAKE_DIRECTORY "${game}" "${mods}" "${WORK}/no settings")
file(COPY "${TOOL}" "${SHIPPED}" DESTINATION "${game}")
file(COPY "${TOOL}" DESTINATION "${WORK}/no settings")
file(WRITE "${mods}/rain.ini" "[RAIN]\nNormalZoneEnd=700\nCloudZoneStart=600\n")

# The paths as Explorer hands them over: drive Z: is wine's view of /.
function(windows_path path out)
  string(REPLACE "/" "\\" path "Z:${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
get_filename_component(exe "${TOOL}" NAME)
windows_path("${game}" game_windows)
windows_path("${mods}" mods_windows)

# Double-click: no argument.
set(RUNNER "${WINE}" "${LAUNCHER}" explorer)
set(TOOL "${game_windows}\\${exe}")
run_tool()
expect_status(0)
expect_in(err "checking ${game_windows}\\atmosphere.ini")
expect_in(out "atmosphere.ini: no problems found")
expect_in(out "Flight: climb in CLOUDS")
expect_in(err "the preview is in ${game_windows}\\preview")
expect_in(err "no problems in atmosphere.ini: see preview\\report.html\nPress Enter to close this window, or O to open the report")
expect_file("${game}/preview/chart.svg")
expect_file("${game}/preview/timeline.csv")

# A drop: the file's full path, spaces, commas and letters beyond ASCII;
# the preview in the weather its error concerns, the verdict last.
run_tool("${mods_windows}\\rain.ini")
expect_status(1)
expect_in(out "Flight: climb in RAIN")
expect_in(err "the preview is in ${mods_windows}\\preview")
expect_in(err "1 error, 3 notes in rain.ini: see preview\\report.html\nPress Enter to close this window, or O")
expect_file("${mods}/preview/report.html")

# Double-clicked where there is no atmosphere.ini: the reason, then the wait.
windows_path("${WORK}/no settings/${exe}" TOOL)
run_tool()
expect_status(2)
expect_in(err "atmosphere.ini not found")
expect_in(err "Press Enter to close this window.")

# The same drop typed in a shell's console: no wait.
set(RUNNER "${WINE}" "${LAUNCHER}" shell)
set(TOOL "${game_windows}\\${exe}")
run_tool("${mods_windows}\\rain.ini")
expect_status(1)
expect_in(err "the preview is in")
expect_not_in(err "Press Enter")

report_failures()
