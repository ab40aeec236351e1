// Feeds arbitrary bytes to the preview's flight reader as a flight file. It
// must answer every input with frames or a FlightError naming the line, and
// a flight it accepts must hand out exactly the frames it announced.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "tools/preview/flight.h"

namespace {

// Frames replayed per input; a longer flight is only checked up to here.
constexpr size_t ReplayedFrames = 20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        auto text = std::make_unique<std::istringstream>(std::string(reinterpret_cast<const char*>(data), size));
        auto flight = preview::ReadFlight(std::move(text), "fuzz.csv", 2, false, 1.0f);
        preview::FlightFrame frame;
        size_t frames = 0;
        while (frames < ReplayedFrames && flight->Next(frame)) ++frames;
        if (flight->frameCount == 0 || (flight->frameCount <= ReplayedFrames && frames != flight->frameCount)) {
            __builtin_trap();
        }
    } catch (const preview::FlightError&) {
        // A rejected file, with its reason: what the tool prints.
    }
    return 0;
}
