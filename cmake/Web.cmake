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
enable_testing()
add_subdirectory(sim)
add_subdirectory(tools/common)
add_subdirectory(tools/preview)
add_subdirectory(web)
