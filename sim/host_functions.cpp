// The eight host functions the module imports (host/host_api.h), forwarding
// to the live session. Linux links them into the module's programs; the
// stand-in ScriptHookV.dll exports them under the host's decorated names.
#include <string>

#include "host/host_api.h"
#include "sim/session.h"

namespace {

[[gnu::cold, gnu::noinline]] void NoSession(const char* function) {
    sim::Session::Fault(std::string(function) + " called with no simulated session");
}

// The live session; a call with none is a fault (then the call does nothing).
// Inline with its fault out of line: the module calls the host hundreds of
// times a frame.
inline sim::Session* Live(const char* function) {
    sim::Session* session = sim::Session::Current();
    if (session == nullptr) [[unlikely]]
        NoSession(function);
    return session;
}

}  // namespace

extern "C" {

void scriptRegister(ModuleHandle module, void (*script)()) {
    if (sim::Session* session = Live("scriptRegister")) session->HostScriptRegister(module, script);
}

void scriptUnregister(ModuleHandle module) {
    if (sim::Session* session = Live("scriptUnregister")) session->HostScriptUnregister(module);
}

void keyboardHandlerRegister(KeyboardHandler handler) {
    if (sim::Session* session = Live("keyboardHandlerRegister")) session->HostKeyboardHandlerRegister(handler);
}

void keyboardHandlerUnregister(KeyboardHandler handler) {
    if (sim::Session* session = Live("keyboardHandlerUnregister")) session->HostKeyboardHandlerUnregister(handler);
}

void scriptWait(uint32_t milliseconds) {
    if (sim::Session* session = Live("scriptWait")) session->HostScriptWait(milliseconds);
}

void nativeInit(uint64_t hash) {
    if (sim::Session* session = Live("nativeInit")) session->HostNativeInit(hash);
}

void nativePush64(uint64_t value) {
    if (sim::Session* session = Live("nativePush64")) session->HostNativePush64(value);
}

uint64_t* nativeCall() {
    if (sim::Session* session = Live("nativeCall")) return session->HostNativeCall();
    static uint64_t noResult[sim::NativeResultSlots];
    return noResult;
}

}  // extern "C"
