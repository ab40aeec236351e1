# The module's portable sources: everything under host/, config/, atmosphere/
# and debug/ except the files bound to one platform (*_win32.cpp), and the
# profile lexer and reader of platform/, which every platform shares.
file(GLOB ATMOSPHERE_MODULE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/platform/profile_*.cpp
  ${PROJECT_SOURCE_DIR}/host/*.cpp
  ${PROJECT_SOURCE_DIR}/config/*.cpp
  ${PROJECT_SOURCE_DIR}/atmosphere/*.cpp
  ${PROJECT_SOURCE_DIR}/debug/*.cpp)
list(FILTER ATMOSPHERE_MODULE_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
# The module reads its configuration file itself, the same way wherever it
# runs: this system's file reads come with it.
if(WIN32)
  list(APPEND ATMOSPHERE_MODULE_SOURCES ${PROJECT_SOURCE_DIR}/platform/file_win32.cpp)
else()
  list(APPEND ATMOSPHERE_MODULE_SOURCES ${PROJECT_SOURCE_DIR}/platform/file_posix.cpp)
endif()
set(ATMOSPHERE_INCLUDE_DIR ${PROJECT_SOURCE_DIR})

# The module as a static library, for the programs that link it into the
# simulated game (sim/, which serves the host
# functions and the rest of the platform seam): the Linux tests and tools and
# the tool on Windows. The shipped module is built apart (cmake/Windows.cmake).
function(atmosphere_add_module_library)
  add_library(atmosphere_module STATIC ${ATMOSPHERE_MODULE_SOURCES})
  target_include_directories(atmosphere_module PUBLIC ${ATMOSPHERE_INCLUDE_DIR})
endfunction()
