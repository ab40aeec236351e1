// End to end under wine: game.exe loads the real atmosphere.asi beside the
// stand-in ScriptHookV.dll, runs a scenario and writes the trace; these tests
// run it as a child process and read the trace. Runs in the build folder,
// where game.exe, the DLLs and probe.golden lie.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct GameRun {
    DWORD status = 0xFFFFFFFF;
    std::string trace;
    std::vector<std::string> lines;
};

std::string ReadFile(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

// Writes `scenario` to <name>.scenario and runs game.exe (or another copy of
// it) on it, with `options` before the file names.
GameRun RunGame(const std::string& name, const std::string& scenario, const std::string& options = "",
                const std::string& game = "game.exe") {
    const std::string scenarioPath = name + ".scenario";
    const std::string tracePath = name + ".trace";
    std::ofstream(scenarioPath, std::ios::binary) << scenario;
    DeleteFileA(tracePath.c_str());
    std::string command = game + " " + options + " " + scenarioPath + " " + tracePath;

    GameRun run;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
        return run;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.trace = ReadFile(tracePath);
    std::istringstream lines(run.trace);
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    return run;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) return i;
    }
    return lines.size();
}

TEST(EndToEnd, LoadRegistersTheScriptThenTheKeyboardHandler) {
    const GameRun run = RunGame("register", "load\nframes 1\n");
    ASSERT_EQ(run.status, 0u) << run.trace;
    ASSERT_GE(run.lines.size(), 3u) << run.trace;
    EXPECT_EQ(run.lines[0], "0 game event Load()");
    EXPECT_EQ(run.lines[1], "0 game host scriptRegister()");
    EXPECT_EQ(run.lines[2], "0 game host keyboardHandlerRegister()");
    EXPECT_TRUE(run.lines.size() == 3 || !StartsWith(run.lines[3], "0 ")) << "nothing else happens at load";
}

TEST(EndToEnd, ScriptRunsFrameAfterFrameOnItsFiber) {
    const GameRun run = RunGame("frames", "load\nframes 5\n");
    ASSERT_EQ(run.status, 0u) << run.trace;
    for (int frame = 1; frame <= 5; ++frame) {
        const std::string prefix = std::to_string(frame) + " ";
        std::vector<std::string> scriptLines;
        for (const std::string& line : run.lines) {
            if (!StartsWith(line, prefix)) continue;
            // Until the unload, everything in a frame is the script on its fiber.
            if (line.find(" game event Unload()") != std::string::npos) break;
            EXPECT_TRUE(StartsWith(line, prefix + "script ")) << line;
            scriptLines.push_back(line);
        }
        ASSERT_FALSE(scriptLines.empty()) << "frame " << frame << "\n" << run.trace;
        EXPECT_EQ(scriptLines.back(), prefix + "script host scriptWait(0)");
    }
}

TEST(EndToEnd, UnloadRestoresTheGameThenUnregistersScriptThenHandler) {
    const GameRun run = RunGame("unload", "load\nframes 3\nunload\n");
    ASSERT_EQ(run.status, 0u) << run.trace;
    const size_t unload = IndexOf(run.lines, "3 game event Unload()");
    ASSERT_LT(unload, run.lines.size()) << run.trace;
    ASSERT_GE(run.lines.size(), unload + 4) << run.trace;
    EXPECT_EQ(run.lines[run.lines.size() - 2], "3 game host scriptUnregister()");
    EXPECT_EQ(run.lines[run.lines.size() - 1], "3 game host keyboardHandlerUnregister()");
    for (size_t i = unload + 1; i + 2 < run.lines.size(); ++i) {
        EXPECT_TRUE(StartsWith(run.lines[i], "3 game native "))
            << "the restore, on the unloading thread: " << run.lines[i];
    }
}

TEST(EndToEnd, StartUpClearsTheFlagByteOfTheGameExecutable) {
    const GameRun run = RunGame("flag", "image-flag\nload\nframes 2\nimage-flag\n");
    ASSERT_EQ(run.status, 0u) << run.trace;
    EXPECT_EQ(run.lines.front(), "0 game event image-flag() = 1, 1") << "one signature, flag set";
    EXPECT_EQ(run.lines[IndexOf(run.lines, "2 game event image-flag() = 1, 0")], "2 game event image-flag() = 1, 0")
        << run.trace;
}

