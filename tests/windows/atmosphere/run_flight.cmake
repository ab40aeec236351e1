# Runs one golden flight under wine and compares its trace with the baseline.
# Inputs: WINE, GAME, HOST, MODULE (the three binaries), FLIGHT (the flight's
# folder: flight.scenario, *.ini, expected.trace), WORK (a scratch folder that
# becomes the game folder).
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

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/trace.txt ${FLIGHT}/expected.trace
                RESULT_VARIABLE different)
if(different)
  execute_process(COMMAND diff -u ${FLIGHT}/expected.trace ${WORK}/trace.txt OUTPUT_VARIABLE difference)
  string(SUBSTRING "${difference}" 0 4000 difference)
  message(FATAL_ERROR "the wine trace differs from the baseline:\n${difference}")
endif()
