// The browser's script coroutine runs the script on the caller's stack: the
// game's work between two frames runs inside the script's wait, and the
// script is left there when the frames are over. Here natively, over a
// probe module whose script counts its passes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/natives.h"
#include "sim/session.h"

namespace {

int passes = 0;
int returnAfter = -1;  // the script returns after this many passes (-1: never)

void ProbeScript() {
    for (;;) {
        ++passes;
        natives::PlayerCharacter();
        if (passes == returnAfter) return;
        scriptWait(0);
    }
}

int ProbeEntry(ModuleHandle instance, uint32_t reason, void*) {
    if (reason == 1) scriptRegister(instance, ProbeScript);
    if (reason == 0) scriptUnregister(instance);
    return 1;
}

class InlineCoroutineTest : public ::testing::Test {
protected:
    void SetUp() override {
        passes = 0;
        returnAfter = -1;
        sim::Session::SetFaultHandler([this](const std::string& message) { faults.push_back(message); });
        options.moduleEntry = ProbeEntry;
    }
    void TearDown() override { sim::Session::SetFaultHandler({}); }

    sim::SessionOptions options;
    std::vector<std::string> faults;
};

TEST_F(InlineCoroutineTest, FramesEndInsideTheScriptsWaitWithTheGameAsCaller) {
    sim::Session session(options);
    session.Load();
    int between = 0;
    session.RunFramesWhile([&] {
        EXPECT_EQ(passes, between + 1) << "one pass a frame, the frame over before the game's work";
        natives::PlayerCharacter();  // the game's own call, inside the script's wait
        return ++between < 5;
    });
    EXPECT_EQ(passes, 5);
    EXPECT_EQ(session.Frame(), 5u);
    EXPECT_EQ(session.History().size(), 5u);
    int script = 0, game = 0;
    for (const sim::TraceEvent& event : session.Trace()) {
        if (event.kind != sim::TraceKind::Native) continue;
        (event.caller == sim::TraceCaller::Script ? script : game) += 1;
    }
    EXPECT_EQ(script, 5);
    EXPECT_EQ(game, 5);
    EXPECT_FALSE(session.ScriptFinished()) << "left where it waits";
    session.Unload();
    EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST_F(InlineCoroutineTest, FramesGoOnAfterTheScriptReturns) {
    returnAfter = 2;
    sim::Session session(options);
    session.Load();
    session.RunFrames(5);
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(session.Frame(), 5u);
    EXPECT_TRUE(session.ScriptFinished());
    size_t returned = 0;
    for (const sim::TraceEvent& event : session.Trace()) returned += event.name == "ScriptReturned";
    EXPECT_EQ(returned, 1u);
    EXPECT_TRUE(faults.empty());
}

TEST_F(InlineCoroutineTest, WhatTheGameThrowsReachesTheCallerAndTheScriptIsLeft) {
    sim::Session session(options);
    session.Load();
    EXPECT_THROW(session.RunFramesWhile([] {
        if (passes == 3) throw std::runtime_error("a bad line in the flight");
        return true;
    }),
                 std::runtime_error);
    EXPECT_EQ(passes, 3);
    ASSERT_TRUE(faults.empty());
    // The script cannot be taken up again where it was left: said, not run.
    session.RunFrames(2);
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(session.Frame(), 5u);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find("cannot wait across two runs of frames"), std::string::npos) << faults[0];
}

TEST_F(InlineCoroutineTest, AWaitInTheGamesWorkIsAFault) {
    sim::Session session(options);
    session.Load();
    session.RunFramesWhile([] {
        scriptWait(0);  // not the script's: the game's work runs inside the script's wait
        return passes < 2;
    });
    EXPECT_EQ(passes, 2);
    ASSERT_FALSE(faults.empty());
    EXPECT_NE(faults[0].find("outside the script coroutine"), std::string::npos) << faults[0];
}

}  // namespace
