# Runs `atmosphere-sim run` with no arguments in a folder holding a copy of the
# shipped atmosphere.ini, as run.sh runs it, and checks its outputs.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(COPY "${SOURCE_DIR}/atmosphere.ini" DESTINATION "${WORK_DIR}")
execute_process(COMMAND "${TOOL}" run WORKING_DIRECTORY "${WORK_DIR}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "atmosphere-sim run failed (${result}):\n${output}\n${errors}")
endif()
foreach(name chart.svg timeline.csv report.html)
  if(NOT EXISTS "${WORK_DIR}/preview/${name}")
    message(FATAL_ERROR "preview/${name} was not written")
  endif()
endforeach()
foreach(part "space zone [spacezone, SpaceZoneStart and up]: altitude" "chart:    preview/chart.svg"
             "timeline: preview/timeline.csv" "report:   preview/report.html")
  string(FIND "${output}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the summary lacks \"${part}\":\n${output}")
  endif()
endforeach()
