# Checks for scripts that run atmosphere-sim as a person would: each failed
# expectation is collected with the call and its output, and
# report_failures() ends the script with all of them. Functions, not macros,
# so that Windows paths keep their backslashes.

# Runs the tool through RUNNER (the emulator and launcher, if any) with the
# arguments, in WORK and with no input; sets status, out, err and call.
function(run_tool)
  execute_process(COMMAND ${RUNNER} "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}" INPUT_FILE /dev/null
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status "${status}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(call "${RUNNER} atmosphere-sim ${ARGN}" PARENT_SCOPE)
endfunction()
function(fail what)
  set_property(GLOBAL APPEND_STRING PROPERTY tool_failures
               "${call}: ${what}\n  status ${status}\n  stdout: ${out}\n  stderr: ${err}\n")
endfunction()
function(expect_status expected)
  if(NOT status STREQUAL "${expected}")
    fail("exit status ${expected}")
  endif()
endfunction()
# expect_in(out|err TEXT), expect_not_in(out|err TEXT)
function(expect_in stream text)
  string(FIND "${${stream}}" "${text}" at)
  if(at EQUAL -1)
    fail("\"${text}\" on ${stream}")
  endif()
endfunction()
function(expect_not_in stream text)
  string(FIND "${${stream}}" "${text}" at)
  if(NOT at EQUAL -1)
    fail("no \"${text}\" on ${stream}")
  endif()
endfunction()
function(expect_file path)
  if(NOT EXISTS "${path}")
    fail("writes ${path}")
  endif()
endfunction()
function(report_failures)
  get_property(failures GLOBAL PROPERTY tool_failures)
  if(failures)
    message(FATAL_ERROR "${failures}")
  endif()
endfunction()
