// The stand-in ScriptHookV.dll's own entry points: run a scenario for
// game.exe and serve the simulated clock. Test-only; never shipped.
#include <cstdio>
#include <string>

#include "sim/scenario.h"
#include "sim/session.h"
#include "sim/windows/standin.h"
#include "sim/windows/standin_internal.h"

namespace {

void CopyMessage(const std::string& message, char* error, uint32_t capacity) {
    if (error == nullptr || capacity == 0) return;
    std::snprintf(error, capacity, "%s", message.c_str());
}

}  // namespace

extern "C" int StandInRunScenario(const char* scenarioText, const StandInGame* game, const char* tracePath, char* error,
                                  uint32_t errorCapacity) {
    sim::Scenario scenario;
    std::string message;
    if (!sim::ParseScenario(scenarioText, scenario, message)) {
        CopyMessage(message, error, errorCapacity);
        return 2;
    }
    sim::backend::SetStandInGame(game);
    std::string trace;
    {
        sim::Session session;
        sim::RunScenario(scenario, session);
        trace = session.TraceText();
    }
    sim::backend::SetStandInGame(nullptr);

    std::FILE* file = std::fopen(tracePath, "wb");
    const bool written = file != nullptr && std::fwrite(trace.data(), 1, trace.size(), file) == trace.size();
    if (file != nullptr && std::fclose(file) != 0) return 3;
    if (!written) {
        CopyMessage(std::string("cannot write ") + tracePath, error, errorCapacity);
        return 3;
    }
    return 0;
}

extern "C" uint32_t StandInTickCount() {
    const sim::Session* session = sim::Session::Current();
    return session != nullptr ? session->Now() : 0;
}

extern "C" void StandInLocalTime(uint16_t fields[8]) {
    const platform::LocalTime time = sim::LocalTimeAt(StandInTickCount());
    const uint16_t layout[8] = {time.year,   time.month,  0, time.day, time.hour,
                                time.minute, time.second, time.millisecond};
    for (int i = 0; i < 8; ++i) fields[i] = layout[i];
}
