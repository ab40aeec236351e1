// The library entry: what process attach and detach register and unregister,
// in which order, and that thread notifications change nothing. Runs the real
// module on the simulated host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/key_state.h"
#include "sim/session.h"

namespace {

using sim::TraceKind;

// The trace as "kind name" words, host and native events only.
std::vector<std::string> HostAndNativeCalls(const std::vector<sim::TraceEvent>& trace, size_t from = 0) {
    std::vector<std::string> calls;
    for (size_t i = from; i < trace.size(); ++i) {
        const sim::TraceEvent& event = trace[i];
        if (event.kind == TraceKind::Host || event.kind == TraceKind::Native) calls.push_back(event.name);
    }
    return calls;
}

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override { ResetKeyStateTable(); }
    void TearDown() override { ResetKeyStateTable(); }
    sim::Session session;
};

TEST_F(EntryTest, AttachRegistersTheScriptThenTheKeyboardHandlerAndNothingElse) {
    session.Load();
    EXPECT_EQ(HostAndNativeCalls(session.Trace()),
              (std::vector<std::string>{"scriptRegister", "keyboardHandlerRegister"}));
    EXPECT_TRUE(session.ScriptRegistered());
    EXPECT_EQ(session.RegisteredKeyboardHandler(), &RecordKeyMessage);
    EXPECT_EQ(session.ErrorCount(), 0u);
}

TEST_F(EntryTest, ThreadAttachAndDetachReturn1AndDoNothing) {
    EXPECT_EQ(session.CallEntry(DllThreadAttach), 1);
    EXPECT_EQ(session.CallEntry(DllThreadDetach), 1);
    EXPECT_FALSE(session.ScriptRegistered());
    session.Load();
    const size_t before = session.Trace().size();
    EXPECT_EQ(session.CallEntry(DllThreadAttach), 1);
    EXPECT_EQ(session.CallEntry(DllThreadDetach), 1);
    EXPECT_TRUE(HostAndNativeCalls(session.Trace(), before).empty());
    EXPECT_TRUE(session.ScriptRegistered());
    EXPECT_EQ(session.RegisteredKeyboardHandler(), &RecordKeyMessage);
}

TEST_F(EntryTest, ProcessAttachAndDetachReturn1) {
    EXPECT_EQ(session.CallEntry(DllProcessAttach), 1);
    EXPECT_EQ(session.CallEntry(DllProcessDetach), 1);
}

TEST_F(EntryTest, TheScriptRunsOncePerFrameAndYieldsInScriptWait) {
    session.Load();
    session.RunFrames(5);
    for (uint32_t frame = 1; frame <= 5; ++frame) {
        std::vector<const sim::TraceEvent*> scriptEvents;
        for (const sim::TraceEvent& event : session.Trace()) {
            if (event.frame == frame && event.caller == sim::TraceCaller::Script) scriptEvents.push_back(&event);
        }
        ASSERT_FALSE(scriptEvents.empty()) << "frame " << frame;
        size_t waits = 0;
        for (const sim::TraceEvent* event : scriptEvents) waits += event->name == "scriptWait";
        EXPECT_EQ(waits, 1u) << "frame " << frame;
        EXPECT_EQ(scriptEvents.back()->name, "scriptWait") << "frame " << frame;
        EXPECT_EQ(scriptEvents.back()->arguments, (std::vector<sim::TraceValue>{sim::TraceValue::Int(0)}));
    }
    EXPECT_FALSE(session.ScriptFinished());
}

TEST_F(EntryTest, DetachRestoresTheGameBeforeUnregisteringScriptThenHandler) {
    session.Load();
    session.RunFrames(3);  // the script's start-up has run
    const size_t unloadAt = session.Trace().size();
    session.Unload();
    const std::vector<std::string> calls = HostAndNativeCalls(session.Trace(), unloadAt);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 2], "scriptUnregister");
    EXPECT_EQ(calls[calls.size() - 1], "keyboardHandlerUnregister");
    // Everything before them is the restore, issued on the unloading thread.
    size_t restoreCalls = 0;
    for (size_t i = unloadAt; i < session.Trace().size(); ++i) {
        const sim::TraceEvent& event = session.Trace()[i];
        if (event.kind != TraceKind::Native) continue;
        ++restoreCalls;
        EXPECT_EQ(event.caller, sim::TraceCaller::Game) << event.name;
    }
    EXPECT_GE(restoreCalls, 1u) << "RestoreDefaults issues the game's state back";
    EXPECT_FALSE(session.ScriptRegistered());
    EXPECT_EQ(session.RegisteredKeyboardHandler(), nullptr);
    EXPECT_EQ(session.ErrorCount(), 0u);
}

TEST_F(EntryTest, KeyboardMessagesReachTheTableThroughTheHost) {
    constexpr uint32_t Q = 0x51;
    session.Load();
    session.KeyDown(Q);
    EXPECT_FALSE(ConsumeKeyRelease(Q));
    session.KeyUp(Q);
    EXPECT_TRUE(ConsumeKeyRelease(Q));
    session.Unload();
    session.PressKey(Q);
    EXPECT_FALSE(ConsumeKeyRelease(Q)) << "no handler after unload";
}

}  // namespace
