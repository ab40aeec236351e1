// The zone ladder and its blends. All arithmetic is single precision in the
// order the blends are written, so that the floats handed to the game are the
// same on every platform (the build forbids fused multiply-adds).
#include "atmosphere/zone.h"

#include "atmosphere/lightning.h"
#include "atmosphere/weather_hashes.h"
#include "host/natives.h"

constinit ZoneModuleState Zone{};

namespace {

// Host cloud sets that the upper zones impose, whatever the weather's own.
constexpr const char* HighCloudSet = "Snowy 01";  // above the clouds, first six weathers
constexpr const char* StormCloudSet = "horsey";   // from the cloud zone up, the other weathers
constexpr const char* NeutralTimecycleModifier = "nextgen";
constexpr float NormalZoneFadeDepth = 50.0f;  // the normal modifier fades over this many units
constexpr float NormalZoneFadeRate = 0.02f;   // 1 / NormalZoneFadeDepth

// Where `alt` lies between two thresholds, as 0..1. A band is entered only
// when lower <= alt < upper, so sensible thresholds always give a value in
// range; infinite or NaN thresholds from a file could give NaN or a value
// outside it, and the game must never be handed those.
float BandFraction(float alt, float lower, float upper) {
    const float f = (alt - lower) / (upper - lower);
    if (!(f >= 0.0f)) return 0.0f;  // NaN as well
    return f > 1.0f ? 1.0f : f;
}

// The transition pair's dominant weather: the to-hash from half way on. The
// test is written so that a NaN fraction takes the from-hash.
uint32_t DominantWeather(float fraction) { return fraction >= 0.5f ? Zone.transitionToHash : Zone.transitionFromHash; }

void LoadUpperCloudSet() {
    natives::LoadCloudSet(InFirstSixWeathers(Zone.zoneWeatherHash) ? HighCloudSet : StormCloudSet);
}

// The one zone that takes up the game's weather: it reads the transition and
// works with the row of that weather, chosen now, which may differ from the
// row the ladder placed the player with (`ladderRow`, unused here).
void NormalZone(const WeatherSettings& /*ladderRow*/, float alt) {
    float fraction = 0.0f;
    natives::GetWeatherTransition(&Zone.transitionFromHash, &Zone.transitionToHash, &fraction);
    Zone.currentWeatherIndex = WeatherIndexOfHash(DominantWeather(fraction), 0);
    const WeatherSettings& row = Settings.Weather[Zone.currentWeatherIndex];
    const ZoneFlags& previous = Zone.ZoneState;

    // zoneWeatherHash is deliberately the value of the band just left.
    if (!InFirstSixWeathers(Zone.zoneWeatherHash) && !previous.inNormalZone && !Zone.windResetDone) {
        SetWind(HandBack);
        Zone.windResetDone = true;
    }
    if (!Zone.effectLevelResetDone) {
        natives::SetWeatherEffectLevel(HandBack);
        Zone.effectLevelResetDone = true;
    }
    if (previous.inCloudZoneStart || Zone.timecycleIndex < 0) {
        natives::SetTimecycleModifier(row.NormalZoneTimecycleModifier);
    }
    const float end = row.NormalZoneEnd;
    float strength = 1.0f;
    if (alt > end - NormalZoneFadeDepth) {
        strength = (end - alt) * NormalZoneFadeRate;
        // Below 0 only when the weather changed this frame to a row whose end
        // lies below the player; the game takes no negative strength.
        if (!(strength > 0.0f)) strength = 0.0f;
    }
    natives::SetTimecycleModifierStrength(strength);
    Zone.capturedWindSpeed = natives::GetWindSpeed();
}

void CloudZoneStartBand(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.NormalZoneEnd, row.CloudZoneStart);
    const ZoneFlags& previous = Zone.ZoneState;
    Zone.windResetDone = false;
    Zone.zoneWeatherHash = DominantWeather(f);
    if (previous.inNormalZone || Zone.timecycleIndex < 0) {
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
    natives::SetTimecycleModifierStrength(f);
    if (InFirstSixWeathers(Zone.zoneWeatherHash)) {
        Zone.capturedWindSpeed = natives::GetWindSpeed();
    } else {
        const float w = Zone.capturedWindSpeed;
        SetWind(w * row.CloudZoneWindMultiplier * f + (1.0f - f) * w);
    }
    if (previous.inCloudZone) {
        // Coming down out of the clouds: give the weather its own sky back.
        natives::UnloadCloudSets();
        natives::LoadCloudSet(
            Settings.Weather[WeatherIndexOfHash(Zone.zoneWeatherHash, NeutralWeatherRow)].NormalZoneClouds);
        natives::ClearOverrideWeather();
        natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, f);
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
    LightningStep(row.EnableLightningAboveClouds, row.LightningFrequency);
}

void CloudZone(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.CloudZoneStart, row.CloudZoneEnd);
    const ZoneFlags& previous = Zone.ZoneState;
    // Peaks at 0.25 mid-zone and is 0 at both edges.
    natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, f * (1.0f - f));
    Zone.zoneWeatherHash = DominantWeather(f);
    if (previous.inCloudZoneStart || previous.inAboveCloudsZoneStart || Zone.timecycleIndex < 0) {
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
    natives::SetTimecycleModifierStrength(1.0f);
    if (InFirstSixWeathers(Zone.zoneWeatherHash)) {
        if (!Zone.windResetDone) {
            Zone.windResetDone = true;
            SetWind(HandBack);
        }
        Zone.capturedWindSpeed = natives::GetWindSpeed();
        natives::SetCloudOpacity(1.0f - f);
    } else {
        natives::SetCloudOpacity(f);
        natives::LoadCloudSet(StormCloudSet);
        SetWind(Zone.capturedWindSpeed * row.CloudZoneWindMultiplier);
    }
    LightningStep(row.EnableLightningAboveClouds, row.LightningFrequency);
}

