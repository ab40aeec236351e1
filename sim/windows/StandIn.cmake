# The test-only stand-in host for the wine tests: ScriptHookV.dll built from
# the portable simulator core with fibers for the script, and game.exe, the
# "game executable" that loads the real atmosphere.asi beside it. Both land
# in the build folder's top, next to atmosphere.asi. Never shipped.
set(STANDIN_DIR ${CMAKE_CURRENT_SOURCE_DIR}/windows)

add_library(standin_host SHARED ${SIM_PORTABLE_SOURCES}
  ${CMAKE_CURRENT_SOURCE_DIR}/coroutine_fiber.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path_text_win32.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/wall_clock_win32.cpp
  ${STANDIN_DIR}/backend_win32.cpp
  ${STANDIN_DIR}/standin.cpp
  ${STANDIN_DIR}/standin.def)
set_target_properties(standin_host PROPERTIES PREFIX "" OUTPUT_NAME ScriptHookV
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
atmosphere_windows_module_settings(standin_host)

add_executable(game ${STANDIN_DIR}/game.cpp ${PROJECT_SOURCE_DIR}/sim/image.cpp)
atmosphere_windows_module_settings(game)
# The module scans game.exe's whole image, debug sections included when there
# are any, and the debug information spells out the signature bytes once more.
target_compile_options(game PRIVATE -g0)
target_link_libraries(game PRIVATE standin_host)
