// The simulated game: the state that the module's 35 natives read and change
// (weather, clouds, timecycle modifier, wind, effect level, lightning, the
// player and a vehicle, entity tags, on-screen text), the table that describes
// each native's arguments and result, and the dispatch that carries out one
// call. Portable C++; knows nothing of threads, fibers or the trace file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/trace.h"

namespace sim {

// Handles the game hands out. Neither is 0 or 1, so a module that passes a
// constant instead of the handle it was given shows up in the trace.
inline constexpr int32_t PlayerCharacterHandle = 257;
inline constexpr int32_t VehicleHandle = 514;

// The result area nativeCall returns: eight 64-bit slots. Every slot is filled
// with ResultNoise before a call writes its result, so high halves and unused
// slots hold garbage, as they may in the real host, and a module that reads
// more than the low 4 bytes, or reads a stale result, gets nonsense.
inline constexpr size_t NativeResultSlots = 8;
inline constexpr uint64_t ResultNoise = 0xA5A5A5A5A5A5A5A5ull;
// More pushes than this before one call is a protocol fault.
inline constexpr size_t MaxNativeArguments = 16;

// How one pushed 64-bit argument is checked and decoded.
enum class ArgumentKind : uint8_t {
    Int,       // int32 in the low half; the high half must be zero
    Hash,      // uint32 (a weather hash) in the low half; the high half must be zero
    Float,     // IEEE single bits in the low half; the high half must be zero
    Text,      // pointer to a NUL-terminated string; must not be null
    OutHash,   // pointer to a 32-bit slot the host fills with a hash
    OutFloat,  // pointer to a 32-bit slot the host fills with a float
};

// What a native writes back in the result slots.
enum class ResultKind : uint8_t {
    None,
    Int,     // int32 in the low 4 bytes of slot 0
    Hash,    // uint32 hash in the low 4 bytes of slot 0
    Float,   // float in the low 4 bytes of slot 0
    Vector,  // x, y, z floats in the low 4 bytes of slots 0, 1, 2 (z at byte 16)
};

struct NativeDescriptor {
    uint64_t hash;
    const char* name;       // role name, as in natives::hash
    uint8_t argumentCount;  // exact number of pushes the call needs
    ArgumentKind arguments[9];
    ResultKind result;
};

// The 35 natives the module may call; nullptr for any other hash.
const NativeDescriptor* FindNative(uint64_t hash);
// All of them, in the order of their table: `count` receives 35.
const NativeDescriptor* NativeTable(size_t* count);

// The game's hash of a name: Jenkins one-at-a-time over the lower-cased bytes,
// so "CLOUDS" and "clouds" name the same weather.
uint32_t GameHash(std::string_view name);

// The game's sine of an angle in degrees. Built from + - * / only, so that
// it gives the same bits with any C library (the Linux and wine traces match).
float GameSineDegrees(float degrees);

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;  // altitude in world units
    bool operator==(const Vector3&) const = default;
};

// One finished text draw: the style in force when it was drawn, the text
// added since "begin", and the screen position.
struct DrawnText {
    std::string kind;          // what "begin" named; the module uses "STRING"
    std::string text;          // every added component, concatenated
    float x = 0.0f, y = 0.0f;  // screen position, 0..1
    int32_t font = 0;
    float scaleX = 1.0f, scaleY = 1.0f;
    int32_t color[4] = {255, 255, 255, 255};  // red, green, blue, alpha
    float wrapStart = 0.0f, wrapEnd = 1.0f;
    int32_t shadowDistance = 0;
    int32_t shadowColor[4] = {0, 0, 0, 0};
    int32_t edgeWidth = 0;
    int32_t edgeColor[4] = {0, 0, 0, 0};
};

// The whole game state. A plain value: the session keeps one per finished
// frame as its history.
struct World {
    // Weather. The transition is what the module last set or the scenario
    // forced; the override is a weather forced by name until cleared.
    uint32_t transitionFrom = GameHash("clear");
    uint32_t transitionTo = GameHash("clear");
    float transitionFraction = 0.0f;   // 0 = all `from`, 1 = all `to`
    std::string overrideWeather;       // name as given; empty when none
    uint32_t overrideWeatherHash = 0;  // GameHash of it; 0 when none
    float effectLevel = -1.0f;         // weather effect level; -1 = the game's own

