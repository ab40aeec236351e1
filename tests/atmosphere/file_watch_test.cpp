// Reload on save over whole flights of the real script on the simulated
// host, 16 ms a frame: an edit is in force within 40 frames with
// [GLOBAL] AutoReload=1 and never without it; edits close together give one
// reload; a file that goes or comes is a change; the files watched are those
// the last load read. The golden flights reload_on_save* pin the calls and
// the log, on Linux and under wine.
#include <gtest/gtest.h>

#include "config/settings.h"
#include "sim/scenario.h"
#include "tests/atmosphere/flight.h"

namespace {

constexpr int Clouds = 2;

class FileWatchFlight : public Flight {
protected:
    // Reloads so far: each one clears the timecycle modifier first.
    int Reloads() const {
        int count = 0;
        for (uint32_t frame = 1; frame <= session->Frame(); ++frame) count += CountCalls(frame, "ClearTimecycleModifier");
        return count;
    }
    void Edit(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
        sim::EditGameFile(*session, file, section, key, value);
    }
    // Frames until [CLOUDS] NormalZoneEnd reads `value`, or -1 after `limit`.
    int FramesUntil(float value, int limit = 200) {
        for (int frames = 0; frames <= limit; ++frames) {
            if (Settings.Weather[Clouds].NormalZoneEnd == value) return frames;
            RunFrames(1);
        }
        return -1;
    }
};

TEST_F(FileWatchFlight, AnEditIsInForceWithin40FramesOnlyWithAutoReload) {
    struct Case {
        const char* line;  // the [GLOBAL] line, or "" for none
        bool reloads;
    };
    for (const Case& c : {Case{"AutoReload=1", true}, Case{"AutoReload=0", false}, Case{"", false},
                          Case{"AutoReload=true", false}}) {
        TearDown();
        SetUp();
        WriteFile("atmosphere.ini", std::string("[GLOBAL]\r\n") + c.line + "\r\n[CLOUDS]\r\nNormalZoneEnd=700\r\n");
        Start();
        RunFrames(5);
        Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", "650");
        const int frames = FramesUntil(650.0f);
        if (c.reloads) {
            EXPECT_GE(frames, 0) << c.line;
            EXPECT_LE(frames, 40) << c.line;
            EXPECT_EQ(Reloads(), 1) << c.line;
        } else {
            EXPECT_EQ(frames, -1) << c.line;
            EXPECT_EQ(Reloads(), 0) << c.line;
        }
    }
}

TEST_F(FileWatchFlight, EditsWithinOneLookGiveOneReload) {
    WriteFile("atmosphere.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    Start();
    RunFrames(20);
    // Three saves 16 ms apart, as an editor's save-all or a quick fix.
    Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", "600");
    RunFrames(1);
    Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", "610");
    RunFrames(1);
    Edit("atmosphere.ini", "CLOUDS", "CloudZoneStart", "950");
    EXPECT_LE(FramesUntil(610.0f), 40);
    RunFrames(100);
    EXPECT_EQ(Reloads(), 1);
    EXPECT_EQ(Settings.Weather[Clouds].CloudZoneStart, 950.0f);

    // A file that keeps changing between two looks is not read until it
    // holds still for one.
    for (int edit = 0; edit < 10; ++edit) {
        Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", std::to_string(500 + edit));
        RunFrames(10);
    }
    EXPECT_EQ(Reloads(), 1);
    EXPECT_LE(FramesUntil(509.0f), 40);
    EXPECT_EQ(Reloads(), 2);
}

TEST_F(FileWatchFlight, AFileThatGoesOrComesIsAChangeEvenWhileSwitchedOff) {
    WriteFile("atmosphere.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    Start();
    session->PressKey(Settings.OnOffKey);
    RunFrames(2);
    sim::RemoveGameFile(*session, "atmosphere.ini");
    // Gone: every setting takes its default, as the reload key gives it.
    EXPECT_LE(FramesUntil(800.0f), 40);
    EXPECT_EQ(Reloads(), 1);
    // Back (an editor that deletes before it writes): still watched, though
    // the defaults in force say AutoReload=0.
    Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", "660");
    EXPECT_LE(FramesUntil(660.0f), 40);
    EXPECT_EQ(Reloads(), 2);
    // A file that says nothing of AutoReload stops the watch.
    Edit("atmosphere.ini", "CLOUDS", "NormalZoneEnd", "670");
    EXPECT_EQ(FramesUntil(670.0f, 60), -1);
    EXPECT_EQ(Reloads(), 2);
}

TEST_F(FileWatchFlight, TheAlternateFileIsWatchedAsWellAsTheFileThatNamesIt) {
    WriteFile("atmosphere.ini", "[GLOBAL]\r\nEnableAlternateConfigFile=1\r\nAlternateConfigFile=tuned.ini\r\n");
    WriteFile("tuned.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=640\r\n");
    Start();
    EXPECT_EQ(Settings.Weather[Clouds].NormalZoneEnd, 640.0f);
    Edit("tuned.ini", "CLOUDS", "NormalZoneEnd", "630");
    EXPECT_LE(FramesUntil(630.0f), 40);
    Edit("atmosphere.ini", "GLOBAL", "EnableAlternateConfigFile", "0");
    EXPECT_LE(FramesUntil(800.0f), 40);
    EXPECT_EQ(Reloads(), 2);
}

TEST_F(FileWatchFlight, AFileIndexAloneStartsNoReload) {
    WriteFile("atmosphere.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    WriteFile("atmosphere3.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=730\r\n");
    Start();
    world().RegisterTag("fileindex", 3);
    world().SetTag(sim::PlayerCharacterHandle, "fileindex", 3);
    RunFrames(2);
    // The numbered file is not watched until a load has read it.
    Edit("atmosphere3.ini", "CLOUDS", "NormalZoneEnd", "740");
    EXPECT_EQ(FramesUntil(740.0f, 60), -1);
    EXPECT_EQ(Reloads(), 0);
    session->PressKey(Settings.ReloadKey);
    EXPECT_LE(FramesUntil(740.0f, 1), 1);
    Edit("atmosphere3.ini", "CLOUDS", "NormalZoneEnd", "750");
    EXPECT_LE(FramesUntil(750.0f), 40);
    EXPECT_EQ(Reloads(), 2);
}

}  // namespace
