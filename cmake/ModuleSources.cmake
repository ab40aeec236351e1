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
set(ATMOSPHERE_INCLUDE_DIR ${PROJECT_SOURCE_DIR})
