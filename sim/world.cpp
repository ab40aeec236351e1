// The simulated game's state and the dispatch of the module's 35 natives.
// Depends on host/natives.h for the hashes, so the table here cannot drift
// from the module's call layer.
#include "sim/world.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/natives.h"

namespace sim {
namespace {

using A = ArgumentKind;
using R = ResultKind;
namespace h = natives::hash;

// Argument kinds in push order, as the module's call layer pushes them.
constexpr NativeDescriptor Natives[] = {
    {h::WeatherNameHash, "WeatherNameHash", 1, {A::Text}, R::Hash},
    {h::GetWeatherTransition, "GetWeatherTransition", 3, {A::OutHash, A::OutHash, A::OutFloat}, R::None},
    {h::SetWeatherTransition, "SetWeatherTransition", 3, {A::Hash, A::Hash, A::Float}, R::Int},
    {h::ClearOverrideWeather, "ClearOverrideWeather", 0, {}, R::None},
    {h::SetOverrideWeatherByName, "SetOverrideWeatherByName", 1, {A::Text}, R::None},
    {h::LoadCloudSet, "LoadCloudSet", 2, {A::Text, A::Float}, R::None},
    {h::UnloadCloudSets, "UnloadCloudSets", 0, {}, R::None},
    {h::SetCloudOpacity, "SetCloudOpacity", 1, {A::Float}, R::None},
    {h::SetTimecycleModifier, "SetTimecycleModifier", 1, {A::Text}, R::None},
    {h::StartTimecycleTransition, "StartTimecycleTransition", 2, {A::Text, A::Float}, R::None},
    {h::SetTimecycleModifierStrength, "SetTimecycleModifierStrength", 1, {A::Float}, R::None},
    {h::ClearTimecycleModifier, "ClearTimecycleModifier", 0, {}, R::None},
    {h::GetTimecycleModifierIndex, "GetTimecycleModifierIndex", 0, {}, R::Int},
    {h::SetWindSpeed, "SetWindSpeed", 1, {A::Float}, R::None},
    {h::GetWindSpeed, "GetWindSpeed", 0, {}, R::Float},
    {h::SetWeatherEffectLevel, "SetWeatherEffectLevel", 1, {A::Float}, R::None},
    {h::FlashLightning, "FlashLightning", 0, {}, R::None},
    {h::SineDegrees, "SineDegrees", 1, {A::Float}, R::Float},
    {h::PlayerCharacter, "PlayerCharacter", 0, {}, R::Int},
    {h::IsCharacterInVehicle, "IsCharacterInVehicle", 2, {A::Int, A::Int}, R::Int},
    {h::CharacterVehicle, "CharacterVehicle", 1, {A::Int}, R::Int},
    {h::EntityPosition, "EntityPosition", 2, {A::Int, A::Int}, R::Vector},
    {h::IsEntityTagRegistered, "IsEntityTagRegistered", 2, {A::Text, A::Int}, R::Int},
    {h::ReadIntegerEntityTag, "ReadIntegerEntityTag", 2, {A::Int, A::Text}, R::Int},
    {h::ReadBooleanEntityTag, "ReadBooleanEntityTag", 2, {A::Int, A::Text}, R::Int},
    {h::SetBooleanEntityTag, "SetBooleanEntityTag", 3, {A::Int, A::Text, A::Int}, R::None},
    {h::TextFont, "TextFont", 1, {A::Int}, R::None},
    {h::TextScale, "TextScale", 2, {A::Float, A::Float}, R::None},
    // Traces since the first release spell this one "TextColour"; kept, so
    // that every recorded trace still compares.
    {h::TextColor, "TextColour", 4, {A::Int, A::Int, A::Int, A::Int}, R::None},
    {h::TextWrap, "TextWrap", 2, {A::Float, A::Float}, R::None},
    {h::TextShadow, "TextShadow", 5, {A::Int, A::Int, A::Int, A::Int, A::Int}, R::None},
    {h::TextEdge, "TextEdge", 5, {A::Int, A::Int, A::Int, A::Int, A::Int}, R::None},
    {h::BeginTextDraw, "BeginTextDraw", 1, {A::Text}, R::None},
    {h::AddText, "AddText", 1, {A::Text}, R::None},
    {h::DrawTextAt, "DrawTextAt", 2, {A::Float, A::Float}, R::None},
};
static_assert(std::size(Natives) == 35, "the module calls 35 natives");

// One decoded argument, with the raw pointer kept for strings and out-parameters.
// Left uninitialised: a call fills exactly the arguments its native takes.
struct Argument {
    int32_t number;
    float real;
    const char* text;  // the module's own string, read during the call only
    void* pointer;
};

void PutValue(TraceValue& value, ValueKind kind, int32_t number = 0, float real = 0.0f) {
    value.kind = kind;
    value.number = number;
    value.real = real;
    value.text.clear();
}

void PutLow32(uint64_t& slot, uint32_t bits) { slot = (slot & 0xFFFFFFFF00000000ull) | bits; }

void PutFloat(uint64_t& slot, float value) { PutLow32(slot, std::bit_cast<uint32_t>(value)); }

void CopyColor(int32_t (&destination)[4], const Argument* source) {
    for (int i = 0; i < 4; ++i) destination[i] = source[i].number;
}

// Two floats pushed in a row: a scale's x and y, a wrap's start and end.
void CopyPair(float& first, float& second, const Argument* source) {
    first = source[0].real;
    second = source[1].real;
}

// A width (or distance) pushed before a colour: a shadow or an edge.
void CopyOutline(int32_t& width, int32_t (&color)[4], const Argument* source) {
    width = source[0].number;
    CopyColor(color, source + 1);
}

// The natives by hash in an open-addressed table: every call looks one up.
class NativeIndex {
public:
    NativeIndex() {
        for (const NativeDescriptor& native : Natives) {
            size_t slot = Slot(native.hash);
            while (slots_[slot] != nullptr) slot = (slot + 1) % Size;
            slots_[slot] = &native;
        }
    }
    const NativeDescriptor* Find(uint64_t hash) const {
        for (size_t slot = Slot(hash);; slot = (slot + 1) % Size) {
            const NativeDescriptor* native = slots_[slot];
            if (native == nullptr || native->hash == hash) return native;
        }
    }

private:
    static constexpr size_t Size = 128;  // over three times the natives: short probes, always a free slot
    static size_t Slot(uint64_t hash) { return static_cast<size_t>((hash ^ (hash >> 29)) % Size); }
    const NativeDescriptor* slots_[Size] = {};
};

}  // namespace

const NativeDescriptor* FindNative(uint64_t hash) {
    static const NativeIndex index;
    return index.Find(hash);
}

const NativeDescriptor* NativeTable(size_t* count) {
    *count = std::size(Natives);
    return Natives;
}

uint32_t GameHash(std::string_view name) {
    uint32_t hash = 0;
    for (const char c : name) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        hash += static_cast<unsigned char>(lower);
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}

float GameSineDegrees(float degrees) {
    // fmod is exact by definition, so every library reduces alike; the series
    // below uses only basic operations, which are correctly rounded everywhere.
    double angle = std::fmod(static_cast<double>(degrees), 360.0);
    if (std::isnan(angle)) return static_cast<float>(angle);
    if (angle < 0.0) angle += 360.0;
    double sign = 1.0;
    if (angle >= 180.0) {
        angle -= 180.0;
        sign = -1.0;
    }
    if (angle > 90.0) angle = 180.0 - angle;
    const double radians = angle * (3.14159265358979323846 / 180.0);
    const double square = radians * radians;
    // Taylor series to the x^17 term: below 1e-13 of error on [0, pi/2].
    double term = radians;
    double sum = radians;
    for (int n = 1; n <= 8; ++n) {
        term = -term * square / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return static_cast<float>(sign * sum);
}

float World::EffectiveWindSpeed() const { return windSpeedOverride >= 0.0f ? windSpeedOverride : gameWindSpeed; }

Vector3 World::EntityPosition(int32_t entity) const {
    if (entity == VehicleHandle) return vehiclePosition;
    if (entity == PlayerCharacterHandle) return inVehicle ? vehiclePosition : playerPosition;
    return {};
}

void World::SetPlayerAltitude(float altitude) {
    if (inVehicle) {
        vehiclePosition.z = altitude;
    } else {
        playerPosition.z = altitude;
    }
}

void World::SetVehicleAltitude(float altitude) { vehiclePosition.z = altitude; }

void World::EnterVehicle() { inVehicle = true; }

void World::LeaveVehicle() {
    if (inVehicle) playerPosition = vehiclePosition;
    inVehicle = false;
}

int32_t World::TimecycleModifierIndex(std::string_view name) {
    for (size_t i = 0; i < timecycleModifierNames.size(); ++i) {
        if (timecycleModifierNames[i] == name) return static_cast<int32_t>(i);
    }
    timecycleModifierNames.emplace_back(name);
    return static_cast<int32_t>(timecycleModifierNames.size() - 1);
}

void World::SetTimecycleModifier(std::string_view name) {
    timecycleModifier = name;
    timecycleIndex = name.empty() ? -1 : TimecycleModifierIndex(name);
    timecycleTransitionTarget.clear();
    timecycleTransitionSeconds = 0.0f;
    timecycleTransitionElapsedMs = 0;
}

void World::RegisterTag(const std::string& name, int32_t type) { tagTypes[name] = type; }

void World::SetTag(int32_t entity, const std::string& name, int32_t value) { tagValues[{entity, name}] = value; }

int32_t World::Tag(int32_t entity, const std::string& name) const {
    const auto found = tagValues.find({entity, name});
    return found == tagValues.end() ? 0 : found->second;
}

void World::BeginFrame(uint32_t elapsedMs) {
    textsThisFrame.clear();
    pendingText = DrawnText{};
    textBegun = false;
    lightningFlashesThisFrame = 0;
    if (!timecycleTransitionTarget.empty()) {
        timecycleTransitionElapsedMs += elapsedMs;
        if (static_cast<double>(timecycleTransitionElapsedMs) >=
            static_cast<double>(timecycleTransitionSeconds) * 1000.0) {
            const std::string target = timecycleTransitionTarget;
            SetTimecycleModifier(target);
            timecycleStrength = 1.0f;
        }
    }
}

namespace {

bool IsPointer(ArgumentKind kind) { return kind == A::Text || kind == A::OutHash || kind == A::OutFloat; }

// Checks every pushed argument's encoding against the native's descriptor and
// decodes it. A malformed one leaves a message in `fault` and returns false.
bool DecodeArguments(const NativeDescriptor& native, const uint64_t* arguments, Argument* decoded, std::string& fault) {
    char message[160];
    for (size_t i = 0; i < native.argumentCount; ++i) {
        const uint64_t raw = arguments[i];
        const ArgumentKind kind = native.arguments[i];
        if (!IsPointer(kind) && (raw >> 32) != 0) {
            std::snprintf(message, sizeof message, "%s argument %zu: high half not zero (0x%016llX)", native.name,
                          i + 1, static_cast<unsigned long long>(raw));
            fault = message;
            return false;
        }
        if (IsPointer(kind) && raw == 0) {
            std::snprintf(message, sizeof message, "%s argument %zu: null pointer", native.name, i + 1);
            fault = message;
            return false;
        }
        Argument& argument = decoded[i];
        switch (kind) {
        case A::Int:
        case A::Hash: argument.number = static_cast<int32_t>(static_cast<uint32_t>(raw)); break;
        case A::Float: argument.real = std::bit_cast<float>(static_cast<uint32_t>(raw)); break;
        case A::Text: argument.text = reinterpret_cast<const char*>(static_cast<uintptr_t>(raw)); break;
        case A::OutHash:
        case A::OutFloat: argument.pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(raw)); break;
        }
    }
    return true;
}

// One value a native handed back, as the module can read it.
struct Returned {
    ValueKind kind;
    int32_t number;
    float real;
};

// A call being carried out: the world it changes, its decoded arguments, the
// result slots the module reads, and what it handed back, for the trace.
struct NativeCall {
    World& world;
    const Argument* arguments;
    uint64_t* slots;
    NativeOutcome& outcome;
    Returned returned[3] = {};
    size_t returnedCount = 0;

    // Notes a value the module can read, in a result slot or through an out-parameter.
    void Return(ValueKind kind, int32_t number, float real) { returned[returnedCount++] = {kind, number, real}; }
    void ReturnInt(int32_t value) {
        PutLow32(slots[0], static_cast<uint32_t>(value));
        Return(ValueKind::Int, value, 0.0f);
    }
    void ReturnHash(uint32_t value) {
        PutLow32(slots[0], value);
        Return(ValueKind::Hex, static_cast<int32_t>(value), 0.0f);
    }
    void ReturnFloat(float value) {
        PutFloat(slots[0], value);
        Return(ValueKind::Float, 0, value);
    }
};

// Puts the decoded arguments and the returned values in the outcome, in
// their trace spelling.
void RecordCall(const NativeDescriptor& native, const Argument* decoded, const Returned* returned, size_t returnedCount,
                NativeOutcome& outcome) {
    for (size_t i = 0; i < native.argumentCount; ++i) {
        const Argument& argument = decoded[i];
        TraceValue& shown = outcome.arguments[outcome.argumentCount++];
        switch (native.arguments[i]) {
        case A::Int: PutValue(shown, ValueKind::Int, argument.number); break;
        case A::Hash: PutValue(shown, ValueKind::Hex, argument.number); break;
        case A::Float: PutValue(shown, ValueKind::Float, 0, argument.real); break;
        case A::Text:
            PutValue(shown, ValueKind::Text);
            shown.text.assign(argument.text);
            break;
        case A::OutHash:
        case A::OutFloat: PutValue(shown, ValueKind::Out); break;
        }
    }
    for (size_t i = 0; i < returnedCount; ++i) {
        PutValue(outcome.results[outcome.resultCount++], returned[i].kind, returned[i].number, returned[i].real);
    }
}

// --- What each native does to the world ----------------------------------------

void GetWeatherTransition(NativeCall& call) {
    const World& world = call.world;
    std::memcpy(call.arguments[0].pointer, &world.transitionFrom, sizeof(uint32_t));
    std::memcpy(call.arguments[1].pointer, &world.transitionTo, sizeof(uint32_t));
    std::memcpy(call.arguments[2].pointer, &world.transitionFraction, sizeof(float));
    call.Return(ValueKind::Hex, static_cast<int32_t>(world.transitionFrom), 0.0f);
    call.Return(ValueKind::Hex, static_cast<int32_t>(world.transitionTo), 0.0f);
    call.Return(ValueKind::Float, 0, world.transitionFraction);
}

void SetWeatherTransition(NativeCall& call) {
    call.world.transitionFrom = static_cast<uint32_t>(call.arguments[0].number);
    call.world.transitionTo = static_cast<uint32_t>(call.arguments[1].number);
    call.world.transitionFraction = call.arguments[2].real;
    call.ReturnInt(1);
}

void OverrideWeather(World& world, const char* name) {
    world.overrideWeather = name;
    world.overrideWeatherHash = GameHash(name);
}

void ClearOverrideWeather(World& world) {
    world.overrideWeather.clear();
    world.overrideWeatherHash = 0;
}

// A transition of no time is the modifier set at once, at full strength.
void StartTimecycleTransition(World& world, const char* name, float seconds) {
    if (seconds > 0.0f) {
        world.timecycleTransitionTarget = name;
        world.timecycleTransitionSeconds = seconds;
        world.timecycleTransitionElapsedMs = 0;
    } else {
        world.SetTimecycleModifier(name);
        world.timecycleStrength = 1.0f;
    }
}

// A negative level hands the value back to the game.
float OverrideOrReleased(float value) { return value < 0.0f ? -1.0f : value; }

void FlashLightning(World& world) {
    ++world.lightningFlashes;
    ++world.lightningFlashesThisFrame;
}

bool PlayerInVehicle(const World& world, int32_t character) {
    return character == PlayerCharacterHandle && world.inVehicle;
}

void EntityPosition(NativeCall& call) {
    const Vector3 position = call.world.EntityPosition(call.arguments[0].number);
    PutFloat(call.slots[0], position.x);
    PutFloat(call.slots[1], position.y);
    PutFloat(call.slots[2], position.z);
    call.Return(ValueKind::Float, 0, position.x);
    call.Return(ValueKind::Float, 0, position.y);
    call.Return(ValueKind::Float, 0, position.z);
}

bool TagRegisteredAs(const World& world, const char* name, int32_t type) {
    const auto found = world.tagTypes.find(name);
    return found != world.tagTypes.end() && found->second == type;
}

// The game keeps a boolean as 0 or 1, and only for a name registered so.
void SetBooleanTag(World& world, int32_t entity, const char* name, int32_t value) {
    if (TagRegisteredAs(world, name, natives::EntityTagTypeBoolean)) world.SetTag(entity, name, value != 0 ? 1 : 0);
}

void BeginTextDraw(World& world, const char* kind) {
    world.pendingText.kind = kind;
    world.pendingText.text.clear();
    world.textBegun = true;
}

void AddText(NativeCall& call) {
    if (!call.world.textBegun) {
        call.outcome.error = "text added without a begin";
        return;
    }
    call.world.pendingText.text += call.arguments[0].text;
}

void DrawTextAt(NativeCall& call) {
    World& world = call.world;
    if (!world.textBegun) {
        call.outcome.error = "text drawn without a begin";
    } else {
        world.pendingText.x = call.arguments[0].real;
        world.pendingText.y = call.arguments[1].real;
        world.textsThisFrame.push_back(world.pendingText);
    }
    // The style applies to one draw only: the next one starts afresh.
    world.pendingText = DrawnText{};
    world.textBegun = false;
}

// Carries out the native with this hash; false for a hash it has no case for.
bool Dispatch(uint64_t hash, NativeCall& call) {
    World& world = call.world;
    DrawnText& text = world.pendingText;
    const Argument* a = call.arguments;
    switch (hash) {
    case h::WeatherNameHash: call.ReturnHash(GameHash(a[0].text)); break;
    case h::GetWeatherTransition: GetWeatherTransition(call); break;
    case h::SetWeatherTransition: SetWeatherTransition(call); break;
    case h::ClearOverrideWeather: ClearOverrideWeather(world); break;
    case h::SetOverrideWeatherByName: OverrideWeather(world, a[0].text); break;
    case h::LoadCloudSet: world.cloudSet = a[0].text; break;
    case h::UnloadCloudSets: world.cloudSet.clear(); break;
    case h::SetCloudOpacity: world.cloudOpacity = a[0].real; break;
    case h::SetTimecycleModifier: world.SetTimecycleModifier(a[0].text); break;
    case h::StartTimecycleTransition: StartTimecycleTransition(world, a[0].text, a[1].real); break;
    case h::SetTimecycleModifierStrength: world.timecycleStrength = a[0].real; break;
    case h::ClearTimecycleModifier: world.SetTimecycleModifier(""); break;
    case h::GetTimecycleModifierIndex: call.ReturnInt(world.timecycleIndex); break;
    case h::SetWindSpeed: world.windSpeedOverride = OverrideOrReleased(a[0].real); break;
    case h::GetWindSpeed: call.ReturnFloat(world.EffectiveWindSpeed()); break;
    case h::SetWeatherEffectLevel: world.effectLevel = OverrideOrReleased(a[0].real); break;
    case h::FlashLightning: FlashLightning(world); break;
    case h::SineDegrees: call.ReturnFloat(GameSineDegrees(a[0].real)); break;
    case h::PlayerCharacter: call.ReturnInt(PlayerCharacterHandle); break;
    case h::IsCharacterInVehicle: call.ReturnInt(PlayerInVehicle(world, a[0].number) ? 1 : 0); break;
    case h::CharacterVehicle: call.ReturnInt(PlayerInVehicle(world, a[0].number) ? VehicleHandle : 0); break;
    case h::EntityPosition: EntityPosition(call); break;
    case h::IsEntityTagRegistered: call.ReturnInt(TagRegisteredAs(world, a[0].text, a[1].number) ? 1 : 0); break;
    case h::ReadIntegerEntityTag:
    case h::ReadBooleanEntityTag: call.ReturnInt(world.Tag(a[0].number, a[1].text)); break;
    case h::SetBooleanEntityTag: SetBooleanTag(world, a[0].number, a[1].text, a[2].number); break;
    case h::TextFont: text.font = a[0].number; break;
    case h::TextScale: CopyPair(text.scaleX, text.scaleY, a); break;
    case h::TextColor: CopyColor(text.color, a); break;
    case h::TextWrap: CopyPair(text.wrapStart, text.wrapEnd, a); break;
    case h::TextShadow: CopyOutline(text.shadowDistance, text.shadowColor, a); break;
    case h::TextEdge: CopyOutline(text.edgeWidth, text.edgeColor, a); break;
    case h::BeginTextDraw: BeginTextDraw(world, a[0].text); break;
    case h::AddText: AddText(call); break;
    case h::DrawTextAt: DrawTextAt(call); break;
    default: return false;
    }
    return true;
}

}  // namespace

void RunNative(World& world, const NativeDescriptor& native, const uint64_t* arguments, uint64_t* slots,
               NativeOutcome& outcome, std::string& fault) {
    outcome.argumentCount = 0;
    outcome.resultCount = 0;
    outcome.error = nullptr;
    Argument decoded[MaxNativeArguments];
    if (!DecodeArguments(native, arguments, decoded, fault)) return;
    NativeCall call{world, decoded, slots, outcome};
    if (!Dispatch(native.hash, call)) {
        fault = std::string("no dispatch for ") + native.name;
        return;
    }
    if (outcome.record) RecordCall(native, decoded, call.returned, call.returnedCount, outcome);
}

}  // namespace sim
