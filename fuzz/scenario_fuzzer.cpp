// libFuzzer target for the scenario reader: any text is accepted or refused
// with "line N: reason" for a line that exists, and what it accepts reads
// back the same when written out again step by step.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/scenario.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    sim::Scenario scenario;
    std::string error;
    if (!sim::ParseScenario(text, scenario, error)) {
        Require(error.rfind("line ", 0) == 0);
        const unsigned long line = std::stoul(error.substr(5));
        Require(line >= 1 && line <= static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n')) + 1);
        return 0;
    }
    std::string written;
    for (const sim::ScenarioStep& step : scenario.steps) {
        written += step.command;
        for (const std::string& word : step.words) written += " " + word;
        written += "\n";
    }
    sim::Scenario again;
    Require(sim::ParseScenario(written, again, error));
    Require(again.steps.size() == scenario.steps.size());
    for (size_t i = 0; i < again.steps.size(); ++i) {
        Require(again.steps[i].command == scenario.steps[i].command);
        Require(again.steps[i].words == scenario.steps[i].words);
    }
    return 0;
}
