// The eight functions of the host library, declared here from what the module
// expects of them. On Windows they are imported from ScriptHookV.dll (the
// import library binds these plain names to the host's decorated exports, see
// cmake/ScriptHookV.def); on Linux the simulated host defines them.
#pragma once

#include <cstdint>

struct HINSTANCE__;                     // the module instance, opaque to us
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
void scriptWait(uint32_t milliseconds);     // yields the script coroutine
void nativeInit(uint64_t hash);             // starts a native call
void nativePush64(uint64_t value);          // pushes one argument
uint64_t* nativeCall();                     // runs it; points at the result slots
}
