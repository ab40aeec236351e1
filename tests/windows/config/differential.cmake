# Runs every corpus file (and the shipped atmosphere.ini) through the
# configuration reader three ways and requires the settings records to be
# identical field by field: the module's profile reader in the Windows build
# under wine, the same build with the system's profile functions answering
# every read (the oracle), and the Linux atmosphere-sim.
# Inputs: WINE, DUMP (config_dump.exe), SIM (Linux atmosphere-sim), CORPUS,
# SHIPPED (atmosphere.ini), WORK (scratch folder).
if(NOT EXISTS "${SIM}")
  message(FATAL_ERROR "No Linux atmosphere-sim at ${SIM}: build the linux preset first "
                      "(or set ATMOSPHERE_LINUX_BUILD_DIR).")
endif()
file(GLOB files LIST_DIRECTORIES false "${CORPUS}/*.ini")
list(LENGTH files corpus_count)
if(corpus_count LESS 30)
  message(FATAL_ERROR "Corpus at ${CORPUS} has only ${corpus_count} files")
endif()
list(APPEND files "${SHIPPED}")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${WINE}" "${DUMP}" "${WORK}" ${files}
                RESULT_VARIABLE wine_result ERROR_VARIABLE wine_errors)
if(NOT wine_result EQUAL 0)
  message(FATAL_ERROR "config_dump under wine failed (${wine_result}): ${wine_errors}")
endif()

# Lists the fields whose values differ, descending into objects.
function(compare_json expected actual path out)
  set(differences "")
  string(JSON count LENGTH "${expected}")
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON member MEMBER "${expected}" ${i})
    string(JSON type TYPE "${expected}" "${member}")
    string(JSON e GET "${expected}" "${member}")
    string(JSON a ERROR_VARIABLE missing GET "${actual}" "${member}")
    if(missing)
      list(APPEND differences "${path}${member}: missing")
    elseif(type STREQUAL "OBJECT")
      compare_json("${e}" "${a}" "${path}${member}." nested)
      list(APPEND differences ${nested})
    elseif(NOT e STREQUAL a)
      list(APPEND differences "${path}${member}: ${e} / ${a}")
    endif()
  endforeach()
  set(${out} "${differences}" PARENT_SCOPE)
endfunction()

# Compares two records of one file; counts and reports a difference.
function(expect_same_record name label expected actual)
  if(expected STREQUAL actual)
    return()
  endif()
  string(STRIP "${expected}" expected)
  string(STRIP "${actual}" actual)
  compare_json("${expected}" "${actual}" "" differences)
  string(REPLACE ";" "\n  " differences "${differences}")
  message(SEND_ERROR "${name}: ${label}\n  ${differences}")
  math(EXPR count "${failed} + 1")
  set(failed ${count} PARENT_SCOPE)
endfunction()

set(failed 0)
set(index 0)
foreach(file IN LISTS files)
  math(EXPR index "${index} + 1")
  get_filename_component(name "${file}" NAME)
  execute_process(COMMAND "${SIM}" config "${file}" --json
                  OUTPUT_VARIABLE linux_json RESULT_VARIABLE sim_result ERROR_QUIET)
  set(reader_file "${WORK}/${index}.json")
  set(profile_file "${WORK}/${index}.profile.json")
  if(NOT sim_result EQUAL 0 OR NOT EXISTS "${reader_file}" OR NOT EXISTS "${profile_file}")
    message(SEND_ERROR "${name}: no record (atmosphere-sim ${sim_result})")
    math(EXPR failed "${failed} + 1")
    continue()
  endif()
  file(READ "${reader_file}" reader_json)
  file(READ "${profile_file}" profile_json)
  expect_same_record("${name}" "the reader differs from the profile functions (profile / reader)"
                     "${profile_json}" "${reader_json}")
  expect_same_record("${name}" "Linux differs from Windows (Windows / Linux)" "${reader_json}" "${linux_json}")
endforeach()

list(LENGTH files total)
if(failed GREATER 0)
  message(FATAL_ERROR "${failed} differences over ${total} files")
endif()
message(STATUS "${total} files read identically by the profile functions and the reader, on Windows (wine) and Linux")
