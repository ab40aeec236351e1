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
foreach(name chart.svg timeline.csv)
  if(NOT EXISTS "${WORK_DIR}/preview/${name}")
    message(FATAL_ERROR "preview/${name} was not written")
  endif()
endforeach()
# The summary is the result, on stdout; where the files went, on stderr.
string(FIND "${output}" "spacezone: altitude" summary_at)
string(FIND "${errors}" "chart:    preview/chart.svg" chart_at)
string(FIND "${errors}" "timeline: preview/timeline.csv" timeline_at)
if(summary_at EQUAL -1 OR chart_at EQUAL -1 OR timeline_at EQUAL -1)
  message(FATAL_ERROR "no summary on stdout or no output paths on stderr:\n${output}\n${errors}")
endif()
