// The debug overlay as the game receives it: the six texts, their style and
// positions, drawn one pass after they were formatted.
#include <gmock/gmock.h>

#include <cstring>

#include "debug/overlay.h"
#include "tests/atmosphere/flight.h"

namespace {

using Lines = std::vector<std::string>;
constexpr uint32_t DebugKey = 0x23;

// The six blocks for the defaults a load stores when the file is absent, in
// the normal zone before any modifier is active.
const Lines DefaultBlocks{
    "normalzone\nnormalZoneEnd: 800.00\ncloudZoneStart: 900.00\ncloudZoneEnd: 1200.00",
    "aboveCloudsZoneStart: 1400.00\naboveCloudsZoneEnd : 2000.00\nspaceZoneStart : 3000.00",
    "cloudZoneWindMultiplier: 2.00\naboveCloudsZoneWindMultiplier: 0.50\nspaceZoneWindMultiplier : 0.00",
    "aboveCloudWeatherOverride: EXTRASUNNY\nspaceZoneWeatherOverride: HALLOWEEN",
    "normalZoneTimecycMod: nextgen\ncloudZoneTimecycMod : nextgen\naboveCloudsZoneTimecycMod: nextgen",
    "spaceZoneTimecycMod: nextgen\n\nwind speed : 3.00\ntimecycle index: -1\natmosphere.ini"};

class OverlayFlight : public Flight {
protected:
    Lines DrawnTexts() const {
        Lines texts;
        for (const sim::DrawnText& drawn : session->world().textsThisFrame) texts.push_back(drawn.text);
        return texts;
    }
};

TEST_F(OverlayFlight, DrawsTheSixBlocksOfTheDefaultFile) {
    Start("clouds", 40.0f);
    session->PressKey(DebugKey);
    RunFrames(1);
    EXPECT_EQ(DrawnTexts(), DefaultBlocks);
    EXPECT_EQ(DefaultBlocks[2].size(), 96u);
    // Once the normal modifier is set, the index is the game's, 0.
    RunFrames(1);
    EXPECT_EQ(DrawnTexts()[5], "spaceZoneTimecycMod: nextgen\n\nwind speed : 3.00\ntimecycle index: 0\natmosphere.ini");
}

TEST_F(OverlayFlight, EachBlockIsOneStyledDrawAtItsOffset) {
    Start("clouds", 40.0f);
    session->PressKey(DebugKey);
    RunFrames(1);
    const auto& texts = world().textsThisFrame;
    ASSERT_EQ(texts.size(), 6u);
    const float y[] = {0.5000f, 0.5886f, 0.6772f, 0.7659f, 0.8323f, 0.8988f};
    for (size_t i = 0; i < texts.size(); ++i) {
        const sim::DrawnText& text = texts[i];
        EXPECT_NEAR(text.y, y[i], 5e-5) << "block " << i;
        EXPECT_FLOAT_EQ(text.x, 0.015f);
        EXPECT_EQ(text.kind, "STRING");
        EXPECT_EQ(text.font, 0);
        EXPECT_FLOAT_EQ(text.scaleX, 0.33f);
        EXPECT_FLOAT_EQ(text.scaleY, 0.33f);
        EXPECT_THAT(text.color, ::testing::ElementsAre(255, 255, 0, 255));
        EXPECT_EQ(text.wrapStart, 0.0f);
        EXPECT_EQ(text.wrapEnd, 1.0f);
        EXPECT_EQ(text.shadowDistance, 3);
        EXPECT_THAT(text.shadowColor, ::testing::ElementsAre(0, 0, 0, 0));
        EXPECT_EQ(text.edgeWidth, 1);
        EXPECT_THAT(text.edgeColor, ::testing::ElementsAre(0, 0, 0, 205));
    }
    // The natives of one block in their order, after the tag commands and
    // before the evaluation reads the altitude.
    const Lines calls = LastCalls();
    const auto begin = std::find(calls.begin(), calls.end(), "TextFont(0)");
    ASSERT_NE(begin, calls.end());
    EXPECT_EQ(begin[-1], "IsEntityTagRegistered(\"\\\"debugmode\\\"\", 2) = 0");
    EXPECT_EQ(
        Lines(begin, begin + 9),
        (Lines{"TextFont(0)", "TextScale(" + Float(0.33f) + ", " + Float(0.33f) + ")", "TextColour(255, 255, 0, 255)",
               "TextWrap(0, 1)", "TextShadow(3, 0, 0, 0, 0)", "TextEdge(1, 0, 0, 0, 205)", "BeginTextDraw(\"STRING\")",
               "AddText(\"normalzone\\nnormalZoneEnd: 800.00\\ncloudZoneStart: "
               "900.00\\ncloudZoneEnd: 1200.00\")",
               "DrawTextAt(" + Float(0.015f) + ", 0.5)"}));
    EXPECT_EQ(begin[6 * 9], "IsCharacterInVehicle(257, 0) = 0");
}

TEST_F(OverlayFlight, PlacementAndColorFollowTheFile) {
    WriteFile("atmosphere.ini",
              "[DEBUG]\nPosX=0.25\nPosY=0.1\nTextScale=0.5\nTextColorRed=1\nTextColorGreen=2\nTextColorBlue=300\n");
    Start("clouds", 40.0f);
    session->PressKey(DebugKey);
    RunFrames(1);
    const auto& texts = world().textsThisFrame;
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_FLOAT_EQ(texts[0].x, 0.25f);
    EXPECT_FLOAT_EQ(texts[5].y, 0.1f + 0.5f * 1.2086f);
    EXPECT_THAT(texts[3].color, ::testing::ElementsAre(1, 2, 300, 255));
}

TEST_F(OverlayFlight, ShowsTheTextOfThePreviousPass) {
    Start("clouds", 40.0f);
    session->PressKey(DebugKey);
    FlyTo(1050);
    EXPECT_EQ(DrawnTexts()[0].rfind("normalzone\n", 0), 0u);
    FlyTo(1050);
    EXPECT_EQ(DrawnTexts()[0].rfind("cloudzoneend\n", 0), 0u);
}

// A reload changes the text even while the zone stays the same.
TEST_F(OverlayFlight, ReloadedSettingsShowInTheSameZone) {
    Start("clouds", 40.0f);
    RunFrames(1);
    WriteFile("atmosphere.ini", "[CLOUDS]\nNormalZoneEnd=700\nCloudZoneTimecycleModifier=reloaded\n");
    session->PressKey(0x2E);
    RunFrames(1);
    EXPECT_STREQ(Overlay.DebugTextBlocks[0],
                 "normalzone\nnormalZoneEnd: 700.00\ncloudZoneStart: 900.00\ncloudZoneEnd: 1200.00");
    EXPECT_STREQ(Overlay.DebugTextBlocks[4],
                 "normalZoneTimecycMod: nextgen\ncloudZoneTimecycMod : reloaded\naboveCloudsZoneTimecycMod: nextgen");
}

TEST_F(OverlayFlight, DebugModeInTheFirstPassDrawsSixEmptyTexts) {
    CreateSession();
    session->Load();
    session->PressKey(DebugKey);
    RunFrames(1);
    EXPECT_EQ(DrawnTexts(), Lines(6, ""));
}

// Formatting runs in every enabled pass, debug mode or not, with the wind as
// the evaluation left it.
TEST_F(OverlayFlight, FormatsEveryEnabledPassWithTheWindAfterTheEvaluation) {
    Start("rain", 40.0f);
    world().gameWindSpeed = 4.0f;
    FlyTo(40);
    FlyTo(1050);  // the cloud zone sets 4 * 2
    EXPECT_EQ(LastCalls().back(), "GetWindSpeed() = 8");
    EXPECT_THAT(std::string(Overlay.DebugTextBlocks[5]), ::testing::HasSubstr("\nwind speed : 8.00\n"));
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[0]).rfind("cloudzoneend\n", 0), 0u);

    // Switched off, the blocks keep their last text.
    session->PressKey(0x2D);
    FlyTo(40, 3);
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[0]).rfind("cloudzoneend\n", 0), 0u);
}

