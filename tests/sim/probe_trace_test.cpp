// The probe's flight on the simulated host must give the golden trace, the
// same file the wine test compares game.exe's trace with. To change the
// golden on purpose: ATMOSPHERE_UPDATE_GOLDEN=1 ./host_tests --gtest_filter=ProbeTrace*
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/scenario.h"
#include "tests/sim/probe_module.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

// The first differing line, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string left, right;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(a, left));
        const bool moreRight = static_cast<bool>(std::getline(b, right));
        if (!moreLeft && !moreRight) return "identical";
        if (!moreLeft || !moreRight || left != right) {
            return "line " + std::to_string(line) + "\n  golden: " + (moreLeft ? left : "<end>") +
                   "\n  actual: " + (moreRight ? right : "<end>");
        }
    }
}

TEST(ProbeTrace, FlightGivesTheGoldenTrace) {
    const std::string directory = ATMOSPHERE_GOLDEN_DIR;
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(ReadFile(directory + "/probe.scenario"), scenario, error)) << error;
    ResetProbeModule();
    sim::SessionOptions options;
    options.moduleEntry = ProbeModuleEntry;
    sim::Session session(options);
    sim::RunScenario(scenario, session);
    const std::string trace = session.TraceText();
    EXPECT_EQ(session.ErrorCount(), 0u);
    if (const char* update = std::getenv("ATMOSPHERE_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
        std::ofstream(directory + "/probe.trace", std::ios::binary) << trace;
    }
    const std::string golden = ReadFile(directory + "/probe.trace");
    EXPECT_TRUE(golden == trace) << FirstDifference(golden, trace);
}

}  // namespace
