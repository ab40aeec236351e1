# Builds the release zip with CPack and checks what is inside it: the module,
# the configuration file, the install note and the tool, the binaries without
# debug sections (their debug files stay in the build folder), the tool
# importing only system libraries, and one version in the module's version
# resource, the tool's and the tool's --version.
# Inputs: BUILD_DIR, VERSION, WINE, OBJDUMP, WINDRES, CHANGELOG.
set(zip "${BUILD_DIR}/atmosphere-${VERSION}-win64.zip")
file(REMOVE "${zip}")
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config "${BUILD_DIR}/CPackConfig.cmake"
                WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${zip}")
  message(FATAL_ERROR "cpack did not make ${zip}:\n${output}")
endif()

set(unpacked "${BUILD_DIR}/package-check")
file(REMOVE_RECURSE "${unpacked}")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${zip}" WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE result)
file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT entries)
set(expected "INSTALL.txt;atmosphere-sim.exe;atmosphere.asi;atmosphere.ini")
if(NOT result EQUAL 0 OR NOT entries STREQUAL expected)
  message(FATAL_ERROR "the zip holds [${entries}], expected [${expected}]")
endif()

set(problems "")
foreach(binary atmosphere.asi atmosphere-sim.exe)
  execute_process(COMMAND ${OBJDUMP} -h -p "${unpacked}/${binary}" OUTPUT_VARIABLE dump)
  if(dump MATCHES " \\.debug_")
    string(APPEND problems "${binary} carries debug sections\n")
  endif()
  execute_process(COMMAND ${OBJDUMP} -h "${BUILD_DIR}/${binary}.debug" OUTPUT_VARIABLE debug_dump)
  if(NOT debug_dump MATCHES " \\.debug_info ")
    string(APPEND problems "${BUILD_DIR}/${binary}.debug holds no debug information\n")
  endif()
  if(binary STREQUAL "atmosphere-sim.exe")
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    list(REMOVE_ITEM imports "DLL Name: KERNEL32.dll" "DLL Name: msvcrt.dll")
    if(imports)
      string(APPEND problems "atmosphere-sim.exe imports more than KERNEL32.dll and msvcrt.dll: ${imports}\n")
    endif()
  endif()

  # windres reads a binary's resources back as resource-script text.
  execute_process(COMMAND ${WINDRES} -i "${unpacked}/${binary}" -O rc OUTPUT_VARIABLE resources)
  if(NOT resources MATCHES "VALUE \"ProductVersion\", \"([^\"]*)\"")
    string(APPEND problems "${binary} carries no version resource\n")
  elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    string(APPEND problems "${binary}'s version resource says ${CMAKE_MATCH_1}, not ${VERSION}\n")
  endif()
  set(resource_version_${binary} "${CMAKE_MATCH_1}")
endforeach()

execute_process(COMMAND ${WINE} "${unpacked}/atmosphere-sim.exe" --version
                OUTPUT_VARIABLE tool_version RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT tool_version STREQUAL "atmosphere-sim ${resource_version_atmosphere.asi}\n")
  string(APPEND problems "atmosphere-sim.exe --version says \"${tool_version}\" (${result}); "
                         "the module's version resource says ${resource_version_atmosphere.asi}\n")
endif()

# The newest entry of the changelog names the version being packaged.
file(STRINGS "${CHANGELOG}" headings REGEX "^## ")
list(GET headings 0 newest)
if(NOT newest MATCHES "^## ${VERSION} ")
  string(APPEND problems "CHANGELOG.md's newest entry is \"${newest}\", not ${VERSION}\n")
endif()

if(problems)
  message(FATAL_ERROR "${problems}")
endif()
message(STATUS "atmosphere-${VERSION}-win64.zip holds ${entries}, version ${VERSION} everywhere")
