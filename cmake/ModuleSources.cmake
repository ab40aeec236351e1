# The module library: everything under entry/, host/, config/, atmosphere/ and
# debug/, with the portable half of platform/ (the profile lexer and reader,
# and this system's file reads). It leaves the host functions and the rest of
# the platform seam undefined: a program links it with one backend that
# defines them, chosen at link time:
#   - the simulated host (sim/, target atmosphere_sim): tests and tools;
#   - the null host (null_host/, target atmosphere_null_host): the pass
#     benchmark and the allocation test;
#   - on Windows, the Win32 platform (platform/platform_win32.cpp) with the
#     real host's import library: the shipped atmosphere.asi.
file(GLOB ATMOSPHERE_MODULE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/platform/profile_*.cpp
  ${PROJECT_SOURCE_DIR}/entry/*.cpp
  ${PROJECT_SOURCE_DIR}/host/*.cpp
  ${PROJECT_SOURCE_DIR}/config/*.cpp
  ${PROJECT_SOURCE_DIR}/atmosphere/*.cpp
  ${PROJECT_SOURCE_DIR}/debug/*.cpp)
# The module reads its configuration file itself, the same way wherever it
# runs: this system's file reads come with it.
if(WIN32)
  list(APPEND ATMOSPHERE_MODULE_SOURCES ${PROJECT_SOURCE_DIR}/platform/file_win32.cpp)
else()
  list(APPEND ATMOSPHERE_MODULE_SOURCES ${PROJECT_SOURCE_DIR}/platform/file_posix.cpp)
endif()
set(ATMOSPHERE_INCLUDE_DIR ${PROJECT_SOURCE_DIR})

function(atmosphere_add_module_library)
  add_library(atmosphere_module STATIC ${ATMOSPHERE_MODULE_SOURCES})
  target_include_directories(atmosphere_module PUBLIC ${ATMOSPHERE_INCLUDE_DIR})
  # The log's first line names it.
  target_compile_definitions(atmosphere_module PRIVATE ATMOSPHERE_VERSION="${PROJECT_VERSION}")
endfunction()

# Links `target` with the module library and `backend`. The two refer to each
# other (the module calls the host; a backend that loads the module enters it
# through DllMain), so the linker searches them as one group.
function(atmosphere_link_module target visibility backend)
  target_link_libraries(${target} ${visibility} "$<LINK_GROUP:RESCAN,atmosphere_module,${backend}>")
endfunction()
