# Reload on save, in real time, against a writer: game.exe runs the real
# atmosphere.asi at 16 ms a frame of wall-clock time (the player standing at
# 730, where the normal zone's strength tells NormalZoneEnd) while
# save_torture_writer saves atmosphere.ini as an editor does (truncate, write
# part, pause, write the rest; now and then delete first), alternating two
# versions: a storm of STORM saves a few milliseconds apart, in which the
# watch must never see the file hold still, then CALM saves far enough apart
# for it, now and then while the module reads. Every
# configuration the module takes must be one of the two whole versions, or
# the defaults while the file is gone: the modifier it sets after each
# reload and the strengths that follow must agree. At the end the last
# version saved is in force.
# Inputs: WINE, GAME, HOST, MODULE, WRITER, STORM, CALM, WORK.
foreach(input WINE GAME HOST MODULE WRITER STORM CALM WORK)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "save_torture.cmake: ${input} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${GAME}" "${HOST}" "${MODULE}" "${WRITER}" DESTINATION "${WORK}")
get_filename_component(game "${GAME}" NAME)
get_filename_component(writer "${WRITER}" NAME)
string(REPLACE "/" "\\" folder "Z:${WORK}")

# The first version in place before the game starts.
execute_process(COMMAND "${WINE}" "${writer}" "${folder}" first WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK}/atmosphere.ini")
  message(FATAL_ERROR "the writer could not write the first version")
endif()

file(WRITE "${WORK}/torture.scenario" "weather clouds clouds 0\naltitude 730\npace on\nload\n"
           "until-file phase1.done 40000\nuntil-file writer.done 40000\nframes 90\nunload\n")
# One pipeline: the game and the writer start together.
execute_process(COMMAND "${WINE}" "${game}" torture.scenario trace.txt
                COMMAND "${WINE}" "${writer}" "${folder}" "${STORM}" "${CALM}" 12345
                WORKING_DIRECTORY "${WORK}" RESULTS_VARIABLE statuses OUTPUT_VARIABLE said ERROR_VARIABLE errors)
if(NOT statuses STREQUAL "0;0")
  message(FATAL_ERROR "game.exe and the writer ended with ${statuses}:\n${said}${errors}")
endif()
message(STATUS "writer: ${said}")

# The modifier each reload sets, and the strength of every frame after it:
# (NormalZoneEnd - 730) / 50, as floats print it.
set(strength_versionA "0\\.(19|20)[0-9]*")
set(strength_versionB "0\\.(59|60)[0-9]*")
set(strength_nextgen "1")
# The script's calls only: at the unload the game thread puts its own back.
file(STRINGS "${WORK}/trace.txt" calls
     REGEX " script native (SetTimecycleModifier|SetTimecycleModifierStrength|ClearTimecycleModifier)\\(")
set(modifier "")
set(reloads 0)
set(problems "")
set(seen "")
foreach(call IN LISTS calls)
  if(call MATCHES "ClearTimecycleModifier\\(")
    math(EXPR reloads "${reloads} + 1")
  elseif(call MATCHES "SetTimecycleModifier\\(\"([A-Za-z]+)\"\\)")
    set(modifier "${CMAKE_MATCH_1}")
    if(NOT DEFINED strength_${modifier})
      string(APPEND problems "a modifier of neither version: ${call}\n")
    endif()
    list(APPEND seen ${modifier})
  elseif(call MATCHES "SetTimecycleModifierStrength\\(([-0-9.e]+)\\)" AND DEFINED strength_${modifier})
    set(strength "${CMAKE_MATCH_1}")
    if(NOT strength MATCHES "^${strength_${modifier}}$")
      string(APPEND problems "a mixture: ${modifier} with strength ${strength} (${call})\n")
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES seen)
message(STATUS "${reloads} reloads; modifiers seen: ${seen}")
if(problems)
  string(SUBSTRING "${problems}" 0 3000 problems)
  message(FATAL_ERROR "the module took a half-written file:\n${problems}")
endif()
if(said MATCHES "the last version ([AB])")
  set(last "version${CMAKE_MATCH_1}")
else()
  message(FATAL_ERROR "the writer did not say its last version: ${said}")
endif()
if(NOT modifier STREQUAL last)
  message(FATAL_ERROR "at the end ${modifier} is in force, not ${last}, the last version saved")
endif()
file(STRINGS "${WORK}/atmosphere.log" watched REGEX "reload: atmosphere.ini changed on disk")
file(STRINGS "${WORK}/atmosphere.log" changing REGEX "the file changed while it was read")
list(LENGTH watched watched)
list(LENGTH changing changing)
message(STATUS "the log: ${watched} reloads on save, ${changing} reads that met a save and kept the settings")
if(watched LESS 10)
  message(FATAL_ERROR "${reloads} reloads, ${watched} of them on save: the test hardly ran")
endif()
