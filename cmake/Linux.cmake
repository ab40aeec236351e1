# Linux build: the module against the simulated host, the tests under
# sanitizers, and the command-line tool.
option(ATMOSPHERE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(ATMOSPHERE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz preset builds with clang and libFuzzer (fuzz/CMakeLists.txt); it
# needs neither the tests nor the tools, whose ctest entries would otherwise
# run a second time there. Everything it builds is instrumented, the module
# library included, so the fuzzers link the same library as everything else:
# coverage by edge counters, without the comparison hooks that libFuzzer adds
# by default (in the byte-by-byte loops of the readers they cost more than
# ten times the work itself, and the dictionaries give the magic words).
option(ATMOSPHERE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(ATMOSPHERE_FUZZ)
  # The compiler reads the ignore list, but only its name is on the command
  # line: its hash goes there too, so that a change to the list rebuilds
  # everything (and no compiler cache hands back objects built with the old one).
  set(coverage_ignore ${PROJECT_SOURCE_DIR}/fuzz/coverage_ignore.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${coverage_ignore})
  file(MD5 ${coverage_ignore} coverage_ignore_hash)
  add_compile_options(-fsanitize=address,undefined -fsanitize-coverage=inline-8bit-counters,pc-table
    -fsanitize-coverage-ignorelist=${coverage_ignore} -DATMOSPHERE_COVERAGE_IGNORE=${coverage_ignore_hash}
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The module as a static library; the platform seam and the host functions
# come from the backend that a program links beside it.
atmosphere_add_module_library()

enable_testing()
set(linux_parts sim null_host tests tools)
if(ATMOSPHERE_FUZZ)
  set(linux_parts sim null_host)
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
