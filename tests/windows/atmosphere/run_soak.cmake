# The soak flight on Linux and under wine: the Linux atmosphere-scenario
# writes the flight of SEED and runs it on the simulated host; game.exe runs
# the same file against the real DLL beside the stand-in host. The two
# traces must be the same, byte for byte.
# Inputs: WINE, GAME, HOST, MODULE (the Windows binaries), SCENARIO_TOOL (the
# Linux atmosphere-scenario), SEED, FRAMES, WORK (a scratch folder).
foreach(input WINE GAME HOST MODULE SCENARIO_TOOL SEED FRAMES WORK)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "run_soak.cmake: ${input} is not set")
  endif()
endforeach()
if(NOT EXISTS ${SCENARIO_TOOL})
  message(FATAL_ERROR "the Linux reference needs ${SCENARIO_TOOL}: build the linux preset first "
                      "(cmake --build --preset linux --target atmosphere-scenario)")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/linux ${WORK}/wine)
execute_process(COMMAND ${SCENARIO_TOOL} --soak ${SEED} ${FRAMES}
                OUTPUT_FILE ${WORK}/soak.scenario RESULT_VARIABLE status ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "atmosphere-scenario --soak failed (${status}):\n${output}")
endif()

# Each side starts from an empty game folder: the flight writes its own files.
execute_process(COMMAND ${SCENARIO_TOOL} --game-dir ${WORK}/linux ${WORK}/soak.scenario ${WORK}/linux.trace
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the soak flight failed on Linux (${status}):\n${output}")
endif()

file(COPY ${GAME} ${HOST} ${MODULE} ${WORK}/soak.scenario DESTINATION ${WORK}/wine)
get_filename_component(game_name ${GAME} NAME)
execute_process(COMMAND ${WINE} ${game_name} soak.scenario trace.txt
                WORKING_DIRECTORY ${WORK}/wine RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the soak flight failed under wine (${status}):\n${output}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/wine/trace.txt ${WORK}/linux.trace
                RESULT_VARIABLE different)
if(different)
  execute_process(COMMAND diff -u ${WORK}/linux.trace ${WORK}/wine/trace.txt OUTPUT_VARIABLE difference)
  string(SUBSTRING "${difference}" 0 4000 difference)
  message(FATAL_ERROR "the wine trace of the soak flight (seed ${SEED}) differs from Linux's; "
                      "both are kept in ${WORK}:\n${difference}")
endif()
file(SIZE ${WORK}/linux.trace bytes)
message(STATUS "seed ${SEED}, ${FRAMES} frames: the same ${bytes}-byte trace on Linux and under wine")
# Some 50 MB each: not worth keeping once they agree.
file(REMOVE ${WORK}/linux.trace ${WORK}/wine/trace.txt)
