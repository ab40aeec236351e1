// The lightning scheduler over whole flights. The simulated host's rand() is
// the C runtime's never-seeded generator, so the intervals it draws can be
// followed here from the same sequence.
#include <gmock/gmock.h>

#include "atmosphere/lightning.h"
#include "atmosphere/script.h"
#include "tests/atmosphere/flight.h"

namespace {

// The C runtime's generator from its unseeded start.
class RuntimeRandom {
public:
    int Next() {
        seed_ = seed_ * 214013u + 2531011u;
        return static_cast<int>((seed_ >> 16) & 0x7FFF);
    }

private:
    uint32_t seed_ = 1;
};

class LightningFlight : public Flight {
protected:
    // The frames, from `first` to the last one run, with a flash.
    std::vector<uint32_t> FlashFrames(uint32_t first) const {
        std::vector<uint32_t> frames;
        const auto& history = session->History();
        for (uint32_t frame = first; frame <= history.size(); ++frame) {
            for (uint32_t n = 0; n < history[frame - 1].lightningFlashesThisFrame; ++n) frames.push_back(frame);
        }
        return frames;
    }
    // Where the flashes of a stay above the normal zone that starts at
    // `first` fall, when every interval is drawn as rand() % span.
    static std::vector<uint32_t> ExpectedFlashes(uint32_t first, uint32_t last, int span) {
        RuntimeRandom random;
        std::vector<uint32_t> frames;
        for (uint32_t frame = first; frame <= last; frame += static_cast<uint32_t>(random.Next() % span) + 1) {
            frames.push_back(frame);
        }
        return frames;
    }
};

constexpr const char* ThunderAboveClouds = "[THUNDER]\nEnableLightningAboveClouds=1\n";

TEST_F(LightningFlight, FlashesComeAtDrawnIntervalsFromTheFirstFrameAboveTheNormalZone) {
    WriteFile("atmosphere.ini", ThunderAboveClouds);
    Start("thunder", 40.0f);
    RunFrames(200);  // the counter grows in the normal zone, nothing consumes it
    EXPECT_THAT(FlashFrames(1), ::testing::IsEmpty());
    const uint32_t first = session->Frame() + 1;
    FlyTo(1050, 3000);
    const std::vector<uint32_t> flashes = FlashFrames(first);
    ASSERT_FALSE(flashes.empty());
    EXPECT_EQ(flashes.front(), first);
    for (size_t i = 1; i < flashes.size(); ++i) {
        EXPECT_GE(flashes[i] - flashes[i - 1], 1u);
        EXPECT_LE(flashes[i] - flashes[i - 1], 400u);
    }
    EXPECT_EQ(flashes, ExpectedFlashes(first, session->Frame(), 400));
}

TEST_F(LightningFlight, CloudStartBandFollowsTheAboveCloudsFlag) {
    WriteFile("atmosphere.ini", ThunderAboveClouds);
    Start("thunder", 850.0f);
    EXPECT_EQ(FlashFrames(1), std::vector<uint32_t>{1});  // the interval is 0 at load
}

// With the zone's flag off the intervals are drawn all the same: the flashes
// in space come on exactly the frames they would with the flag on all along.
TEST_F(LightningFlight, IntervalsAreDrawnWhileTheZoneFlagIsOff) {
    WriteFile("atmosphere.ini", "[THUNDER]\nEnableLightningAboveClouds=1\nEnableLightningInSpace=1\n");
    Start("thunder", 1050.0f);
    RunFrames(499);
    FlyTo(3500, 1000);
    const std::vector<uint32_t> allAlong = FlashFrames(501);
    session.reset();

    ResetAtmosphereModule();
    WriteFile("atmosphere.ini", "[THUNDER]\nEnableLightningAboveClouds=0\nEnableLightningInSpace=1\n");
    Start("thunder", 1050.0f);
    RunFrames(499);
    EXPECT_THAT(FlashFrames(1), ::testing::IsEmpty());
    FlyTo(3500, 1000);
    EXPECT_FALSE(allAlong.empty());
    EXPECT_EQ(FlashFrames(501), allAlong);
}

// A frequency of 0 asks for no flash and draws no interval: after a reload
// to frequency 5 the schedule starts from the sequence's first number.
TEST_F(LightningFlight, FrequencyZeroNeitherFlashesNorDraws) {
    WriteFile("atmosphere.ini", "[THUNDER]\nEnableLightningAboveClouds=1\nLightningFrequency=0\n");
    Start("thunder", 1050.0f);
    RunFrames(1500);
    EXPECT_THAT(FlashFrames(1), ::testing::IsEmpty());
    EXPECT_EQ(Lightning.lightningInterval, 0);

    WriteFile("atmosphere.ini", ThunderAboveClouds);
    session->PressKey(0x2E);
    const uint32_t first = session->Frame() + 1;
    RunFrames(2000);
    EXPECT_EQ(FlashFrames(first), ExpectedFlashes(first, session->Frame(), 400));
}

// The frequency is a signed byte: a negative one acts like its magnitude.
TEST_F(LightningFlight, NegativeFrequencyActsLikeItsMagnitude) {
    WriteFile("atmosphere.ini", "[THUNDER]\nEnableLightningAboveClouds=1\nLightningFrequency=251\n");  // -5
    Start("thunder", 1050.0f);
    RunFrames(1999);
    EXPECT_EQ(FlashFrames(1), ExpectedFlashes(1, session->Frame(), 400));
}

TEST_F(LightningFlight, FrequencyAbove127WrapsToAShortNegativeSpan) {
    WriteFile("atmosphere.ini", "[THUNDER]\nEnableLightningAboveClouds=1\nLightningFrequency=200\n");  // -56
    Start("thunder", 1050.0f);
    RunFrames(999);
    const std::vector<uint32_t> flashes = FlashFrames(1);
    for (size_t i = 1; i < flashes.size(); ++i) EXPECT_LE(flashes[i] - flashes[i - 1], 35u);
    EXPECT_EQ(flashes, ExpectedFlashes(1, session->Frame(), 35));
}

// The counter stands still while the module is off and only the scheduler
// resets it; the interval survives a switch off and on.
TEST_F(LightningFlight, SwitchingOffPausesTheSchedule) {
    WriteFile("atmosphere.ini", ThunderAboveClouds);
    Start("thunder", 1050.0f);
    RunFrames(9);
    const uint32_t counter = Lightning.lightningFrameCounter;
    const int32_t interval = Lightning.lightningInterval;
    session->PressKey(0x2D);
    RunFrames(1);  // switched off (the restore runs; the schedule does not)
    RunFrames(500);
    EXPECT_EQ(Lightning.lightningFrameCounter, counter);
    EXPECT_EQ(Lightning.lightningInterval, interval);
}

}  // namespace
