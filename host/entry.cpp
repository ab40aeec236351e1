// The library entry: registers the script and the keyboard handler with the
// host at load, and puts the game back and unregisters both at unload.
// Written without <windows.h>: the types below have the same layout and
// calling convention as HINSTANCE, DWORD, LPVOID and BOOL on x64.
#include "host/entry.h"

#include "atmosphere/script.h"
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
        break;
    default:  // thread attach and detach: nothing to do
        break;
    }
    return 1;
}