void AboveCloudsZoneStartBand(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.CloudZoneEnd, row.AboveCloudsZoneStart);
    const ZoneFlags& previous = Zone.ZoneState;
    Zone.windResetDone = false;
    Zone.zoneWeatherHash = DominantWeather(f);
    if (previous.inCloudZone || previous.inAboveCloudsZone || Zone.timecycleIndex < 0) {
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
    natives::SetTimecycleModifierStrength(1.0f - f);
    const float w = Zone.capturedWindSpeed;
    float wind;
    if (InFirstSixWeathers(Zone.zoneWeatherHash)) {
        natives::SetCloudOpacity(f);
        natives::LoadCloudSet(HighCloudSet);
        wind = w * row.AboveCloudsZoneWindMultiplier * f + (1.0f - f) * w;
    } else {
        natives::SetCloudOpacity(1.0f);
        natives::LoadCloudSet(StormCloudSet);
        wind = w * row.CloudZoneWindMultiplier * (1.0f - f) + w * row.AboveCloudsZoneWindMultiplier * f;
    }
    SetWind(wind);
    // The override weather is fully in place from a third of the band up.
    float progress = 3.0f * f;
    if (progress > 1.0f) progress = 1.0f;
    natives::SetWeatherTransition(Zone.zoneWeatherHash, WeatherHashTable[row.AboveCloudsZoneWeatherOverride], progress);
    LightningStep(row.EnableLightningAboveClouds, row.LightningFrequency);
}

void AboveCloudsZone(const WeatherSettings& row, float /*alt*/) {
    const ZoneFlags& previous = Zone.ZoneState;
    const uint32_t overrideHash = WeatherHashTable[row.AboveCloudsZoneWeatherOverride];
    natives::SetWeatherTransition(overrideHash, overrideHash, 0.5f);
    natives::SetCloudOpacity(1.0f);
    LoadUpperCloudSet();
    Zone.effectLevelResetDone = false;
    natives::SetWeatherEffectLevel(0.0f);
    SetWind(Zone.capturedWindSpeed * row.AboveCloudsZoneWindMultiplier);
    if (Zone.timecycleIndex < 0) natives::SetTimecycleModifier(row.AboveCloudsZoneTimecycleModifier);
    // The pending transition is consumed before a new one is armed, so the
    // timed change starts on the second frame in the zone.
    if (Zone.timecycleTransitionPending) {
        natives::StartTimecycleTransition(row.AboveCloudsZoneTimecycleModifier,
                                          row.AboveCloudsZoneTimecycleTransitionTime);
        Zone.timecycleTransitionPending = false;
    }
    if (previous.inSpaceZoneStart) {
        Zone.timecycleTransitionPending = true;
    } else if (previous.inAboveCloudsZoneStart) {
        natives::SetTimecycleModifier(NeutralTimecycleModifier);
        Zone.timecycleTransitionPending = true;
    }
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningAboveClouds, row.LightningFrequency);
}

void SpaceZoneStartBand(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.AboveCloudsZoneEnd, row.SpaceZoneStart);
    const ZoneFlags& previous = Zone.ZoneState;
    if (previous.inSpaceZone) natives::ClearOverrideWeather();
    natives::SetCloudOpacity(1.0f);
    LoadUpperCloudSet();
    Zone.effectLevelResetDone = false;
    natives::SetWeatherEffectLevel(0.0f);
    // Falls to 0, not to SpaceZoneWindMultiplier; the "+ f * 0" keeps the
    // written form, which also turns a -0 into +0.
    SetWind(Zone.capturedWindSpeed * row.AboveCloudsZoneWindMultiplier * (1.0f - f) + f * 0.0f);
    // A quarter sine: fast at the bottom of the band, flat towards the top.
    const float blend = natives::SineDegrees(f * 90.0f);
    natives::SetWeatherTransition(WeatherHashTable[row.AboveCloudsZoneWeatherOverride],
                                  WeatherHashTable[row.SpaceZoneWeatherOverride], blend);
    if (Zone.timecycleIndex < 0) natives::SetTimecycleModifier(row.SpaceZoneTimecycleModifier);
    if (previous.inAboveCloudsZone) {
        natives::StartTimecycleTransition(row.SpaceZoneTimecycleModifier, row.SpaceZoneTimecycleTransitionTime);
    }
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningInSpace, row.LightningFrequency);
}

