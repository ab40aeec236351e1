// The script main and the restore of the game's atmosphere.
#pragma once

// The script the host runs on its coroutine, resumed once per frame; never returns.
void AtmosphereScript();

// Puts the game's weather transition, timecycle modifier and cloud set back.
// Called when the module is switched off above the normal zone and at unload.
void RestoreDefaults();
