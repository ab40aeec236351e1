// The top of the module: the library entry registers the script and the
// keyboard handler with the host at load, and puts the game back and
// unregisters both at unload. It sits above every other folder, since it is
// the one place that ties the host binding to the script.
#include "atmosphere/script.h"
#include "debug/log_events.h"
#include "debug/module_log.h"
#include "host/host_api.h"
#include "host/key_state.h"

extern "C" int DllMain(ModuleHandle instance, uint32_t reason, void*) {
    switch (reason) {
    case DllProcessAttach:
        scriptRegister(instance, AtmosphereScript);
        keyboardHandlerRegister(RecordKeyMessage);
        break;
    case DllProcessDetach:
        // While the script is still registered, so the game is put back first.
        RestoreDefaults();
        scriptUnregister(instance);
        keyboardHandlerUnregister(RecordKeyMessage);
        LogUnload(Script.startupCompleted);
        EndLog();
        break;
    default:  // thread attach and detach: nothing to do
        break;
    }
    return 1;
}
