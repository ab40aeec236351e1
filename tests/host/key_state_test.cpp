// The key-state table: a hotkey acts once, on the first poll after its
// release and within 100 ms of it, across the wrap of the tick count.
// Depends on the simulated session for the clock.
#include <gtest/gtest.h>

#include "host/key_state.h"
#include "sim/session.h"

namespace {

constexpr uint32_t F9 = 0x78;

class KeyStateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetKeyStateTable(); }
    void TearDown() override { ResetKeyStateTable(); }

    // A keyboard message as the host delivers it: release flag last.
    void Message(uint32_t key, bool up, int32_t withAlt = 0, int32_t wasDown = 0) {
        RecordKeyMessage(key, 1, 0x43, 0, withAlt, wasDown, up ? 1 : 0);
    }
    void ReleaseAt(uint32_t key, uint32_t tick) {
        session.SetNow(tick);
        Message(key, true, 0, 1);
    }
    bool PollAt(uint32_t key, uint32_t tick) {
        session.SetNow(tick);
        return ConsumeKeyRelease(key);
    }
    static bool SlotIsZero(uint32_t key) {
        const KeyState& slot = KeyStateTable[key];
        return slot.messageTick.load() == 0 && slot.withAlt.load() == 0 && slot.wasDownBefore.load() == 0 &&
               slot.released.load() == 0;
    }

    sim::Session session;
};

TEST_F(KeyStateTest, NeverTouchedSlotNeverTestsTrue) {
    for (const uint32_t tick : {0u, 1u, 50u, 99u, 100u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(PollAt(F9, tick)) << "tick " << tick;
    }
    EXPECT_TRUE(SlotIsZero(F9));
}

TEST_F(KeyStateTest, MessageOverwritesTheWholeSlotWithTheFifthToSeventhArguments) {
    session.SetNow(5000);
    RecordKeyMessage(F9, 3, 0x43, 1, 7, 9, 1);
    const KeyState& slot = KeyStateTable[F9];
    EXPECT_EQ(slot.messageTick.load(), 5000u);
    EXPECT_EQ(slot.withAlt.load(), 7u);
    EXPECT_EQ(slot.wasDownBefore.load(), 9u);
    EXPECT_EQ(slot.released.load(), 1u);
    session.SetNow(5001);
    RecordKeyMessage(F9, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(slot.messageTick.load(), 5001u);
    EXPECT_EQ(slot.withAlt.load(), 0u);
    EXPECT_EQ(slot.released.load(), 0u);
}

TEST_F(KeyStateTest, HeldKeyActsOnceOnTheFirstPollAfterRelease) {
    session.SetNow(1000);
    Message(F9, false);
    for (uint32_t t = 1016; t < 1200; t += 16) {
        Message(F9, false, 0, 1);  // the keyboard's auto-repeat while held
        EXPECT_FALSE(PollAt(F9, t)) << "held at " << t;
    }
    ReleaseAt(F9, 1200);
    EXPECT_TRUE(PollAt(F9, 1216));
    EXPECT_TRUE(SlotIsZero(F9)) << "a reported release clears its slot";
    EXPECT_FALSE(PollAt(F9, 1232));
    EXPECT_FALSE(PollAt(F9, 1248));
}

TEST_F(KeyStateTest, ReleaseCountsForLessThan100Milliseconds) {
    ReleaseAt(F9, 2000);
    EXPECT_TRUE(PollAt(F9, 2099));
    ReleaseAt(F9, 3000);
    EXPECT_TRUE(PollAt(F9, 3000)) << "polled in the same millisecond";
}

TEST_F(KeyStateTest, ReleaseOlderThan100MillisecondsIsFalseAndLeavesTheSlot) {
    ReleaseAt(F9, 2000);
    EXPECT_FALSE(PollAt(F9, 2100));
    EXPECT_FALSE(PollAt(F9, 2500));
    const KeyState& slot = KeyStateTable[F9];
    EXPECT_EQ(slot.messageTick.load(), 2000u);
    EXPECT_EQ(slot.wasDownBefore.load(), 1u);
    EXPECT_EQ(slot.released.load(), 1u);
}

TEST_F(KeyStateTest, TwoReleasesBetweenPollsGiveOneAction) {
    ReleaseAt(F9, 4000);
    session.SetNow(4010);
    Message(F9, false);
    ReleaseAt(F9, 4020);
    EXPECT_TRUE(PollAt(F9, 4030));
    EXPECT_FALSE(PollAt(F9, 4040));
}

TEST_F(KeyStateTest, KeyDownIsNeverARelease) {
    session.SetNow(6000);
    Message(F9, false);
    EXPECT_FALSE(PollAt(F9, 6010));
}

TEST_F(KeyStateTest, CodesOf255AndAboveAreDroppedAndNeverTrue) {
    session.SetNow(7000);
    for (const uint32_t code : {255u, 256u, 1000u, 0xFFFFFFFFu}) {
        Message(code, true);
        EXPECT_FALSE(ConsumeKeyRelease(code)) << code;
    }
    for (uint32_t key = 0; key < KeyStateSlots; ++key) ASSERT_TRUE(SlotIsZero(key)) << "slot " << key;
    // The last slot is a real one.
    Message(254, true);
    EXPECT_TRUE(ConsumeKeyRelease(254));
}

TEST_F(KeyStateTest, ReleaseJustBeforeTheTickCountWrapsIsSeen) {
    // messageTick + 100 wraps past 2^32 here: "now < tick + 100" would miss it.
    ReleaseAt(F9, 0xFFFFFFC0u);
    EXPECT_TRUE(PollAt(F9, 0xFFFFFFD0u));
    ReleaseAt(F9, 0xFFFFFFF0u);
    EXPECT_TRUE(PollAt(F9, 0x00000010u)) << "polled after the wrap, 32 ms later";
    ReleaseAt(F9, 0xFFFFFFF0u);
    EXPECT_FALSE(PollAt(F9, 0x00000060u)) << "112 ms later across the wrap";
}

TEST_F(KeyStateTest, StaleReleaseAfterTheWrapIsNotNew) {
    // 512 ms old; "now < tick + 100" with no wrap of the sum would call it new.
    ReleaseAt(F9, 0xFFFFFF00u);
    EXPECT_FALSE(PollAt(F9, 0x00000100u));
    EXPECT_EQ(KeyStateTable[F9].released.load(), 1u);
}

TEST_F(KeyStateTest, ResetClearsEverySlot) {
    session.SetNow(8000);
    Message(0, true);
    Message(F9, true);
    Message(254, false);
    ResetKeyStateTable();
    for (uint32_t key = 0; key < KeyStateSlots; ++key) ASSERT_TRUE(SlotIsZero(key)) << "slot " << key;
}

}  // namespace
