// The simulated host's record of what a module did: one event per host
// function call, per native call (with its decoded arguments and results) and
// per game-side happening (load, key message, scenario step). The text form of
// an event is fixed to the byte, so that a flight run on Linux and the same
// flight run under wine produce identical trace files. Portable C++ only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// How one decoded value is shown.
enum class ValueKind : uint8_t {
    Int,    // signed 32-bit decimal: handles, counts, colours, tag values
    Hex,    // unsigned 32-bit as 0x%08X: weather hashes, key codes
    Float,  // 32-bit float as "%.9g" (nan, inf and -inf spelled so)
    Text,   // a string read through its pointer, quoted with C escapes
    Out,    // an out-parameter pointer, shown as "&"; its value is in the results
};

struct TraceValue {
    ValueKind kind = ValueKind::Int;
    int32_t number = 0;  // Int, and Hex (as its bits)
    float real = 0.0f;   // Float
    std::string text;    // Text

    static TraceValue Int(int32_t value);
    static TraceValue Hex(uint32_t value);
    static TraceValue Float(float value);
    static TraceValue Text(std::string value);
    static TraceValue Out();
    bool operator==(const TraceValue&) const = default;
};

// Which side of the host made the call.
enum class TraceCaller : uint8_t {
    Game,    // the game's thread: loading, unloading, keyboard, scenario steps
    Script,  // the module's script coroutine
};

enum class TraceKind : uint8_t {
    Host,    // one of the eight host functions (scriptWait, scriptRegister, ...)
    Native,  // a native call; `hash` names it, `name` is its role
    Event,   // something the game or the scenario did
    Error,   // a protocol anomaly that is not fatal (e.g. text added without a begin)
};

struct TraceEvent {
    uint32_t frame = 0;                  // frames begun so far; 0 before the first
    TraceCaller caller = TraceCaller::Game;
    TraceKind kind = TraceKind::Event;
    std::string name;                    // host function, native role or event name
    uint64_t hash = 0;                   // Native: the native's hash; 0 otherwise
    std::vector<TraceValue> arguments;   // decoded, in push order
    std::vector<TraceValue> results;     // Native: what the module could read back

    bool operator==(const TraceEvent&) const = default;
};

// One value in its trace spelling, e.g. "-1", "0x1A2B3C4D", "0.5", "\"STRING\"".
std::string FormatValue(const TraceValue& value);

// One event as one line without the line break:
//   <frame> <game|script> <host|native|event|error> <name>(<arguments>)[ = <results>]
// e.g. "12 script native SetWindSpeed(-1)" or
//      "3 script native GetWeatherTransition(&, &, &) = 0x..., 0x..., 0.25".
std::string FormatTraceLine(const TraceEvent& event);

// Every event, each line ended by '\n'.
std::string FormatTrace(const std::vector<TraceEvent>& events);

// The native calls of one frame, in order (tests and the preview tool).
std::vector<TraceEvent> NativeCallsInFrame(const std::vector<TraceEvent>& events, uint32_t frame);

// How many native calls with this hash the events hold.
size_t CountNativeCalls(const std::vector<TraceEvent>& events, uint64_t hash);

}  // namespace sim
