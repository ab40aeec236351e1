# Windows cross build: the shipped module atmosphere.asi and tool
# atmosphere-sim.exe, and the test programs that run under wine.

# Import library for the host, generated from our own definitions so that the
# module imports exactly the host's decorated names.
set(HOST_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/libScriptHookV.a)
add_custom_command(
  OUTPUT ${HOST_IMPORT_LIBRARY}
  COMMAND ${MINGW_DLLTOOL} --input-def ${PROJECT_SOURCE_DIR}/cmake/ScriptHookV.def
          --dllname ScriptHookV.dll --output-lib ${HOST_IMPORT_LIBRARY}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/ScriptHookV.def
  COMMENT "Generating the host import library")
add_custom_target(host_import_library DEPENDS ${HOST_IMPORT_LIBRARY})

# Debian's wine starts 64-bit programs without wine's preloader, so nothing
# keeps the kernel's address-space randomisation away from the fixed address
# every Windows process needs (the shared user data at 0x7ffe0000): now and
# then a start fails with "failed to map the shared user data" and status 1,
# silently under WINEDEBUG=-all (about one start in a few thousand on the
# test machine; it failed whole suite runs at random). Every program the
# build and the tests run under wine goes through this launcher, which
# switches the randomisation off for wine and every process it starts.
if(WINE_PROGRAM)
  set(wine_launcher ${CMAKE_BINARY_DIR}/wine-fixed-layout)
  file(WRITE ${wine_launcher} "#!/bin/sh\nexec setarch \"\$(uname -m)\" -R \"${WINE_PROGRAM}\" \"\$@\"\n")
  file(CHMOD ${wine_launcher} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                          WORLD_EXECUTE)
  set(WINE_PROGRAM ${wine_launcher})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_launcher})
endif()

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# C99 printf in place of msvcrt's in every Windows program, so that the
# overlay text, the traces and the tool's outputs read as on Linux.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# The module's sources with the Windows side of the platform seam. Static
# runtime libraries: the module may import only KERNEL32, msvcrt and the host.
function(atmosphere_windows_module_settings target)
  target_include_directories(${target} PRIVATE ${ATMOSPHERE_INCLUDE_DIR})
  target_link_options(${target} PRIVATE -static)
endfunction()

# Everything is compiled with debug information, but what is shipped carries
# no debug sections: after each link, the debug information moves into
# <file>.debug beside the binary in the build folder, for crash analysis, and
# the binary keeps a link to it that debuggers follow. (-g changes no code.)
add_compile_options(-g)
function(atmosphere_split_debug_information target)
  set(binary $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${MINGW_OBJCOPY} --only-keep-debug ${binary} ${binary}.debug
    COMMAND ${MINGW_OBJCOPY} --strip-all ${binary}
    COMMAND ${MINGW_OBJCOPY} --add-gnu-debuglink=${binary}.debug ${binary}
    COMMENT "Moving the debug information of $<TARGET_FILE_NAME:${target}> into $<TARGET_FILE_NAME:${target}>.debug"
    VERBATIM)
endfunction()

# Each shipped binary carries the project's version as a version resource,
# and a program its manifest, when one is named after the description.
enable_language(RC)
function(atmosphere_version_resource target file_name file_type description)
  set(ATMOSPHERE_INTERNAL_NAME ${target})
  set(ATMOSPHERE_FILE_NAME ${file_name})
  set(ATMOSPHERE_FILE_TYPE ${file_type})
  set(ATMOSPHERE_FILE_DESCRIPTION ${description})
  set(ATMOSPHERE_MANIFEST "")
  if(ARGC GREATER 4)
    set(ATMOSPHERE_MANIFEST "1 24 \"${ARGV4}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/atmosphere.rc.in ${CMAKE_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}.rc)
endfunction()

# The module library, and the Win32 side of the platform seam as its own
# library: the shipped module links the two with the real host's import
# library; the Windows test programs that run the module's reader link them
# too. The tool links the module library with the simulated host (sim/),
# exactly as on Linux.
atmosphere_add_module_library()
add_library(atmosphere_platform_win32 STATIC ${PROJECT_SOURCE_DIR}/platform/platform_win32.cpp)
target_include_directories(atmosphere_platform_win32 PUBLIC ${ATMOSPHERE_INCLUDE_DIR})

# The module: a 64-bit DLL named as the host's plugin loader wants it. Its
# only source is the version resource; the C runtime's DLL start-up calls
# DllMain, which brings in what it needs from the module library.
add_library(atmosphere SHARED)
set_target_properties(atmosphere PROPERTIES PREFIX "" OUTPUT_NAME atmosphere SUFFIX .asi)
atmosphere_version_resource(atmosphere atmosphere.asi VFT_DLL "${PROJECT_DESCRIPTION}")
atmosphere_windows_module_settings(atmosphere)
atmosphere_split_debug_information(atmosphere)
add_dependencies(atmosphere host_import_library)
# The library exports nothing: without this, mingw's linker exports every global.
target_link_options(atmosphere PRIVATE -Wl,--exclude-all-symbols)
target_link_libraries(atmosphere PRIVATE atmosphere_module atmosphere_platform_win32 ${HOST_IMPORT_LIBRARY})

# CLI11 and nlohmann-json, header-only, come from the build machine's
# /usr/include, which the cross build cannot search: its find root is the
# mingw tree, and /usr/include's C headers are glibc's. A folder of the build
# holds links to just those two libraries, and package files of our own name
# it, so that the tools' find_package() calls find them there.
function(atmosphere_stage_header_library package target folder header)
  find_path(${package}_HOST_INCLUDE_DIR ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${package}_HOST_INCLUDE_DIR)
    message(FATAL_ERROR "${header} is missing from /usr/include: scripts/install-packages.sh installs it")
  endif()
  set(stage ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${stage}/include)
  file(CREATE_LINK ${${package}_HOST_INCLUDE_DIR}/${folder} ${stage}/include/${folder} SYMBOLIC)
  file(WRITE ${stage}/${package}/${package}Config.cmake
    "if(NOT TARGET ${target})\n"
    "  add_library(${target} INTERFACE IMPORTED)\n"
    "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${stage}/include\")\n"
    "endif()\n")
  set(${package}_DIR ${stage}/${package} CACHE PATH "Package file of the staged ${package} headers" FORCE)
endfunction()
atmosphere_stage_header_library(CLI11 CLI11::CLI11 CLI CLI/CLI.hpp)
atmosphere_stage_header_library(nlohmann_json nlohmann_json::nlohmann_json nlohmann nlohmann/json.hpp)

# ctest runs from the build folder's top: testing must be on at this level.
enable_testing()
foreach(part IN ITEMS sim tools tests/windows)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${part}/CMakeLists.txt)
    add_subdirectory(${part} ${CMAKE_BINARY_DIR}/${part})
  endif()
endforeach()

# The release package: atmosphere-<version>-win64.zip with the module, the
# configuration file, the install note and the tool, all at the top of the zip.
# The note has Windows line ends, for every text editor there.
configure_file(${PROJECT_SOURCE_DIR}/cmake/INSTALL.txt.in ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS atmosphere atmosphere-sim RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/atmosphere.ini ${CMAKE_BINARY_DIR}/INSTALL.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME atmosphere)
set(CPACK_PACKAGE_FILE_NAME atmosphere-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
