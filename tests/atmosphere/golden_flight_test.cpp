// Golden flights: each folder of flights/ holds a scenario, the configuration
// files of its game folder, the expected trace and the expected log
// (expected.log; none where the flight must leave no atmosphere.log). The
// scenario runs here on the simulated host, and under wine in game.exe with
// the real DLL (see tests/windows/atmosphere); both must write exactly the
// expected trace and log, the game's folder in the log written as
// "<game folder>\". To regenerate the baselines after a deliberate change,
// run this test with ATMOSPHERE_REGENERATE_TRACES=1 and review the diff.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "atmosphere/script.h"
#include "config/settings.h"
#include "host/key_state.h"
#include "sim/scenario.h"
#include "sim/session.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> FlightNames() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(ATMOSPHERE_FLIGHTS_DIR)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The log with the game's folder, which differs from run to run, written
// as "<game folder>\".
std::string LogWithFolderPlaceholder(std::string log, const std::string& folder) {
    const std::string placeholder = "<game folder>\\";
    for (size_t at = log.find(folder); at != std::string::npos; at = log.find(folder, at + placeholder.size())) {
        log.replace(at, folder.size(), placeholder);
    }
    return log;
}

// Points at the first line where `actual` and the baseline differ.
void ExpectSameLines(const std::string& actual, const std::string& expected, const fs::path& baseline) {
    if (actual == expected) return;
    std::istringstream got(actual), want(expected);
    std::string gotLine, wantLine;
    for (int line = 1;; ++line) {
        const bool hasGot = static_cast<bool>(std::getline(got, gotLine));
        const bool hasWant = static_cast<bool>(std::getline(want, wantLine));
        if (!hasGot && !hasWant) break;
        if (gotLine != wantLine || hasGot != hasWant) {
            ADD_FAILURE() << baseline << ":" << line << "\n  expected: " << (hasWant ? wantLine : "<end>")
                          << "\n  actual:   " << (hasGot ? gotLine : "<end>");
            return;
        }
    }
}

class GoldenFlight : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenFlight, TraceMatchesTheBaseline) {
    const fs::path flight = fs::path(ATMOSPHERE_FLIGHTS_DIR) / GetParam();
    // A fresh process under wine starts from the load-time state; so does this.
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
    const fs::path gameDirectory =
        fs::temp_directory_path() / ("atmosphere-golden-" + std::to_string(::getpid()) + "-" + GetParam());
    fs::remove_all(gameDirectory);
    fs::create_directories(gameDirectory);
    for (const fs::directory_entry& entry : fs::directory_iterator(flight)) {
        if (entry.path().extension() == ".ini") fs::copy_file(entry.path(), gameDirectory / entry.path().filename());
    }

    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(ReadFile(flight / "flight.scenario"), scenario, error)) << error;
    std::string trace;
    std::string folder;
    {
        sim::SessionOptions options;
        options.gameDirectory = gameDirectory.string();
        sim::Session session(options);
        folder = session.GameDirectory() + "\\";
        sim::RunScenario(scenario, session);
        EXPECT_EQ(session.ErrorCount(), 0u);
        trace = session.TraceText();
    }
    const bool logged = fs::exists(gameDirectory / "atmosphere.log");
    const std::string log = LogWithFolderPlaceholder(ReadFile(gameDirectory / "atmosphere.log"), folder);
    fs::remove_all(gameDirectory);

    const fs::path baseline = flight / "expected.trace";
    const fs::path logBaseline = flight / "expected.log";
    if (std::getenv("ATMOSPHERE_REGENERATE_TRACES") != nullptr) {
        std::ofstream(baseline, std::ios::binary) << trace;
        if (logged) {
            std::ofstream(logBaseline, std::ios::binary) << log;
        } else {
            fs::remove(logBaseline);
        }
        GTEST_SKIP() << "baselines written: " << baseline;
    }
    ASSERT_TRUE(fs::exists(baseline)) << baseline;
    ExpectSameLines(trace, ReadFile(baseline), baseline);
    if (!fs::exists(logBaseline)) {
        EXPECT_FALSE(logged) << "this flight must leave no atmosphere.log:\n" << log;
        return;
    }
    ASSERT_TRUE(logged) << "no atmosphere.log";
    ExpectSameLines(log, ReadFile(logBaseline), logBaseline);
}

INSTANTIATE_TEST_SUITE_P(Flights, GoldenFlight, ::testing::ValuesIn(FlightNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
