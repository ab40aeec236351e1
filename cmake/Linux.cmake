# Linux build: the module against the simulated host, the tests under
# sanitizers, and the command-line tool.
option(ATMOSPHERE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(ATMOSPHERE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The module as a static library; the platform seam and the host functions
# come from the simulated host that a program links beside it.
file(GLOB ATMOSPHERE_PORTABLE_PLATFORM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/portable_*.cpp)
add_library(atmosphere_module STATIC ${ATMOSPHERE_MODULE_SOURCES} ${ATMOSPHERE_PORTABLE_PLATFORM_SOURCES})
target_include_directories(atmosphere_module PUBLIC ${ATMOSPHERE_INCLUDE_DIR})

enable_testing()
foreach(part IN ITEMS sim tests tools)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${part}/CMakeLists.txt)
    add_subdirectory(${part})
  endif()
endforeach()

# The fuzz preset builds with clang and libFuzzer (fuzz/CMakeLists.txt).
option(ATMOSPHERE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(ATMOSPHERE_FUZZ AND EXISTS ${PROJECT_SOURCE_DIR}/fuzz/CMakeLists.txt)
  add_subdirectory(fuzz)
endif()
# Benchmarks are meant for the release preset, where nothing is sanitized.
if(EXISTS ${PROJECT_SOURCE_DIR}/bench/CMakeLists.txt AND NOT ATMOSPHERE_SANITIZE)
  add_subdirectory(bench)
endif()
