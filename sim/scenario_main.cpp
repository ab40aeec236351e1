// atmosphere-scenario: runs one scenario file against the module on the
// simulated host and writes the trace (to a file, or to standard output).
//   atmosphere-scenario [--game-dir DIR] [--summary] SCENARIO [TRACE]
//   atmosphere-scenario --soak SEED FRAMES
// The second form writes the soak flight of that seed (sim/soak.h) to
// standard output instead.
// The game directory is where the module looks for atmosphere.ini; by
// default the current directory. --summary prints the game's state after
// every frame instead of the trace (when no TRACE file is given). Exit
// status 0, or 2 for a bad scenario.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/scenario.h"
#include "sim/session.h"
#include "sim/soak.h"

namespace {

bool ReadUnsigned(const char* text, uint32_t& value) {
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && stop != text;
}

// The game's weather names, for showing hashes by name.
std::string WeatherName(uint32_t hash) {
    static const char* const names[] = {"extrasunny", "clear", "clouds",   "smog", "neutral",
                                        "snowlight",  "foggy", "overcast", "rain", "thunder",
                                        "clearing",   "snow",  "blizzard", "xmas", "halloween"};
    for (const char* name : names) {
        if (sim::GameHash(name) == hash) return name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hash));
    return text;
}

// One line per frame: what the module left the game in.
void PrintSummary(const sim::Session& session) {
    std::printf("%5s %9s %-22s %-10s %-14s %-28s %6s %6s %s\n", "frame", "altitude", "weather (from>to@f)", "forced",
                "clouds@opacity", "timecycle[index]@strength", "wind", "effect", "flashes");
    const std::vector<sim::World>& history = session.History();
    for (size_t i = 0; i < history.size(); ++i) {
        const sim::World& w = history[i];
        char weather[64], clouds[64], timecycle[96];
        std::snprintf(weather, sizeof weather, "%s>%s@%.2f", WeatherName(w.transitionFrom).c_str(),
                      WeatherName(w.transitionTo).c_str(), static_cast<double>(w.transitionFraction));
        std::snprintf(clouds, sizeof clouds, "%s@%.2f", w.cloudSet.empty() ? "-" : w.cloudSet.c_str(),
                      static_cast<double>(w.cloudOpacity));
        std::snprintf(timecycle, sizeof timecycle, "%s[%d]@%.2f",
                      w.timecycleModifier.empty() ? "-" : w.timecycleModifier.c_str(),
                      static_cast<int>(w.timecycleIndex), static_cast<double>(w.timecycleStrength));
        std::printf("%5zu %9.1f %-22s %-10s %-14s %-28s %6.2f %6.2f %u\n", i + 1,
                    static_cast<double>(w.EntityPosition(sim::PlayerCharacterHandle).z), weather,
                    w.overrideWeather.empty() ? "-" : w.overrideWeather.c_str(), clouds, timecycle,
                    static_cast<double>(w.EffectiveWindSpeed()), static_cast<double>(w.effectLevel),
                    static_cast<unsigned>(w.lightningFlashesThisFrame));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--soak") == 0) {
        uint32_t seed = 0, frames = 0;
        if (argc != 4 || !ReadUnsigned(argv[2], seed) || !ReadUnsigned(argv[3], frames)) {
            std::cerr << "usage: atmosphere-scenario --soak SEED FRAMES\n";
            return 2;
        }
        std::cout << sim::SoakScenario(seed, frames);
        return 0;
    }
    std::string gameDirectory;
    std::string scenarioPath;
    std::string tracePath;
    bool summary = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--game-dir" && i + 1 < argc) {
            gameDirectory = argv[++i];
        } else if (argument == "--summary") {
            summary = true;
        } else if (scenarioPath.empty()) {
            scenarioPath = argument;
        } else if (tracePath.empty()) {
            tracePath = argument;
        } else {
            scenarioPath.clear();
            break;
        }
    }
    if (scenarioPath.empty()) {
        std::cerr << "usage: atmosphere-scenario [--game-dir DIR] [--summary] SCENARIO [TRACE]\n"
                     "       atmosphere-scenario --soak SEED FRAMES\n";
        return 2;
    }
    std::ifstream input(scenarioPath, std::ios::binary);
    if (!input) {
        std::cerr << "atmosphere-scenario: cannot read " << scenarioPath << "\n";
        return 2;
    }
    std::stringstream text;
    text << input.rdbuf();

    sim::Scenario scenario;
    std::string error;
    if (!sim::ParseScenario(text.str(), scenario, error)) {
        std::cerr << scenarioPath << ": " << error << "\n";
        return 2;
    }
    sim::SessionOptions options;
    options.gameDirectory = gameDirectory;
    sim::Session session(options);
    sim::RunScenario(scenario, session);

    const std::string trace = session.TraceText();
    if (summary && tracePath.empty()) {
        PrintSummary(session);
    } else if (tracePath.empty()) {
        std::cout << trace;
    } else {
        std::ofstream output(tracePath, std::ios::binary);
        output << trace;
        if (!output) {
            std::cerr << "atmosphere-scenario: cannot write " << tracePath << "\n";
            return 2;
        }
    }
    return 0;
}
