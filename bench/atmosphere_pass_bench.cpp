// One full pass of the script's loop in debug mode (draw, evaluate, format)
// against a host that answers and records nothing, at an altitude in each
// zone of the default ladder. The game's frame is 16.7 ms at 60 fps; a pass
// should stay far below a thousandth of it.
#include <benchmark/benchmark.h>

#include "atmosphere/script.h"
#include "config/settings.h"
#include "host/host_api.h"
#include "host/key_state.h"
#include "null_host/null_host.h"

namespace {

// Starts the module at `altitude` in CLOUDS and switches debug mode on.
bool StartInDebugMode(float altitude) {
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
    DllMain(nullptr, DllProcessAttach, nullptr);  // registers the keyboard handler
    null_host::SetWeatherTransition("clouds", "clouds", 0.0f);
    null_host::SetAltitude(altitude);
    AtmosphereStartup();
    null_host::ReleaseKey(static_cast<uint32_t>(Settings.DebugKey));
    AtmospherePass();  // takes the debug key
    return Script.debugMode;
}

// A pass at a steady altitude: the zone's text stays, the last block is
// formatted anew.
void FullPassInDebugMode(benchmark::State& state) {
    if (!StartInDebugMode(static_cast<float>(state.range(0)))) state.SkipWithError("debug mode did not switch on");
    for (auto _ : state) AtmospherePass();
}

// The worst case: the zone changes in every pass, so all six blocks are
// formatted every time.
void FullPassChangingZoneEveryTime(benchmark::State& state) {
    if (!StartInDebugMode(850.0f)) state.SkipWithError("debug mode did not switch on");
    bool high = false;
    for (auto _ : state) {
        high = !high;
        null_host::SetAltitude(high ? 1050.0f : 850.0f);
        AtmospherePass();
    }
}

}  // namespace

// Altitudes in the normal zone, the cloud zone, above the clouds and in space.
BENCHMARK(FullPassInDebugMode)->Arg(100)->Arg(1000)->Arg(1700)->Arg(3500);
BENCHMARK(FullPassChangingZoneEveryTime);

BENCHMARK_MAIN();
