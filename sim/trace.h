// The simulated host's record of what a module did: one event per host
// function call, per native call (with its decoded arguments and results) and
// per game-side happening (load, key message, scenario step). The text form of
// an event is fixed to the byte, so that a flight run on Linux and the same
// flight run under wine produce identical trace files. Portable C++ only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
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
    uint32_t frame = 0;  // frames begun so far; 0 before the first
    TraceCaller caller = TraceCaller::Game;
    TraceKind kind = TraceKind::Event;
    std::string name;                   // host function, native role or event name
    uint64_t hash = 0;                  // Native: the native's hash; 0 otherwise
    std::vector<TraceValue> arguments;  // decoded, in push order
    std::vector<TraceValue> results;    // Native: what the module could read back

    bool operator==(const TraceEvent&) const = default;
};

// One event as the session hands it to a sink: views into the session's own
// storage, valid only during the call. Recording a native call so costs no
// allocation; a sink that keeps events copies what it needs.
struct TraceRecord {
    uint32_t frame = 0;
    TraceCaller caller = TraceCaller::Game;
    TraceKind kind = TraceKind::Event;
    std::string_view name;
    uint64_t hash = 0;
    std::span<const TraceValue> arguments;
    std::span<const TraceValue> results;
};

TraceRecord ViewOf(const TraceEvent& event);
TraceEvent CopyOf(const TraceRecord& record);

// Where a session's events go, in the order they happen.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void Record(const TraceRecord& record) = 0;
    // Whether calls of this native are recorded. A sink that looks at a few
    // natives only spares the session from decoding the values of all the
    // others for it; the call itself is checked and carried out alike.
    virtual bool RecordsNative(uint64_t /*hash*/) const { return true; }
};

// Keeps every event in memory: what tests read back through Session::Trace().
class MemoryTraceSink final : public TraceSink {
public:
    void Record(const TraceRecord& record) override { events.push_back(CopyOf(record)); }
    std::vector<TraceEvent> events;
};

// One value in its trace spelling, e.g. "-1", "0x1A2B3C4D", "0.5", "\"STRING\"".
std::string FormatValue(const TraceValue& value);

// One event as one line without the line break:
//   <frame> <game|script> <host|native|event|error> <name>(<arguments>)[ = <results>]
// e.g. "12 script native SetWindSpeed(-1)" or
//      "3 script native GetWeatherTransition(&, &, &) = 0x..., 0x..., 0.25".
std::string FormatTraceLine(const TraceEvent& event);
std::string FormatTraceLine(const TraceRecord& record);

// Every event, each line ended by '\n'.
std::string FormatTrace(const std::vector<TraceEvent>& events);

// The native calls of one frame, in order (tests and the preview tool).
std::vector<TraceEvent> NativeCallsInFrame(const std::vector<TraceEvent>& events, uint32_t frame);

// How many native calls with this hash the events hold.
size_t CountNativeCalls(const std::vector<TraceEvent>& events, uint64_t hash);

}  // namespace sim
