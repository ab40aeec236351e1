// The binding to the host: the eight functions of the host library, declared
// here from what the module expects of them, and the entry point through which
// the loader (on Linux the simulated host) enters the module. On Windows they are imported from ScriptHookV.dll (the
// import library binds these plain names to the host's decorated exports, see
// cmake/ScriptHookV.def); on Linux the simulated host defines them.
#pragma once

#include <cstdint>

struct HINSTANCE__;  // the module instance, opaque to us
using ModuleHandle = HINSTANCE__*;

// Receives every keyboard message: virtual-key code, repeat count, scan code,
// extended-key flag, alt-down flag, was-down flag, and a release flag that is
// non-zero exactly for a key-up message.
using KeyboardHandler = void (*)(uint32_t, uint16_t, uint8_t, int32_t, int32_t, int32_t, int32_t);

extern "C" {
void scriptRegister(ModuleHandle module, void (*script)());
void scriptUnregister(ModuleHandle module);
void keyboardHandlerRegister(KeyboardHandler handler);
void keyboardHandlerUnregister(KeyboardHandler handler);
void scriptWait(uint32_t milliseconds);  // yields the script coroutine
void nativeInit(uint64_t hash);          // starts a native call
void nativePush64(uint64_t value);       // pushes one argument
uint64_t* nativeCall();                  // runs it; points at the result slots
}

// The loader's notifications, as Windows numbers them.
inline constexpr uint32_t DllProcessDetach = 0;
inline constexpr uint32_t DllProcessAttach = 1;
inline constexpr uint32_t DllThreadAttach = 2;
inline constexpr uint32_t DllThreadDetach = 3;

// The module's entry point (entry/dll_main.cpp), called by the loader with
// one of the notifications above. Always returns 1 (TRUE): the module never
// fails its load. Written without <windows.h>: these types have the same
// layout and calling convention as HINSTANCE, DWORD, LPVOID and BOOL on x64.
extern "C" int DllMain(ModuleHandle instance, uint32_t reason, void* reserved);
