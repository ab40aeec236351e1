// The smallest module the host runs, built with the module's toolchain and
// flags: it registers a script that only waits and a handler that ignores
// every key. What a load/unload cycle of it leaves behind is the share of
// the stand-in host, the C runtime and wine, against which the real
// module's cycles are measured.
#include "host/host_api.h"

namespace {

void WaitingScript() {
    for (;;) scriptWait(0);
}

void IgnoreKey(uint32_t, uint16_t, uint8_t, int32_t, int32_t, int32_t, int32_t) {}

}  // namespace

extern "C" int DllMain(ModuleHandle instance, uint32_t reason, void*) {
    if (reason == DllProcessAttach) {
        scriptRegister(instance, WaitingScript);
        keyboardHandlerRegister(IgnoreKey);
    } else if (reason == DllProcessDetach) {
        scriptUnregister(instance);
        keyboardHandlerUnregister(IgnoreKey);
    }
    return 1;
}
