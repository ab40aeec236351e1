// The flight fixture: fresh module state, a private game folder, and views of
// the simulated host's trace.
#include "tests/atmosphere/flight.h"

#include <unistd.h>

#include <fstream>

#include "atmosphere/script.h"
#include "config/settings.h"
#include "debug/overlay.h"
#include "host/key_state.h"
#include "sim/trace.h"

namespace {

std::string WithoutPrefix(const sim::TraceEvent& event) {
    // "<frame> <caller> <kind> " comes first; the call follows.
    std::string line = sim::FormatTraceLine(event);
    for (int words = 0; words < 3; ++words) line.erase(0, line.find(' ') + 1);
    return line;
}

}  // namespace

std::string Hash(const char* weatherName) { return sim::FormatValue(sim::TraceValue::Hex(sim::GameHash(weatherName))); }

std::string Float(float value) { return sim::FormatValue(sim::TraceValue::Float(value)); }

void Flight::SetUp() {
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    gameDirectory = std::filesystem::temp_directory_path() /
                    ("atmosphere-flight-" + std::to_string(::getpid()) + "-" + test->name());
    std::filesystem::remove_all(gameDirectory);
    std::filesystem::create_directories(gameDirectory);
}

void Flight::TearDown() {
    session.reset();
    std::error_code ignored;
    std::filesystem::remove_all(gameDirectory, ignored);
}

void Flight::WriteFile(const std::string& name, const std::string& text) {
    std::ofstream file(gameDirectory / name, std::ios::binary);
    file << text;
}

void Flight::CreateSession(const sim::ImageSpec& image) {
    sim::SessionOptions options;
    options.gameDirectory = gameDirectory.string();
    options.image = image;
    session = std::make_unique<sim::Session>(options);
}

void Flight::Start(const char* weather, float altitude, const sim::ImageSpec& image) {
    CreateSession(image);
    world().transitionFrom = world().transitionTo = sim::GameHash(weather);
    world().transitionFraction = 0.0f;
    world().SetPlayerAltitude(altitude);
    session->Load();
    session->RunFrames(1);
}

void Flight::FlyTo(float altitude, uint32_t frames) {
    world().SetPlayerAltitude(altitude);
    session->RunFrames(frames);
}

void Flight::RunFrames(uint32_t frames) { session->RunFrames(frames); }

std::vector<std::string> Flight::Calls(uint32_t frame) const {
    std::vector<std::string> lines;
    for (const sim::TraceEvent& event : sim::NativeCallsInFrame(session->Trace(), frame)) {
        lines.push_back(WithoutPrefix(event));
    }
    return lines;
}

std::vector<std::string> Flight::ZoneCalls(uint32_t frame) const {
    const std::vector<sim::TraceEvent> calls = sim::NativeCallsInFrame(session->Trace(), frame);
    size_t begin = calls.size();
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name == "GetTimecycleModifierIndex") {
            begin = i + 1;
            break;
        }
    }
    size_t end = calls.size();
    while (end > begin && calls[end - 1].name != "GetWindSpeed") --end;
    std::vector<std::string> lines;
    // The last wind read belongs to the overlay's formatting.
    for (size_t i = begin; i + 1 < end; ++i) lines.push_back(WithoutPrefix(calls[i]));
    return lines;
}

std::string Flight::LastLabel() const {
    const std::string block = Overlay.DebugTextBlocks[0];
    return block.substr(0, block.find('\n') + 1);
}

int Flight::CountCalls(uint32_t frame, const std::string& name) const {
    int count = 0;
    for (const sim::TraceEvent& event : sim::NativeCallsInFrame(session->Trace(), frame)) {
        if (event.name == name) ++count;
    }
    return count;
}
