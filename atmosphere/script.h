// The script main: start-up, the per-frame loop with its hotkeys and entity
// tag commands, switching the controller on and off, and putting the game's
// atmosphere back. Depends on the host layer, the key-state table, the
// configuration reader, the zone ladder and the debug overlay.
#pragma once

#include <cstdint>

#include "config/settings.h"
#include "debug/log_events.h"

struct ScriptModuleState {
    bool reloadRequested;        // "\"reload\"" tag seen; consumed at the top of the next pass
    bool enableToggleRequested;  // "\"enabled\"" tag seen; consumed at the top of the next pass
    bool debugToggleRequested;   // "\"debugmode\"" tag seen; consumed at the top of the next pass
    float transitionFraction;    // weather transition fraction read at start-up; only RestoreDefaults uses it
    bool enabled;                // the controller acts on the game; true after each start-up
    bool debugMode;              // the overlay is drawn; false after each start-up
    bool startupCompleted;       // a start-up has run to its end, so the hashes and the pair are real
};

extern constinit ScriptModuleState Script;

// The script the host runs on its coroutine, resumed once per frame; runs
// the start-up, then one pass and one scriptWait(0) per frame, forever.
void AtmosphereScript();

// Puts the game's weather transition, timecycle modifier, cloud set, wind and
// effect level back.
// Called when the controller is switched off above the normal zone and at
// unload; does nothing until a start-up has completed, since before that the
// weather hashes it would hand over are all 0 and name no weather.
void RestoreDefaults();

// The start-up of AtmosphereScript: module directory, the log, signature
// scan, weather hashes, the transition in force and its row, the first
// configuration load.
void AtmosphereStartup();

// One pass of the loop, everything but the closing scriptWait(0): hotkeys,
// the player handle, entity tag commands and, while enabled, draw, evaluate
// and format.
void AtmospherePass();

// Sets ModuleDirectory to the directory part of the game executable's
// `path` (`length` characters, as the platform reported it), trailing
// backslash included; leaves it empty when the path was cut at the buffer's
// size, could not be had (0) or holds no backslash.
void SetModuleDirectoryFromPath(const char* path, uint32_t length);

// Searches the readable memory of the game executable's image for the flag
// test's signature and clears the flag byte its displacement points at.
// Returns what became of the byte: not found, not writable image memory
// (the write is skipped), set, or found 0 already.
FlagByteOutcome ScanForSignature();

// Puts the state of the script, the zone ladder, the lightning scheduler and
// the overlay back to their load-time values, with ModuleDirectory empty and
// ConfigFileName "atmosphere.ini" (for tests; settings and key state have
// their own resets).
void ResetAtmosphereModule();
