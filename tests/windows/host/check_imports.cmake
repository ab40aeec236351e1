# Checks a module DLL's tables with objdump -p: it may import only from
# KERNEL32.dll, msvcrt.dll and ScriptHookV.dll, from ScriptHookV.dll exactly
# the host's eight decorated names, none of the threads runtime's functions,
# and it must export nothing.
#   cmake -DOBJDUMP=<x86_64-w64-mingw32-objdump> -DLIBRARY=<dll> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
set(allowed_libraries KERNEL32.dll msvcrt.dll ScriptHookV.dll)
set(host_names
  "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z"
  "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z"
  "?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z"
  "?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z"
  "?scriptWait@@YAXK@Z"
  "?nativeInit@@YAX_K@Z"
  "?nativePush64@@YAX_K@Z"
  "?nativeCall@@YAPEA_KXZ")

# The module starts no thread. These come with a static copy of the threads
# runtime (pulled in by the C++ exception runtime), which takes a TLS index and
# installs an exception handler at every load and gives neither back.
set(threads_runtime_names TlsAlloc TlsSetValue CreateSemaphoreA ReleaseSemaphore GetThreadContext
  SetThreadContext SuspendThread AddVectoredExceptionHandler _beginthreadex)

execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed")
endif()
# Brackets and semicolons would upset CMake's lists; none matter here.
string(REPLACE ";" "," dump "${dump}")
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(problems "")
set(libraries "")
set(host_imports "")
set(imports "")
set(library "")
set(in_exports OFF)
set(exported "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    set(library "${CMAKE_MATCH_1}")
    list(APPEND libraries "${library}")
  elseif(library AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
    list(APPEND imports "${CMAKE_MATCH_1}")
    if(library STREQUAL "ScriptHookV.dll")
      list(APPEND host_imports "${CMAKE_MATCH_1}")
    endif()
  elseif(line STREQUAL "")
    set(library "")
  endif()
  if(line MATCHES "^<Ordinal/Name Pointer> Table")
    set(in_exports ON)
  elseif(in_exports AND line MATCHES "^\t< *[0-9]+> (.+)$")
    list(APPEND exported "${CMAKE_MATCH_1}")
  elseif(in_exports AND line MATCHES "^[A-Za-z]")
    set(in_exports OFF)
  endif()
endforeach()

foreach(name IN LISTS libraries)
  if(NOT name IN_LIST allowed_libraries)
    string(APPEND problems "imports ${name}\n")
  endif()
endforeach()
if(NOT "ScriptHookV.dll" IN_LIST libraries)
  string(APPEND problems "does not import ScriptHookV.dll\n")
endif()
foreach(name IN LISTS host_names)
  if(NOT name IN_LIST host_imports)
    string(APPEND problems "ScriptHookV.dll does not provide ${name}\n")
  endif()
endforeach()
foreach(name IN LISTS host_imports)
  if(NOT name IN_LIST host_names)
    string(APPEND problems "imports ${name} from ScriptHookV.dll\n")
  endif()
endforeach()
foreach(name IN LISTS threads_runtime_names)
  if(name IN_LIST imports)
    string(APPEND problems "imports ${name}, a piece of the threads runtime\n")
  endif()
endforeach()
foreach(name IN LISTS exported)
  string(APPEND problems "exports ${name}\n")
endforeach()

if(problems)
  # Plain text first: FATAL_ERROR would re-wrap the long decorated names.
  message(NOTICE "${LIBRARY}:\n${problems}")
  message(FATAL_ERROR "the library's import or export table is wrong")
endif()
list(LENGTH host_imports count)
list(LENGTH imports total)
message(STATUS "${LIBRARY}: imports ${total} functions from ${libraries}; ${count} host names; no exports")
