# The wine session of a test run: ACTION=start before the first wine test,
# ACTION=stop after the last. Inputs: WINE, WINESERVER, PREFIX, LOG (where
# the session's own wine output goes), ACTION.
#
# One wine server serves the whole run. Left to itself (Debian starts it
# with -p0), the server begins to shut down the moment its last client
# exits: a client that connects just then is accepted and cut off, and fails
# with "wine client error:0: recvmsg: Connection reset by peer", or with
# status 1 and nothing printed. Parallel tests whose wine programs come and
# go keep hitting that moment, the more so on a busy machine. A persistent
# server (-p) never shuts down until -k, and the prefix is complete before
# any test starts a wine program on it.
foreach(input WINE WINESERVER PREFIX ACTION)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "wine_session.cmake: ${input} is not set")
  endif()
endforeach()
set(ENV{WINEPREFIX} "${PREFIX}")

function(stop_server)
  execute_process(COMMAND "${WINESERVER}" -k RESULT_VARIABLE ignored OUTPUT_QUIET ERROR_QUIET)
  # Until the server and every wine process of the prefix are gone.
  execute_process(COMMAND "${WINESERVER}" -w RESULT_VARIABLE ignored OUTPUT_QUIET ERROR_QUIET)
endfunction()

# The server, and the system processes it keeps, hold the standard error
# they were started with open for as long as they live: a file, never a pipe
# that this script (and ctest) would wait on forever. wineserver -p returns
# once the server listens; it lives until -k.
function(start_server)
  execute_process(COMMAND "${WINESERVER}" -p RESULT_VARIABLE status OUTPUT_FILE "${LOG}.server"
                  ERROR_FILE "${LOG}.server")
  if(NOT status EQUAL 0)
    file(READ "${LOG}.server" output)
    message(FATAL_ERROR "wineserver -p failed (${status}):\n${output}")
  endif()
endfunction()

# Runs wine with ARGN, its output into LOG.
function(run_wine)
  execute_process(COMMAND "${WINE}" ${ARGN} RESULT_VARIABLE status OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}")
  if(NOT status EQUAL 0)
    file(READ "${LOG}" output)
    message(FATAL_ERROR "wine ${ARGN} failed (${status}):\n${output}")
  endif()
endfunction()

if(ACTION STREQUAL "stop")
  stop_server()
  return()
endif()

# A server that an interrupted run left behind would hold the prefix.
stop_server()
file(MAKE_DIRECTORY "${PREFIX}")
start_server()
run_wine(wineboot --init)
# Making a prefix leaves two service managers running, which a persistent
# server would keep: a service started later (RpcSs) then waits 30 s for
# the wrong one. A fresh start on the finished prefix brings up one of each.
stop_server()
start_server()
run_wine(cmd /c exit)
