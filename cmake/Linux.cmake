# Linux build: the module against the simulated host, the tests under
# sanitizers, and the command-line tool.
option(ATMOSPHERE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(ATMOSPHERE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The module as a static library with the POSIX file reads; the rest of the
# platform seam and the host functions come from the simulated host that a
# program links beside it.
set(ATMOSPHERE_PORTABLE_PLATFORM_SOURCES ${PROJECT_SOURCE_DIR}/platform/platform_posix.cpp)
add_library(atmosphere_module STATIC ${ATMOSPHERE_MODULE_SOURCES} ${ATMOSPHERE_PORTABLE_PLATFORM_SOURCES})
target_include_directories(atmosphere_module PUBLIC ${ATMOSPHERE_INCLUDE_DIR})

# The fuzz preset builds with clang and libFuzzer (fuzz/CMakeLists.txt); it
# needs neither the tests nor the tools, whose ctest entries would otherwise
# run a second time there.
option(ATMOSPHERE_FUZZ "Build the libFuzzer targets (clang only)" OFF)

enable_testing()
set(linux_parts sim tests tools)
if(ATMOSPHERE_FUZZ)
  set(linux_parts sim)
endif()
foreach(part IN LISTS linux_parts)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${part}/CMakeLists.txt)
    add_subdirectory(${part})
  endif()
endforeach()

if(ATMOSPHERE_FUZZ AND EXISTS ${PROJECT_SOURCE_DIR}/fuzz/CMakeLists.txt)
  add_subdirectory(fuzz)
endif()
# Benchmarks are meant for the release preset, where nothing is sanitized.
if(EXISTS ${PROJECT_SOURCE_DIR}/bench/CMakeLists.txt AND NOT ATMOSPHERE_SANITIZE AND NOT ATMOSPHERE_FUZZ)
  add_subdirectory(bench)
endif()
