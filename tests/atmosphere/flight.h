// The fixture for frame-by-frame flights: the real module, loaded through its
// DllMain into the simulated host, runs its own AtmosphereScript with its
// loop and scriptWait, one pass per simulated frame. Each test starts from
// the module's load-time state, in a game folder of its own where it may put
// configuration files. Calls are compared as the trace spells them, so a
// failing test shows the very line that differs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/session.h"
#include "sim/world.h"

class Flight : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file into the game folder; call before Start for the first load.
    void WriteFile(const std::string& name, const std::string& text);

    // Creates the session (with `image` as the game image), sets the game's
    // weather to `weather` (both ends, fraction 0), the player to
    // `altitude`, loads the module and runs its first frame (start-up and
    // first pass).
    void Start(const char* weather = "clouds", float altitude = 40.0f, const sim::ImageSpec& image = {});
    // Creates and loads only; no frame runs.
    void CreateSession(const sim::ImageSpec& image = {});

    // Moves the player (or the vehicle with the player inside) and runs frames.
    void FlyTo(float altitude, uint32_t frames = 1);
    void RunFrames(uint32_t frames = 1);

    // Every native call of a frame, spelled as the trace does, without the
    // frame and caller: "SetWindSpeed(-1)", "GetWindSpeed() = 3".
    std::vector<std::string> Calls(uint32_t frame) const;
    std::vector<std::string> LastCalls() const { return Calls(session->Frame()); }
    // The calls the zone evaluation made in a frame after reading the
    // altitude and the modifier index, up to the overlay's wind read; empty
    // when no evaluation ran.
    std::vector<std::string> ZoneCalls(uint32_t frame) const;
    std::vector<std::string> LastZoneCalls() const { return ZoneCalls(session->Frame()); }
    // The label the last evaluation printed into the overlay's first block.
    std::string LastLabel() const;
    // How often a native (by role name) was called in a frame.
    int CountCalls(uint32_t frame, const std::string& name) const;

    sim::World& world() { return session->world(); }

    std::filesystem::path gameDirectory;
    std::unique_ptr<sim::Session> session;
};

// Spellings of trace values, for expected call lines.
std::string Hash(const char* weatherName);  // "0x...", the game's hash of the name
std::string Float(float value);             // "%.9g" as the trace writes floats
