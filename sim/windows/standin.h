// The stand-in host's own interface, between game.exe and the test-only
// ScriptHookV.dll: game.exe owns the process (it loads the module and
// arranges its own image), the stand-in runs the simulated host and the
// scenario. Plain C types only, so nothing of either C++ runtime crosses.
#pragma once

#include <cstdint>

extern "C" {

// What the stand-in asks of the game during a scenario.
struct StandInGame {
    void* context;
    void (*loadModule)(void* context);              // LoadLibrary of the module under test
    void (*unloadModule)(void* context);            // FreeLibrary of it
    void (*arrangeImage)(void* context, int mode);  // a sim::ImageMode value
    void (*reportImage)(void* context, int32_t* signatures, int32_t* flag);
};

// Runs `scenarioText` against the module the game loads and writes the trace
// text to `tracePath`. Returns 0; 2 when the scenario does not parse and 3
// when the trace cannot be written, with a message in `error` (NUL-terminated,
// `errorCapacity` bytes).
int StandInRunScenario(const char* scenarioText, const StandInGame* game, const char* tracePath, char* error,
                       uint32_t errorCapacity);

// The simulated clock, ms. game.exe points the module's GetTickCount here so
// that key timing follows the scenario's clock, exactly as on Linux.
uint32_t StandInTickCount();

// The simulated calendar at that clock, in GetLocalTime's layout (year,
// month, day of the week, day, hour, minute, second, millisecond). game.exe
// points the module's GetLocalTime here, so that the module's log carries
// the same times as on Linux.
void StandInLocalTime(uint16_t fields[8]);

}  // extern "C"