void SpaceZone(const WeatherSettings& row, float /*alt*/) {
    if (!Zone.ZoneState.inSpaceZone) natives::SetOverrideWeatherByName(WeatherNames[row.SpaceZoneWeatherOverride]);
    natives::SetCloudOpacity(1.0f);
    LoadUpperCloudSet();
    Zone.effectLevelResetDone = false;
    natives::SetWeatherEffectLevel(0.0f);
    SetWind(0.0f);
    if (Zone.timecycleIndex < 0) natives::SetTimecycleModifier(row.SpaceZoneTimecycleModifier);
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningInSpace, row.LightningFrequency);
}

}  // namespace

void SetWind(float speed) {
    if (!Settings.DefaultWind) natives::SetWindSpeed(speed);
}

ZoneId ZoneOf(const ZoneFlags& flags) {
    if (flags.inSpaceZone) return ZoneId::Space;
    if (flags.inSpaceZoneStart) return ZoneId::SpaceStart;
    if (flags.inAboveCloudsZone) return ZoneId::AboveClouds;
    if (flags.inAboveCloudsZoneStart) return ZoneId::AboveCloudsStart;
    if (flags.inCloudZone) return ZoneId::Cloud;
    if (flags.inCloudZoneStart) return ZoneId::CloudStart;
    return ZoneId::Normal;
}

ZoneFlags FlagsOf(ZoneId zone) {
    ZoneFlags flags{};
    switch (zone) {
    case ZoneId::Normal: flags.inNormalZone = true; break;
    case ZoneId::CloudStart: flags.inCloudZoneStart = true; break;
    case ZoneId::Cloud: flags.inCloudZone = true; break;
    case ZoneId::AboveCloudsStart: flags.inAboveCloudsZoneStart = true; break;
    case ZoneId::AboveClouds: flags.inAboveCloudsZone = true; break;
    case ZoneId::SpaceStart: flags.inSpaceZoneStart = true; break;
    case ZoneId::Space: flags.inSpaceZone = true; break;
    }
    return flags;
}

namespace {

// What each zone does on a frame spent in it, by ZoneId.
using ZoneActions = void (*)(const WeatherSettings& row, float alt);
constexpr ZoneActions ActionsOf[ZoneCount] = {NormalZone,      CloudZoneStartBand, CloudZone, AboveCloudsZoneStartBand,
                                              AboveCloudsZone, SpaceZoneStartBand, SpaceZone};

// A fall that skips zones (a respawn, a fast travel) would otherwise skip the
// hand-backs that only those zones make on the way down, and the game would
// keep the forced weather, the upper cloud set and the module's wind for good.
// Runs them, highest first, as a frame-by-frame descent would have.
void HandBackSkippedZones(const WeatherSettings& row, ZoneId from, ZoneId to) {
    if (from == ZoneId::Space) natives::ClearOverrideWeather();  // the space-start band's release
    if (from >= ZoneId::AboveCloudsStart && to <= ZoneId::CloudStart && InFirstSixWeathers(Zone.zoneWeatherHash) &&
        !Zone.windResetDone) {
        SetWind(HandBack);  // the cloud zone's one-time hand-back
        Zone.windResetDone = true;
    }
    if (to == ZoneId::Normal && from >= ZoneId::Cloud) {
        // The cloud-start band's descent out of the clouds, at the band's top.
        Zone.windResetDone = false;
        Zone.zoneWeatherHash = DominantWeather(1.0f);
        natives::UnloadCloudSets();
        natives::LoadCloudSet(
            Settings.Weather[WeatherIndexOfHash(Zone.zoneWeatherHash, NeutralWeatherRow)].NormalZoneClouds);
        natives::ClearOverrideWeather();
        natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, 1.0f);
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
}

ZoneId OneAbove(ZoneId zone) { return static_cast<ZoneId>(static_cast<int>(zone) + 1); }

}  // namespace

const char* EvaluateZone(int32_t playerCharacter) {
    CountLightningFrame();

    const int32_t entity = natives::IsCharacterInVehicle(playerCharacter) != 0
                               ? natives::CharacterVehicle(playerCharacter)
                               : playerCharacter;
    const float alt = natives::EntityAltitude(entity);
    Zone.timecycleIndex = natives::GetTimecycleModifierIndex();
    const WeatherSettings& row = Settings.Weather[Zone.currentWeatherIndex];
    const ZoneId zone = ZoneOfAltitude(row, alt);

    // After a fall past whole zones, the landing zone acts as if the player
    // came from the zone just above it. Upward jumps need nothing: every
    // upper zone sets its own state on every frame.
    const ZoneId previous = ZoneOf(Zone.ZoneState);
    if (zone != ZoneId::Space && OneAbove(zone) < previous) {
        HandBackSkippedZones(row, previous, zone);
        Zone.ZoneState = FlagsOf(OneAbove(zone));
    }

    ActionsOf[static_cast<int>(zone)](row, alt);
    Zone.ZoneState = FlagsOf(zone);
    return InfoOf(zone).label;
}

void ResetZoneState() { Zone = ZoneModuleState{}; }
