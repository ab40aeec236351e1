// The simulated host itself: faults are loud, the script coroutine takes
// turns with the game, keyboard messages look like a keyboard's, the world
// responds coherently, the platform seam serves the session, and the trace
// text is fixed to the byte. A probe module (below) stands in for the real
// one where the test needs to control what the script does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/natives.h"
#include "platform/platform.h"
#include "sim/session.h"

namespace {

using sim::TraceValue;

// --- A probe module --------------------------------------------------------------

struct KeyMessage {
    uint32_t key;
    int32_t wasDown;
    int32_t isUp;
};

struct ProbeState {
    int passes = 0;             // script passes begun
    int returnAfter = -1;       // the script returns after this many passes (-1: never)
    bool nativeInPass = false;  // each pass reads the player handle
    std::vector<KeyMessage> keys;
} probe;

void ProbeKeyboard(uint32_t key, uint16_t, uint8_t, int32_t, int32_t, int32_t wasDown, int32_t isUp) {
    probe.keys.push_back({key, wasDown, isUp});
}

void ProbeScript() {
    for (;;) {
        ++probe.passes;
        if (probe.nativeInPass) natives::PlayerCharacter();
        if (probe.passes == probe.returnAfter) return;
        scriptWait(0);
    }
}

int ProbeEntry(ModuleHandle instance, uint32_t reason, void*) {
    if (reason == 1) {
        scriptRegister(instance, ProbeScript);
        keyboardHandlerRegister(ProbeKeyboard);
    } else if (reason == 0) {
        natives::ClearTimecycleModifier();
        scriptUnregister(instance);
        keyboardHandlerUnregister(ProbeKeyboard);
    }
    return 1;
}

sim::SessionOptions ProbeOptions() {
    sim::SessionOptions options;
    options.moduleEntry = ProbeEntry;
    return options;
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = ProbeState{};
        sim::Session::SetFaultHandler([this](const std::string& message) { faults.push_back(message); });
    }
    void TearDown() override { sim::Session::SetFaultHandler({}); }

    std::vector<std::string> faults;
};

// --- Faults --------------------------------------------------------------------------

