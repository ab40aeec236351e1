# Linux build: the module against the simulated host, the tests under
# sanitizers, and the command-line tool.
option(ATMOSPHERE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(ATMOSPHERE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The module as a static library; the platform seam and the host functions
# come from the simulated host that a program links beside it.
atmosphere_add_module_library()

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
