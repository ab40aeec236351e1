# Fails when the library imports any profile function (GetPrivateProfile*,
# WritePrivateProfile*, GetProfile*).
#   cmake -DOBJDUMP=<objdump> -DLIBRARY=<dll> -P no_profile_functions.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed")
endif()
string(REGEX MATCHALL "[A-Za-z]*Profile[A-Za-z]*" imported "${dump}")
if(imported)
  list(REMOVE_DUPLICATES imported)
  message(FATAL_ERROR "${LIBRARY} imports ${imported}")
endif()
message(STATUS "${LIBRARY} imports no profile function")
