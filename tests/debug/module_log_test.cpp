// The log over whole flights of the real script on the simulated host: it
// stays under its size limit however long the game runs, and a log that
// cannot be written changes nothing the module does. What each event writes
// is pinned by the golden flights' expected logs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "debug/module_log.h"
#include "tests/atmosphere/flight.h"

namespace {

std::string ReadLog(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

using ModuleLogFlight = Flight;

TEST_F(ModuleLogFlight, StopsUnderItsLimitAndSaysSo) {
    WriteFile("atmosphere.ini", "[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    Start();
    // Four lines a reload: far past the limit.
    for (int reload = 0; reload < 1500; ++reload) {
        session->PressKey(0x2E);
        RunFrames(1);
    }
    const std::string log = ReadLog(gameDirectory / "atmosphere.log");
    EXPECT_LT(log.size(), LogSizeLimit);
    EXPECT_GT(log.size(), LogSizeLimit - 1024);
    const std::string last = log.substr(log.rfind("\r\n", log.size() - 3) + 2);
    EXPECT_NE(last.find("the log stops here: it has reached 256 KB"), std::string::npos) << last;
    EXPECT_EQ(log.find("the log stops here"), log.rfind("the log stops here"));
    // Every line whole, none cut by the limit.
    size_t lines = 0;
    for (size_t at = 0; at < log.size(); at = log.find("\r\n", at) + 2, ++lines) {
        ASSERT_EQ(log.compare(at, 4, "2026"), 0) << "line " << lines + 1;
    }
}

TEST_F(ModuleLogFlight, ALogThatCannotBeWrittenChangesNothingElse) {
    WriteFile("atmosphere.ini", "[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    std::string traces[2];
    for (int cannotWrite = 0; cannotWrite < 2; ++cannotWrite) {
        TearDown();
        SetUp();
        WriteFile("atmosphere.ini", "[CLOUDS]\r\nNormalZoneEnd=700\r\n");
        sim::SessionOptions options;
        options.gameDirectory = gameDirectory.string();
        if (cannotWrite == 1) options.logFile = "";  // as a read-only folder or a locked file
        session = std::make_unique<sim::Session>(options);
        session->Load();
        RunFrames(2);
        for (const uint32_t key : {0x2Eu, 0x23u, 0x2Du, 0x2Du}) {
            session->PressKey(key);
            FlyTo(1000.0f, 3);
        }
        session->Unload();
        traces[cannotWrite] = session->TraceText();
        EXPECT_EQ(std::filesystem::exists(gameDirectory / "atmosphere.log"), cannotWrite == 0);
    }
    EXPECT_EQ(traces[0], traces[1]);
}

}  // namespace
