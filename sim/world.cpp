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
    const char* text;        // the module's own string, read during the call only
    void* pointer;
};

void PutValue(TraceValue& value, ValueKind kind, int32_t number = 0, float real = 0.0f) {
    value.kind = kind;
    value.number = number;
    value.real = real;
    value.text.clear();
}

void PutLow32(uint64_t& slot, uint32_t bits) {
    slot = (slot & 0xFFFFFFFF00000000ull) | bits;
}

void PutFloat(uint64_t& slot, float value) { PutLow32(slot, std::bit_cast<uint32_t>(value)); }

void CopyColor(int32_t (&destination)[4], const Argument* source) {
    for (int i = 0; i < 4; ++i) destination[i] = source[i].number;
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
        if (static_cast<double>(timecycleTransitionElapsedMs) >= static_cast<double>(timecycleTransitionSeconds) * 1000.0) {
            const std::string target = timecycleTransitionTarget;
            SetTimecycleModifier(target);
            timecycleStrength = 1.0f;
        }
    }
}

void RunNative(World& world, const NativeDescriptor& native, const uint64_t* arguments, uint64_t* slots,
               NativeOutcome& outcome, std::string& fault) {
    outcome.argumentCount = 0;
    outcome.resultCount = 0;
    outcome.error = nullptr;
    Argument decoded[MaxNativeArguments];
    for (size_t i = 0; i < native.argumentCount; ++i) {
        const uint64_t raw = arguments[i];
        const ArgumentKind kind = native.arguments[i];
        const bool isPointer = kind == A::Text || kind == A::OutHash || kind == A::OutFloat;
        char message[160];
        if (!isPointer && (raw >> 32) != 0) {
            std::snprintf(message, sizeof message, "%s argument %zu: high half not zero (0x%016llX)", native.name,
                          i + 1, static_cast<unsigned long long>(raw));
            fault = message;
            return;
        }
        if (isPointer && raw == 0) {
            std::snprintf(message, sizeof message, "%s argument %zu: null pointer", native.name, i + 1);
            fault = message;
            return;
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
    if (outcome.record) {
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
    }

    const auto result = [&](ValueKind kind, int32_t number, float real) {
        if (outcome.record) PutValue(outcome.results[outcome.resultCount++], kind, number, real);
    };
    const auto intResult = [&](int32_t value) {
        PutLow32(slots[0], static_cast<uint32_t>(value));
        result(ValueKind::Int, value, 0.0f);
    };
    const auto floatResult = [&](float value) {
        PutFloat(slots[0], value);
        result(ValueKind::Float, 0, value);
    };
    const Argument* a = decoded;

    switch (native.hash) {
    case h::WeatherNameHash: {
        const uint32_t hash = GameHash(a[0].text);
        PutLow32(slots[0], hash);
        result(ValueKind::Hex, static_cast<int32_t>(hash), 0.0f);
        break;
    }
    case h::GetWeatherTransition:
        std::memcpy(a[0].pointer, &world.transitionFrom, sizeof(uint32_t));
        std::memcpy(a[1].pointer, &world.transitionTo, sizeof(uint32_t));
        std::memcpy(a[2].pointer, &world.transitionFraction, sizeof(float));
        result(ValueKind::Hex, static_cast<int32_t>(world.transitionFrom), 0.0f);
        result(ValueKind::Hex, static_cast<int32_t>(world.transitionTo), 0.0f);
        result(ValueKind::Float, 0, world.transitionFraction);
        break;
    case h::SetWeatherTransition:
        world.transitionFrom = static_cast<uint32_t>(a[0].number);
        world.transitionTo = static_cast<uint32_t>(a[1].number);
        world.transitionFraction = a[2].real;
        intResult(1);
        break;
    case h::ClearOverrideWeather:
        world.overrideWeather.clear();
        world.overrideWeatherHash = 0;
        break;
    case h::SetOverrideWeatherByName:
        world.overrideWeather = a[0].text;
        world.overrideWeatherHash = GameHash(a[0].text);
        break;
    case h::LoadCloudSet: world.cloudSet = a[0].text; break;
    case h::UnloadCloudSets: world.cloudSet.clear(); break;
    case h::SetCloudOpacity: world.cloudOpacity = a[0].real; break;
    case h::SetTimecycleModifier: world.SetTimecycleModifier(a[0].text); break;
    case h::StartTimecycleTransition:
        if (a[1].real > 0.0f) {
            world.timecycleTransitionTarget = a[0].text;
            world.timecycleTransitionSeconds = a[1].real;
            world.timecycleTransitionElapsedMs = 0;
        } else {
            world.SetTimecycleModifier(a[0].text);
            world.timecycleStrength = 1.0f;
        }
        break;
    case h::SetTimecycleModifierStrength: world.timecycleStrength = a[0].real; break;
    case h::ClearTimecycleModifier: world.SetTimecycleModifier(""); break;
    case h::GetTimecycleModifierIndex: intResult(world.timecycleIndex); break;
    case h::SetWindSpeed: world.windSpeedOverride = a[0].real < 0.0f ? -1.0f : a[0].real; break;
    case h::GetWindSpeed: floatResult(world.EffectiveWindSpeed()); break;
    case h::SetWeatherEffectLevel: world.effectLevel = a[0].real < 0.0f ? -1.0f : a[0].real; break;
    case h::FlashLightning:
        ++world.lightningFlashes;
        ++world.lightningFlashesThisFrame;
        break;
    case h::SineDegrees: floatResult(GameSineDegrees(a[0].real)); break;
    case h::PlayerCharacter: intResult(PlayerCharacterHandle); break;
    case h::IsCharacterInVehicle: intResult(a[0].number == PlayerCharacterHandle && world.inVehicle ? 1 : 0); break;
    case h::CharacterVehicle:
        intResult(a[0].number == PlayerCharacterHandle && world.inVehicle ? VehicleHandle : 0);
        break;
    case h::EntityPosition: {
        const Vector3 position = world.EntityPosition(a[0].number);
        PutFloat(slots[0], position.x);
        PutFloat(slots[1], position.y);
        PutFloat(slots[2], position.z);
        result(ValueKind::Float, 0, position.x);
        result(ValueKind::Float, 0, position.y);
        result(ValueKind::Float, 0, position.z);
        break;
    }
    case h::IsEntityTagRegistered: {
        const auto found = world.tagTypes.find(a[0].text);
        intResult(found != world.tagTypes.end() && found->second == a[1].number ? 1 : 0);
        break;
    }
    case h::ReadIntegerEntityTag:
    case h::ReadBooleanEntityTag: intResult(world.Tag(a[0].number, a[1].text)); break;
    case h::SetBooleanEntityTag: {
        // The game keeps a boolean as 0 or 1, and only for a name registered so.
        const auto found = world.tagTypes.find(a[1].text);
        if (found != world.tagTypes.end() && found->second == natives::EntityTagTypeBoolean) {
            world.SetTag(a[0].number, a[1].text, a[2].number != 0 ? 1 : 0);
        }
        break;
    }
    case h::TextFont: world.pendingText.font = a[0].number; break;
    case h::TextScale:
        world.pendingText.scaleX = a[0].real;
        world.pendingText.scaleY = a[1].real;
        break;
    case h::TextColor: CopyColor(world.pendingText.color, a); break;
    case h::TextWrap:
        world.pendingText.wrapStart = a[0].real;
        world.pendingText.wrapEnd = a[1].real;
        break;
    case h::TextShadow:
        world.pendingText.shadowDistance = a[0].number;
        CopyColor(world.pendingText.shadowColor, a + 1);
        break;
    case h::TextEdge:
        world.pendingText.edgeWidth = a[0].number;
        CopyColor(world.pendingText.edgeColor, a + 1);
        break;
    case h::BeginTextDraw:
        world.pendingText.kind = a[0].text;
        world.pendingText.text.clear();
        world.textBegun = true;
        break;
    case h::AddText:
        if (!world.textBegun) {
            outcome.error = "text added without a begin";
        } else {
            world.pendingText.text += a[0].text;
        }
        break;
    case h::DrawTextAt:
        if (!world.textBegun) {
            outcome.error = "text drawn without a begin";
        } else {
            world.pendingText.x = a[0].real;
            world.pendingText.y = a[1].real;
            world.textsThisFrame.push_back(world.pendingText);
        }
        // The style applies to one draw only: the next one starts afresh.
        world.pendingText = DrawnText{};
        world.textBegun = false;
        break;
    default: fault = std::string("no dispatch for ") + native.name; break;
    }
}

}  // namespace sim
