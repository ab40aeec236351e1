// A probe module for the simulated hosts: each frame it calls every native
// the module uses, polls the key-state table and draws a line of text that
// shows the clock and the C runtime's random numbers. Built into the Linux
// tests and, as probe.dll, run by game.exe under wine; both traces must equal
// one golden file, which pins the trace text to the byte on both platforms.
// Depends on the host binding and the platform seam.
#pragma once

#include <cstdint>

#include "host/host_api.h"

// DllMain's shape: registers the probe's script and RecordKeyMessage at
// process attach, clears the weather override and unregisters both at detach.
int ProbeModuleEntry(ModuleHandle instance, uint32_t reason, void* reserved);

// Back to the load-time state (the Linux tests run many sessions in one process).
void ResetProbeModule();
