// The soak flight (sim/soak.h), whose whole run on Linux and under wine the
// wine tests compare: every seed's flight holds each kind of step it
// promises, and a stretch of one flies the real module with no protocol
// error while the rewritten files reach it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "flight.h"
#include "sim/scenario.h"
#include "sim/soak.h"

namespace {

TEST(SoakFlight, EverySeedCoversWhatTheSoakPromises) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        const std::string text = sim::SoakScenario(seed, 20000);
        EXPECT_EQ(text, sim::SoakScenario(seed, 20000)) << "the same seed, the same flight";
        EXPECT_NE(text, sim::SoakScenario(seed + 100, 20000));
        sim::Scenario scenario;
        std::string error;
        ASSERT_TRUE(sim::ParseScenario(text, scenario, error)) << error;

        std::map<std::string, std::set<std::string>> seen;  // command -> operands met
        uint64_t frames = 0;
        float previous = 40, widestDrop = 0, widestRise = 0;
        for (const sim::ScenarioStep& step : scenario.steps) {
            std::string operands;
            for (const std::string& word : step.words) operands += (operands.empty() ? "" : " ") + word;
            seen[step.command].insert(step.command == "ini" ? step.words[0] : operands);
            if (step.command == "frames") frames += std::stoul(step.words[0]);
            if (step.command == "climb") frames += std::stoul(step.words[2]);
            if (step.command == "altitude" || step.command == "vehicle-altitude") {
                const float z = std::stof(step.words[0]);
                widestRise = std::max(widestRise, z - previous);
                widestDrop = std::max(widestDrop, previous - z);
                previous = z;
            }
            if (step.command == "climb") previous = std::stof(step.words[1]);
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_GE(frames, 20000u);
        for (const char* command : {"load", "climb", "altitude", "vehicle-altitude", "enter", "leave", "weather",
                                    "wind", "timecycle", "key-down", "key-up", "frame-ms", "clock", "unload"}) {
            EXPECT_EQ(seen.count(command), 1u) << command;
        }
        // Teleports cross several zones, both ways.
        EXPECT_GT(widestRise, 3000.0f);
        EXPECT_GT(widestDrop, 3000.0f);
        for (const char* key : {"0x2E", "0x2D", "0x23", "0x52", "0x4F", "0x44"})
            EXPECT_EQ(seen["key"].count(key), 1u) << key;
        for (const char* tag : {"fileindex 2", "fileindex 3", "fileindex 0", "\"reload\" 1", "\"enabled\" 1",
                                "\"debugmode\" 1", "\"debugmode\" 2"}) {
            EXPECT_EQ(seen["tag"].count(tag), 1u) << tag;
        }
        EXPECT_EQ(seen["ini"], (std::set<std::string>{"atmosphere.ini", "atmosphere2.ini", "atmosphere3.ini"}));
    }
}

class SoakRun : public Flight {};

TEST_F(SoakRun, AStretchFliesTheModuleCleanlyAndItsRewritesReachIt) {
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::ParseScenario(sim::SoakScenario(1, 3000), scenario, error)) << error;
    CreateSession();
    sim::RunScenario(scenario, *session);
    EXPECT_EQ(session->ErrorCount(), 0u);
    EXPECT_GE(session->Frame(), 3000u);
    // Only the files the flight writes name these modifiers.
    EXPECT_NE(session->TraceText().find("script native SetTimecycleModifier(\"soak_"), std::string::npos);
}

}  // namespace