// Long modifier names or huge numbers would overflow a 99-byte block: each
// block is cut at 98 characters and its neighbours stay intact.
TEST_F(OverlayFlight, OverlongBlocksAreCutAt98Characters) {
    const std::string longName(63, 'm');
    WriteFile("atmosphere.ini",
              "[CLOUDS]\nNormalZoneTimecycleModifier=" + longName + "\nCloudZoneTimecycleModifier=" + longName +
                  "\nAboveCloudsZoneTimecycleModifier=" + longName + "\nSpaceZoneTimecycleModifier=" + longName +
                  "\nNormalZoneEnd=1e30\nCloudZoneStart=-3e38\n");
    Start("clouds", 40.0f);
    const std::string full4 = "normalZoneTimecycMod: " + longName + "\ncloudZoneTimecycMod : " + longName +
                              "\naboveCloudsZoneTimecycMod: " + longName;
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[4]), full4.substr(0, 98));
    EXPECT_EQ(std::strlen(Overlay.DebugTextBlocks[0]), 98u);
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[0])
                  .rfind("normalzone\nnormalZoneEnd: 1000000015047466219876688855040.00\n", 0),
              0u);
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[5]).rfind("spaceZoneTimecycMod: " + longName + "\n\nwind speed", 0),
              0u);
    EXPECT_EQ(std::string(Overlay.DebugTextBlocks[1]).rfind("aboveCloudsZoneStart: 1400.00", 0), 0u);

    session->PressKey(DebugKey);
    RunFrames(1);
    EXPECT_EQ(DrawnTexts()[4], full4.substr(0, 98));
}

}  // namespace