TEST(EndToEnd, WithoutTheSignatureTheImageIsLeftAlone) {
    const GameRun run = RunGame("nosignature", "image none\nload\nframes 2\nimage-flag\n");
    ASSERT_EQ(run.status, 0u) << run.trace;
    EXPECT_EQ(run.lines.front(), "0 game event image(\"none\") = 0");
    EXPECT_LT(IndexOf(run.lines, "2 game event image-flag() = 0, 1"), run.lines.size()) << run.trace;
}

TEST(EndToEnd, AReadOnlyFlagByteIsSkippedNotWritten) {
    const GameRun run = RunGame("readonly", "image readonly-target\nload\nframes 2\nimage-flag\n");
    ASSERT_EQ(run.status, 0u) << "the guarded write must not crash the game\n" << run.trace;
    EXPECT_LT(IndexOf(run.lines, "2 game event image-flag() = 1, 1"), run.lines.size()) << run.trace;
}

TEST(EndToEnd, ProbeTraceEqualsTheLinuxGoldenByteForByte) {
    const GameRun run = RunGame("probe", ReadFile("probe.scenario"), "--module probe.dll");
    ASSERT_EQ(run.status, 0u) << run.trace;
    const std::string golden = ReadFile("probe.golden");
    ASSERT_FALSE(golden.empty());
    std::istringstream expected(golden);
    size_t line = 0;
    for (std::string want; std::getline(expected, want); ++line) {
        ASSERT_LT(line, run.lines.size()) << "trace ends early";
        ASSERT_EQ(run.lines[line], want) << "line " << line + 1;
    }
    EXPECT_EQ(run.trace, golden);
}

// Committed private bytes kept per load/unload cycle, from the log of
// game.exe --cycles ("run bytes" lines): the mean growth after the first
// ten runs, which settle the heaps.
double KeptPerCycle(const std::string& memoryLog) {
    std::istringstream lines(memoryLog);
    std::vector<double> bytes;
    for (unsigned long run = 0, value = 0; lines >> run >> value;) bytes.push_back(static_cast<double>(value));
    if (bytes.size() < 20) return -1.0;
    return (bytes.back() - bytes[9]) / static_cast<double>(bytes.size() - 10);
}

// A hundred cycles in one game.exe, each loading the DLL afresh, switching to
// the second file, reloading and switching off, then freeing it: game.exe
// checks that each cycle writes the first one's trace and that the DLL is
// gone after each; here the memory each cycle keeps is held against the
// smallest module's, measured alike. In a folder of their own, since the
// cycles write configuration files into the game folder.
TEST(EndToEnd, AHundredLoadCyclesStartFreshAndKeepNoMoreThanTheSmallestModule) {
    CreateDirectoryA("cycles", nullptr);
    for (const char* file : {"game.exe", "ScriptHookV.dll", "atmosphere.asi", "minimal_module.dll"}) {
        ASSERT_TRUE(CopyFileA(file, (std::string("cycles\\") + file).c_str(), FALSE)) << file;
    }
    const std::string scenario = ReadFile("cycle.scenario");
    const GameRun module = RunGame("cycles", scenario, "--cycles 100 cycles.memory", "cycles\\game.exe");
    ASSERT_EQ(module.status, 0u) << "game.exe says why on its standard error";
    EXPECT_NE(module.trace.find("SetTimecycleModifier(\"cycle_second\")"), std::string::npos)
        << "the cycle reloads from the second file";
    const GameRun minimal =
        RunGame("cycles_minimal", scenario, "--module minimal_module.dll --cycles 100 cycles_minimal.memory",
                "cycles\\game.exe");
    ASSERT_EQ(minimal.status, 0u);

    const double kept = KeptPerCycle(ReadFile("cycles.memory"));
    const double baseline = KeptPerCycle(ReadFile("cycles_minimal.memory"));
    ASSERT_GE(kept, 0.0) << "a memory log has fewer than 20 runs";
    ASSERT_GE(baseline, 0.0);
    std::printf("committed private bytes kept per cycle: atmosphere.asi %.0f, the smallest module %.0f\n", kept,
                baseline);
    // Generous: a module that leaks a page or two per load stays under it, the
    // threads runtime (about 75 KB a cycle) does not.
    EXPECT_LE(kept, 2 * baseline + 16 * 1024);
}

}  // namespace
