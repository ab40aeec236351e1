# Runs one golden flight under wine and compares its trace and the module's
# atmosphere.log with the baselines the Linux build writes too (the game's
# folder in the log written as "<game folder>\"; no expected.log: the flight
# must leave no log). Inputs: WINE, GAME, HOST, MODULE (the three binaries),
# FLIGHT (the flight's folder: flight.scenario, *.ini, expected.trace,
# expected.log), WORK (a scratch folder that becomes the game folder).
foreach(input WINE GAME HOST MODULE FLIGHT WORK)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "run_flight.cmake: ${input} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${GAME} ${HOST} ${MODULE} ${FLIGHT}/flight.scenario DESTINATION ${WORK})
file(GLOB ini_files ${FLIGHT}/*.ini)
if(ini_files)
  file(COPY ${ini_files} DESTINATION ${WORK})
endif()

get_filename_component(game_name ${GAME} NAME)
execute_process(
  COMMAND ${WINE} ${game_name} flight.scenario trace.txt
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "game.exe failed (${status}):\n${output}")
endif()

function(expect_same actual expected what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected} RESULT_VARIABLE different)
  if(different)
    execute_process(COMMAND diff -u ${expected} ${actual} OUTPUT_VARIABLE difference)
    string(SUBSTRING "${difference}" 0 4000 difference)
    message(FATAL_ERROR "the wine ${what} differs from the baseline:\n${difference}")
  endif()
endfunction()

expect_same(${WORK}/trace.txt ${FLIGHT}/expected.trace trace)

if(NOT EXISTS ${FLIGHT}/expected.log)
  if(EXISTS ${WORK}/atmosphere.log)
    message(FATAL_ERROR "this flight must leave no atmosphere.log")
  endif()
  return()
endif()
if(NOT EXISTS ${WORK}/atmosphere.log)
  message(FATAL_ERROR "the module wrote no atmosphere.log")
endif()
# The game's folder as the module sees it under wine: the Unix path on drive
# Z. Replaced byte for byte by perl: CMake's file(READ) drops the log's CRs.
string(REPLACE "/" "\\" folder "Z:${WORK}/")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "FOLDER=${folder}"
                        perl -pe [=[s/\Q$ENV{FOLDER}\E/<game folder>\\/g]=] ${WORK}/atmosphere.log
                OUTPUT_FILE ${WORK}/atmosphere.log.compared RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "perl could not read the log")
endif()
expect_same(${WORK}/atmosphere.log.compared ${FLIGHT}/expected.log log)
