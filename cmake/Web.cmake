# The web build (preset web, emscripten): the module, the simulated host, the
# flight runner, the checker and the file writer as one WebAssembly program
# inside one script (web/CMakeLists.txt), for the report page. The module's
# sources compile unchanged; web/std_compat.h gives what the compiler's older
# C++ library lacks.
# The linker, like lld, finds symbols in any archive order: the module and
# its backend link as a group without rescanning.
set(CMAKE_CXX_LINK_GROUP_USING_RESCAN_SUPPORTED TRUE)
set(CMAKE_CXX_LINK_GROUP_USING_RESCAN "LINKER:--start-group" "LINKER:--end-group")
add_compile_options(-include ${PROJECT_SOURCE_DIR}/web/std_compat.h -fexceptions)
add_link_options(-fexceptions)

# The JSON library is header-only; its headers alone are put on the path (the
# system's include folder would bring the system's C library with them).
find_path(ATMOSPHERE_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(json_include ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${ATMOSPHERE_JSON_HEADERS}/nlohmann ${json_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${json_include})

atmosphere_add_module_library()
# The module throws nothing and holds nothing to clean up. Built without
# exceptions, its calls skip the JavaScript trampoline that emscripten's
# exceptions put around every call that might throw: that made up much of a
# flight's time in the page.
target_compile_options(atmosphere_module PRIVATE -fno-exceptions)
enable_testing()
add_subdirectory(sim)
target_compile_options(atmosphere_sim PRIVATE -fno-exceptions)  # likewise: the simulated host throws nothing
add_subdirectory(tools/common)
add_subdirectory(tools/preview)
# Likewise the sources that neither throw nor catch: the chart, the zone
# table, the checker and the page, whose many small string operations each
# went through that trampoline. An exception from below (none is expected)
# still passes through them to the caller that catches it.
set(no_exceptions_sources
    tools/common/closest_name.cpp tools/common/configuration_path.cpp tools/common/profile_edit.cpp
    tools/common/real_text.cpp tools/common/setting_value.cpp tools/common/settings_dump.cpp
    tools/common/virtual_keys.cpp tools/common/weather_name.cpp tools/preview/chart.cpp tools/preview/checker.cpp
    tools/preview/markup.cpp tools/preview/page.cpp tools/preview/report.cpp tools/preview/setting_use.cpp
    tools/preview/threshold_order.cpp)
foreach(source IN LISTS no_exceptions_sources)
  get_filename_component(folder ${PROJECT_SOURCE_DIR}/${source} DIRECTORY)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/${source} DIRECTORY ${folder} PROPERTIES COMPILE_OPTIONS
                              -fno-exceptions)
endforeach()
add_subdirectory(web)