    // Clouds.
    std::string cloudSet;       // loaded cloud set; empty after an unload
    float cloudOpacity = 1.0f;  // 0..1

    // Timecycle modifier. Every name the game meets gets the next index, so
    // the index is >= 0 while a modifier is set and -1 once it is cleared.
    std::string timecycleModifier;  // empty when none
    int32_t timecycleIndex = -1;
    float timecycleStrength = 1.0f;
    std::string timecycleTransitionTarget;  // a timed transition under way; empty when none
    float timecycleTransitionSeconds = 0.0f;
    uint32_t timecycleTransitionElapsedMs = 0;
    std::vector<std::string> timecycleModifierNames;  // index -> name

    // Wind.
    float gameWindSpeed = 3.0f;       // the game's own speed
    float windSpeedOverride = -1.0f;  // set by the module; negative = released

    // Lightning.
    uint32_t lightningFlashes = 0;  // since the session began
    uint32_t lightningFlashesThisFrame = 0;

    // The player character and a vehicle. While the player is inside, the
    // character rides along: its position is the vehicle's.
    Vector3 playerPosition{-1025.5f, 245.25f, 40.0f};
    Vector3 vehiclePosition{-1021.75f, 249.5f, 40.5f};
    bool inVehicle = false;

    // Entity tags: a registry of names with their type (2 boolean, 3
    // integer), and the values per (entity, name). An unset value reads 0.
    std::map<std::string, int32_t, std::less<>> tagTypes;
    std::map<std::pair<int32_t, std::string>, int32_t> tagValues;

    // On-screen text drawn in the current frame (cleared when a frame begins),
    // and the style of the draw being built.
    std::vector<DrawnText> textsThisFrame;
    DrawnText pendingText;
    bool textBegun = false;

    // The wind speed the game reports: the override while one is set.
    float EffectiveWindSpeed() const;
    // The position of an entity, {0, 0, 0} for a handle the game never gave.
    Vector3 EntityPosition(int32_t entity) const;
    // Moves the player (on foot) or the vehicle with the player (inside).
    void SetPlayerAltitude(float altitude);
    void SetVehicleAltitude(float altitude);
    void EnterVehicle();
    void LeaveVehicle();  // steps out where the vehicle stands
    // Index of a timecycle modifier name, registering it when new.
    int32_t TimecycleModifierIndex(std::string_view name);
    // Sets or clears (empty name) the game's own modifier, ending any timed transition.
    void SetTimecycleModifier(std::string_view name);
    void RegisterTag(const std::string& name, int32_t type);
    void SetTag(int32_t entity, const std::string& name, int32_t value);
    int32_t Tag(int32_t entity, const std::string& name) const;

    // Starts a new frame that comes `elapsedMs` after the previous one: the
    // per-frame records are cleared and a timed transition advances.
    void BeginFrame(uint32_t elapsedMs);
};

// The outcome of decoding and running one native call. The session keeps
// one and hands it to every call: its texts keep their storage, so a call
// allocates nothing once the longest text has been seen.
struct NativeOutcome {
    TraceValue arguments[MaxNativeArguments];  // decoded, in push order
    size_t argumentCount = 0;
    TraceValue results[3];  // what was written back
    size_t resultCount = 0;
    const char* error = nullptr;  // a non-fatal anomaly, nullptr when none
    bool record = true;           // set by the caller: false leaves both lists empty

    std::span<const TraceValue> Arguments() const { return {arguments, argumentCount}; }
    std::span<const TraceValue> Results() const { return {results, resultCount}; }
};

// Runs one call on the world: checks each argument's encoding, reads strings
// through their pointers, changes the world, fills `slots` (NativeResultSlots
// values, pre-filled with ResultNoise) and writes out-parameters. The caller
// has already checked the hash and the argument count. A malformed argument
// (non-zero high half, null pointer) is a fault: `fault` receives a message
// and the call does nothing.
void RunNative(World& world, const NativeDescriptor& native, const uint64_t* arguments, uint64_t* slots,
               NativeOutcome& outcome, std::string& fault);

}  // namespace sim