TEST_F(SimTest, ProtocolFaultsAreReported) {
    sim::Session session;
    nativeInit(0x1234567890ABCDEFull);
    nativeCall();
    nativeInit(natives::hash::SetWindSpeed);  // one argument expected
    nativeCall();
    nativeInit(natives::hash::TextScale);
    nativePush64(natives::EncodeFloat(1.0f));
    nativePush64(natives::EncodeFloat(1.0f));
    nativePush64(natives::EncodeFloat(1.0f));
    nativeCall();
    nativeInit(natives::hash::SetCloudOpacity);
    nativePush64(0x100000000ull | natives::EncodeFloat(0.5f));  // high half not zero
    nativeCall();
    nativeInit(natives::hash::AddText);
    nativePush64(0);  // null string
    nativeCall();
    nativeCall();  // no init
    nativePush64(1);
    scriptWait(0);  // not on the script
    ASSERT_EQ(faults.size(), 8u);
    EXPECT_NE(faults[0].find("unknown native 0x1234567890ABCDEF"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("SetWindSpeed"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("takes 2 arguments, 3 were pushed"), std::string::npos) << faults[2];
    EXPECT_NE(faults[3].find("high half"), std::string::npos) << faults[3];
    EXPECT_NE(faults[4].find("null pointer"), std::string::npos) << faults[4];
    EXPECT_EQ(session.world().cloudOpacity, 1.0f) << "a faulty call changes nothing";
    EXPECT_EQ(sim::CountNativeCalls(session.Trace(), natives::hash::SetCloudOpacity), 0u);
}

TEST_F(SimTest, FaultsAbortByDefault) {
    sim::Session::SetFaultHandler({});
    EXPECT_DEATH(
        {
            sim::Session session;
            nativeInit(0x0123456789ABCDEFull);
            nativeCall();
        },
        "sim: fault: unknown native 0x0123456789ABCDEF");
}

TEST_F(SimTest, EveryModuleNativeIsKnownOnce) {
    size_t count = 0;
    const sim::NativeDescriptor* table = sim::NativeTable(&count);
    ASSERT_EQ(count, 35u);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(sim::FindNative(table[i].hash), &table[i]) << table[i].name << " listed twice";
    }
    EXPECT_EQ(sim::FindNative(0), nullptr);
}

TEST_F(SimTest, EveryModuleNativeIsCarriedOut) {
    sim::Session session;
    size_t count = 0;
    const sim::NativeDescriptor* table = sim::NativeTable(&count);
    alignas(8) char buffer[8] = "x";  // a text to read, or a slot an out-parameter fills
    const uint64_t pointer = reinterpret_cast<uintptr_t>(buffer);
    for (size_t i = 0; i < count; ++i) {
        nativeInit(table[i].hash);
        for (size_t k = 0; k < table[i].argumentCount; ++k) {
            const sim::ArgumentKind kind = table[i].arguments[k];
            const bool byPointer = kind == sim::ArgumentKind::Text || kind == sim::ArgumentKind::OutHash ||
                                   kind == sim::ArgumentKind::OutFloat;
            nativePush64(byPointer ? pointer : 0);
        }
        nativeCall();
        EXPECT_TRUE(faults.empty()) << table[i].name << ": " << (faults.empty() ? "" : faults.back());
        faults.clear();
    }
}

TEST_F(SimTest, StaleResultsAreOverwrittenAtTheNextInit) {
    sim::Session session;
    nativeInit(natives::hash::PlayerCharacter);
    const uint64_t* slots = nativeCall();
    EXPECT_EQ(static_cast<uint32_t>(slots[0]), static_cast<uint32_t>(sim::PlayerCharacterHandle));
    EXPECT_EQ(slots[0] >> 32, 0xA5A5A5A5u) << "the high half is noise";
    nativeInit(natives::hash::FlashLightning);
    EXPECT_EQ(slots[0], sim::ResultNoise);
    nativeCall();
}

// --- The script coroutine ---------------------------------------------------------------

TEST_F(SimTest, ScriptRunsOnePassPerFrameOnItsCoroutine) {
    probe.nativeInPass = true;
    sim::Session session(ProbeOptions());
    session.Load();
    EXPECT_EQ(probe.passes, 0) << "nothing runs at load";
    session.RunFrames(4);
    EXPECT_EQ(probe.passes, 4);
    for (const sim::TraceEvent& event : session.Trace()) {
        if (event.kind == sim::TraceKind::Native) {
            EXPECT_EQ(event.caller, sim::TraceCaller::Script);
        }
        if (event.name == "scriptRegister") {
            EXPECT_EQ(event.caller, sim::TraceCaller::Game);
        }
    }
    session.Unload();
    EXPECT_EQ(session.Trace().back().name, "keyboardHandlerUnregister");
    session.RunFrames(2);
    EXPECT_EQ(probe.passes, 4) << "an unregistered script no longer runs";
    EXPECT_TRUE(faults.empty());
}

TEST_F(SimTest, SessionEndStopsAWaitingScript) {
    {
        sim::Session session(ProbeOptions());
        session.Load();
        session.RunFrames(2);
    }  // the script thread is unwound here; the sanitizers see no leak
    sim::Session again(ProbeOptions());
    again.Load();
    again.RunFrames(1);
    EXPECT_EQ(probe.passes, 3);
}

TEST_F(SimTest, AScriptThatReturnsIsNotResumed) {
    probe.returnAfter = 2;
    sim::Session session(ProbeOptions());
    session.Load();
    session.RunFrames(5);
    EXPECT_EQ(probe.passes, 2);
    EXPECT_TRUE(session.ScriptFinished());
    size_t returned = 0;
    for (const sim::TraceEvent& event : session.Trace()) returned += event.name == "ScriptReturned";
    EXPECT_EQ(returned, 1u);
}

TEST_F(SimTest, KeyboardMessagesCarryTheReleaseFlagLast) {
    sim::Session session(ProbeOptions());
    session.Load();
    session.KeyDown(0x41);
    session.KeyDown(0x41);  // auto-repeat while held
    session.KeyUp(0x41);
    session.PressKey(0x42);
    ASSERT_EQ(probe.keys.size(), 5u);
    EXPECT_EQ(probe.keys[0].isUp, 0);
    EXPECT_EQ(probe.keys[0].wasDown, 0);
    EXPECT_EQ(probe.keys[1].wasDown, 1);
    EXPECT_EQ(probe.keys[1].isUp, 0);
    EXPECT_NE(probe.keys[2].isUp, 0);
    EXPECT_EQ(probe.keys[3].key, 0x42u);
    EXPECT_EQ(probe.keys[3].isUp, 0);
    EXPECT_NE(probe.keys[4].isUp, 0);
}

TEST_F(SimTest, RegistrationMistakesAreRecordedAsErrors) {
    sim::Session session;
    keyboardHandlerUnregister(ProbeKeyboard);
    scriptUnregister(session.Instance());
    keyboardHandlerRegister(ProbeKeyboard);
    keyboardHandlerRegister(ProbeKeyboard);
    EXPECT_EQ(session.ErrorCount(), 3u);
}

// --- The clock and the random sequence -------------------------------------------------------

TEST_F(SimTest, ClockAdvancesPerFrameAndWraps) {
    sim::SessionOptions options;
    options.startTick = 0xFFFFFFF0u;
    options.frameMilliseconds = 20;
    sim::Session session(options);
    EXPECT_EQ(platform::TickCount(), 0xFFFFFFF0u);
    session.RunFrames(1);
    EXPECT_EQ(platform::TickCount(), 4u);
    session.SetNow(77);
    EXPECT_EQ(platform::TickCount(), 77u);
}

TEST_F(SimTest, RandomIsTheNeverSeededCRuntimeSequence) {
    sim::Session session;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (const int value : expected) EXPECT_EQ(platform::Random(), value);
}

// --- The world ------------------------------------------------------------------------------

TEST_F(SimTest, GameHashIsOneAtATimeOverLowerCase) {
    EXPECT_EQ(sim::GameHash("a"), 0xCA2E9442u);
    EXPECT_EQ(sim::GameHash("The quick brown fox jumps over the lazy dog"),
              sim::GameHash("the quick brown fox jumps over the lazy dog"));
    EXPECT_EQ(sim::GameHash("the quick brown fox jumps over the lazy dog"), 0x2D1643CEu);
    EXPECT_EQ(sim::GameHash("CLOUDS"), sim::GameHash("clouds"));
    EXPECT_NE(sim::GameHash("clouds"), sim::GameHash("clear"));
}

TEST_F(SimTest, GameSineFollowsTheLibrarySine) {
    for (float degrees = -720.0f; degrees <= 720.0f; degrees += 7.5f) {
        const double expected = std::sin(static_cast<double>(degrees) * 3.14159265358979323846 / 180.0);
        EXPECT_NEAR(sim::GameSineDegrees(degrees), expected, 1e-7) << degrees;
    }
    EXPECT_EQ(sim::GameSineDegrees(90.0f), 1.0f);
    EXPECT_EQ(sim::GameSineDegrees(30.0f), 0.5f);
    EXPECT_EQ(sim::GameSineDegrees(0.0f), 0.0f);
    EXPECT_TRUE(std::isnan(sim::GameSineDegrees(NAN)));
}

TEST_F(SimTest, TimecycleIndexAndTimedTransition) {
    sim::Session session;
    sim::World& world = session.world();
    EXPECT_EQ(natives::GetTimecycleModifierIndex(), -1);
    natives::SetTimecycleModifier("cloudy");
    const int32_t cloudy = natives::GetTimecycleModifierIndex();
    EXPECT_GE(cloudy, 0);
    natives::SetTimecycleModifier("nextgen");
    EXPECT_NE(natives::GetTimecycleModifierIndex(), cloudy);
    natives::SetTimecycleModifier("cloudy");
    EXPECT_EQ(natives::GetTimecycleModifierIndex(), cloudy) << "a name keeps its index";
    natives::ClearTimecycleModifier();
    EXPECT_EQ(natives::GetTimecycleModifierIndex(), -1);

    natives::SetTimecycleModifierStrength(0.25f);
    natives::StartTimecycleTransition("space", 0.05f);  // 50 ms: four 16 ms frames
    session.RunFrames(3);
    EXPECT_EQ(world.timecycleModifier, "");
    session.RunFrames(1);
    EXPECT_EQ(world.timecycleModifier, "space");
    EXPECT_EQ(world.timecycleStrength, 1.0f);
    EXPECT_GE(world.timecycleIndex, 0);
}

TEST_F(SimTest, ThePlayerRidesInTheVehicle) {
    sim::Session session;
    sim::World& world = session.world();
    world.SetPlayerAltitude(100.0f);
    world.SetVehicleAltitude(900.0f);
    EXPECT_EQ(world.EntityPosition(sim::PlayerCharacterHandle).z, 100.0f);
    world.EnterVehicle();
    EXPECT_EQ(world.EntityPosition(sim::PlayerCharacterHandle).z, 900.0f);
    world.SetPlayerAltitude(1500.0f);
    EXPECT_EQ(world.EntityPosition(sim::VehicleHandle).z, 1500.0f) << "moving the player moves the vehicle";
    world.LeaveVehicle();
    EXPECT_EQ(world.EntityPosition(sim::PlayerCharacterHandle).z, 1500.0f) << "steps out where the vehicle is";
    EXPECT_EQ(natives::CharacterVehicle(sim::PlayerCharacterHandle), 0);
    EXPECT_EQ(world.EntityPosition(12345), sim::Vector3{});
}

TEST_F(SimTest, EntityTagsHaveATypeAndAValuePerEntity) {
    sim::Session session;
    sim::World& world = session.world();
    world.RegisterTag("\"reload\"", 2);
    world.RegisterTag("fileindex", 3);
    world.SetTag(sim::PlayerCharacterHandle, "\"reload\"", 2);
    world.SetTag(sim::PlayerCharacterHandle, "fileindex", 12);
    const int32_t player = sim::PlayerCharacterHandle;
    EXPECT_EQ(natives::IsEntityTagRegistered("\"reload\"", 2), 1);
    EXPECT_EQ(natives::IsEntityTagRegistered("\"reload\"", 3), 0);
    EXPECT_EQ(natives::IsEntityTagRegistered("reload", 2), 0) << "the quotes are part of the name";
    EXPECT_EQ(natives::ReadBooleanEntityTag(player, "\"reload\""), 2) << "a raw value other than 1 shows";
    EXPECT_EQ(natives::ReadIntegerEntityTag(player, "fileindex"), 12);
    EXPECT_EQ(natives::ReadIntegerEntityTag(sim::VehicleHandle, "fileindex"), 0);
    natives::SetBooleanEntityTag(player, "\"reload\"", 0);
    EXPECT_EQ(world.Tag(player, "\"reload\""), 0);
    natives::SetBooleanEntityTag(player, "fileindex", 1);
    EXPECT_EQ(world.Tag(player, "fileindex"), 12) << "not a boolean tag: left alone";
}

TEST_F(SimTest, TextDrawsAreCollectedPerFrame) {
    sim::Session session;
    sim::World& world = session.world();
    natives::TextFont(0);
    natives::TextScale(0.33f, 0.33f);
    natives::TextColor(255, 200, 100, 255);
    natives::TextEdge(1, 0, 0, 0, 205);
    natives::BeginTextDraw("STRING");
    natives::AddText("normalzone\n");
    natives::AddText("more");
    natives::DrawTextAt(0.5f, 0.25f);
    natives::BeginTextDraw("STRING");
    natives::DrawTextAt(0.5f, 0.75f);
    ASSERT_EQ(world.textsThisFrame.size(), 2u);
    const sim::DrawnText& first = world.textsThisFrame[0];
    EXPECT_EQ(first.text, "normalzone\nmore");
    EXPECT_EQ(first.kind, "STRING");
    EXPECT_EQ(first.scaleX, 0.33f);
    EXPECT_EQ(first.color[1], 200);
    EXPECT_EQ(first.edgeColor[3], 205);
    EXPECT_EQ(first.y, 0.25f);
    EXPECT_EQ(world.textsThisFrame[1].scaleX, 1.0f) << "the style lasts one draw";
    natives::AddText("orphan");
    EXPECT_EQ(session.ErrorCount(), 1u);
    session.RunFrames(1);
    EXPECT_TRUE(world.textsThisFrame.empty());
    EXPECT_EQ(session.History().back().textsThisFrame.size(), 0u);
}

TEST_F(SimTest, LightningFlashesAreCounted) {
    sim::Session session;
    natives::FlashLightning();
    natives::FlashLightning();
    EXPECT_EQ(session.world().lightningFlashesThisFrame, 2u);
    session.RunFrames(1);
    natives::FlashLightning();
    EXPECT_EQ(session.world().lightningFlashes, 3u);
    EXPECT_EQ(session.world().lightningFlashesThisFrame, 1u);
}

// --- The platform seam ------------------------------------------------------------------------

TEST_F(SimTest, GameExecutablePathIsAWindowsPathOfTheDirectory) {
    sim::SessionOptions options;
    options.gameDirectory = "/tmp/x/";
    sim::Session session(options);
    char path[64];
    EXPECT_EQ(platform::GameExecutablePath(path, sizeof path), 15u);
    EXPECT_STREQ(path, "\\tmp\\x\\game.exe");
    char small[8];
    EXPECT_EQ(platform::GameExecutablePath(small, sizeof small), 8u) << "cut: the result is the capacity";
    EXPECT_STREQ(small, "\\tmp\\x\\");
}

TEST_F(SimTest, ImageScanMeetsHolesAndProtection) {
    sim::Session session;  // the default image
    const platform::MemoryRange image = platform::GameImage();
    ASSERT_EQ(image.end - image.begin, 16 * 4096);
    const platform::MemoryRange first = platform::ReadableRangeAt(image.begin, image.end);
    EXPECT_EQ(first.end, image.begin + 2 * 4096) << "stops before the hole at page 2";
    EXPECT_EQ(platform::ReadableRangeAt(image.begin + 2 * 4096 + 5, image.end).end, image.begin + 2 * 4096 + 5);
    EXPECT_EQ(platform::ReadableRangeAt(image.begin + 3 * 4096, image.end).end, image.end);
    EXPECT_EQ(platform::ReadableRangeAt(image.begin + 100, image.begin + 200).end, image.begin + 200);

    const sim::ImageSpec layout;
    unsigned char* flag = const_cast<unsigned char*>(image.begin) + layout.flagOffset;
    const uint8_t* signature = image.begin + layout.signatureOffset;
    int32_t displacement = 0;
    std::memcpy(&displacement, signature + 8, 4);
    EXPECT_EQ(signature + 13 + displacement, flag);
    EXPECT_EQ(session.Image().signatures, 1);
    EXPECT_EQ(session.Image().flag, 1);
    EXPECT_FALSE(platform::WriteImageByte(const_cast<unsigned char*>(signature), 0)) << "code is read-only";
    EXPECT_FALSE(platform::WriteImageByte(const_cast<unsigned char*>(image.end), 0)) << "outside the image";
    EXPECT_TRUE(platform::WriteImageByte(flag, 0));
    EXPECT_EQ(session.Image().flag, 0);

    session.ArrangeImage(sim::ImageMode::ReadOnlyTarget);
    const platform::MemoryRange again = platform::GameImage();
    EXPECT_FALSE(platform::WriteImageByte(const_cast<unsigned char*>(again.begin) + layout.flagOffset, 0));
    EXPECT_EQ(session.Image().flag, 1);
    session.ArrangeImage(sim::ImageMode::NoSignature);
    EXPECT_EQ(session.Image().signatures, 0);
}

TEST_F(SimTest, AbsentImageIsEmpty) {
    sim::SessionOptions options;
    options.image.present = false;
    sim::Session session(options);
    const platform::MemoryRange image = platform::GameImage();
    EXPECT_EQ(image.begin, image.end);
    EXPECT_EQ(session.Image().flag, -1);
}

// --- The trace text ------------------------------------------------------------------------------

TEST_F(SimTest, TraceValuesHaveOneSpelling) {
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(0.1f)), "0.100000001");
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(-1.0f)), "-1");
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(-0.0f)), "-0");
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(1e20f)), "1.00000002e+20");
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(NAN)), "nan");
    EXPECT_EQ(sim::FormatValue(TraceValue::Float(-INFINITY)), "-inf");
    EXPECT_EQ(sim::FormatValue(TraceValue::Int(-7)), "-7");
    EXPECT_EQ(sim::FormatValue(TraceValue::Hex(0xBF800000u)), "0xBF800000");
    EXPECT_EQ(sim::FormatValue(TraceValue::Text("a\"b\\c\nd\x01\xE9")), "\"a\\\"b\\\\c\\nd\\x01\\xE9\"");
    EXPECT_EQ(sim::FormatValue(TraceValue::Out()), "&");
}

TEST_F(SimTest, TraceLinesNameFrameCallerKindCallAndResults) {
    probe.nativeInPass = true;
    sim::Session session(ProbeOptions());
    session.Load();
    session.RunFrames(1);
    uint32_t from = 0, to = 0;
    float fraction = 0.0f;
    natives::GetWeatherTransition(&from, &to, &fraction);
    session.Unload();
    EXPECT_EQ(session.TraceText(),
              "0 game event Load()\n"
              "0 game host scriptRegister()\n"
              "0 game host keyboardHandlerRegister()\n"
              "1 script native PlayerCharacter() = 257\n"
              "1 script host scriptWait(0)\n"
              "1 game native GetWeatherTransition(&, &, &) = 0x36A83D84, 0x36A83D84, 0\n"
              "1 game event Unload()\n"
              "1 game native ClearTimecycleModifier()\n"
              "1 game host scriptUnregister()\n"
              "1 game host keyboardHandlerUnregister()\n");
    EXPECT_EQ(from, sim::GameHash("clear"));
}

}  // namespace
