// The probe module's library entry for the wine tests (tests/sim/probe_module.h).
#include "tests/sim/probe_module.h"

extern "C" int DllMain(ModuleHandle instance, uint32_t reason, void* reserved) {
    return ProbeModuleEntry(instance, reason, reserved);
}
