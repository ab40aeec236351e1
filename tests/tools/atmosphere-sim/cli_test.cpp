// `atmosphere-sim config`, run as a user would run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "config/settings.h"
#include "tests/config/test_files.h"
#include "tools/common/settings_dump.h"

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::string& arguments) {
    ScratchDirectory scratch;
    const std::string errFile = scratch.path() + "stderr";
    const std::string command = std::string(ATMOSPHERE_SIM_TOOL) + " " + arguments + " 2>" + errFile;
    ToolRun run{};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
    run.status = WEXITSTATUS(pclose(pipe));
    run.err = ReadWholeFile(errFile);
    return run;
}

TEST(ConfigCommand, ShippedFilePrintsTheStartValues) {
    ResetSettingsToStartValues();
    const ToolRun run = RunTool(std::string("config ") + ATMOSPHERE_SOURCE_DIR "/atmosphere.ini --json");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, SettingsToJson(Settings) + "\n");
}

TEST(ConfigCommand, MissingFilePrintsTheDefaultsWithANote) {
    ScratchDirectory directory;
    const ToolRun run = RunTool("config " + directory.path() + "absent.ini --json");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("not found"), std::string::npos) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["ReloadKey"], 0x2E);
    EXPECT_EQ(json["TextColorGreen"], 255);
    EXPECT_EQ(json["Weather"]["THUNDER"]["LightningFrequency"], 5);
}

TEST(ConfigCommand, AFolderOrADeviceIsNoConfiguration) {
    ScratchDirectory directory;
    directory.Write("folder.ini/inside", "");
    for (const std::string& path : {directory.path() + "folder.ini", std::string("/dev/zero")}) {
        const ToolRun run = RunTool("config " + path + " --json");
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_EQ(run.out, "") << path;
        EXPECT_EQ(run.err.find("not found"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("not a configuration file"), std::string::npos) << run.err;
    }
}

TEST(ConfigCommand, FollowsTheAlternateBesideTheFile) {
    ScratchDirectory directory;
    directory.Write("conf/main.ini", "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=alt.ini\n");
    directory.Write("conf/alt.ini", "[KEYS]\nReloadKey=70\n");
    const ToolRun run = RunTool("config " + directory.path() + "conf/main.ini --json");
    EXPECT_EQ(nlohmann::json::parse(run.out)["ReloadKey"], 0x70);
    // The table marks what the alternate file left to the defaults.
    const ToolRun table = RunTool("config " + directory.path() + "conf/main.ini");
    EXPECT_NE(table.out.find("ReloadKey                                0x70 (112)\n"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("OnOffKey                                 0x2D (45)  (default)\n"), std::string::npos);
}

TEST(ConfigCommand, ReadableTableAndUsageErrors) {
    const ToolRun table = RunTool(std::string("config ") + ATMOSPHERE_SOURCE_DIR "/atmosphere.ini");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("[THUNDER]"), std::string::npos);
    EXPECT_NE(table.out.find("\"Stormy 01\""), std::string::npos);
    EXPECT_EQ(table.out.find("(default)"), std::string::npos) << "the shipped file has every key";
    EXPECT_NE(RunTool("").status, 0);
    EXPECT_NE(RunTool("config").status, 0);
}

}  // namespace
