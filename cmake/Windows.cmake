# Windows cross build: the shipped atmosphere.dll, and the test programs that
# run under wine.

# Import library for the host, generated from our own definitions so that the
# DLL imports exactly the host's decorated names.
set(HOST_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/libScriptHookV.a)
add_custom_command(
  OUTPUT ${HOST_IMPORT_LIBRARY}
  COMMAND ${MINGW_DLLTOOL} --input-def ${PROJECT_SOURCE_DIR}/cmake/ScriptHookV.def
          --dllname ScriptHookV.dll --output-lib ${HOST_IMPORT_LIBRARY}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/ScriptHookV.def
  COMMENT "Generating the host import library")
add_custom_target(host_import_library DEPENDS ${HOST_IMPORT_LIBRARY})

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The module's sources with the Windows side of the platform seam. Static
# runtime libraries: the DLL may import only KERNEL32, msvcrt and the host.
function(atmosphere_windows_module_settings target)
  target_include_directories(${target} PRIVATE ${ATMOSPHERE_INCLUDE_DIR})
  # C99 printf in place of msvcrt's, so the overlay text matches Linux.
  target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=1)
  target_link_options(${target} PRIVATE -static)
endfunction()

# The DLL carries the project's version as a version resource.
enable_language(RC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/atmosphere.rc.in ${CMAKE_BINARY_DIR}/atmosphere.rc @ONLY)

add_library(atmosphere SHARED ${ATMOSPHERE_MODULE_SOURCES} ${PROJECT_SOURCE_DIR}/platform/platform_win32.cpp
            ${CMAKE_BINARY_DIR}/atmosphere.rc)
set_target_properties(atmosphere PROPERTIES PREFIX "" OUTPUT_NAME atmosphere)
atmosphere_windows_module_settings(atmosphere)
add_dependencies(atmosphere host_import_library)
# The library exports nothing: without this, mingw's linker exports every global.
target_link_options(atmosphere PRIVATE -Wl,--exclude-all-symbols)
target_link_libraries(atmosphere PRIVATE ${HOST_IMPORT_LIBRARY})

# ctest runs from the build folder's top: testing must be on at this level.
enable_testing()
foreach(part IN ITEMS sim tests/windows tools/windows)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${part}/CMakeLists.txt)
    add_subdirectory(${part} ${CMAKE_BINARY_DIR}/${part})
  endif()
endforeach()

# The release package: atmosphere-<version>-win64.zip with the DLL, the
# configuration file and a short install note, all at the top of the zip.
configure_file(${PROJECT_SOURCE_DIR}/cmake/INSTALL.txt.in ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY)
install(TARGETS atmosphere RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/atmosphere.ini ${CMAKE_BINARY_DIR}/INSTALL.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME atmosphere)
set(CPACK_PACKAGE_FILE_NAME atmosphere-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
