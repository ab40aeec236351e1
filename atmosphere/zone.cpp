// The zone ladder and its blends. All arithmetic is single precision in the
// order the blends are written, so that the floats handed to the game are the
// same on every platform (the build forbids fused multiply-adds).
#include "atmosphere/zone.h"

#include "atmosphere/lightning.h"
#include "atmosphere/script.h"
#include "host/natives.h"

constinit ZoneModuleState Zone{};

namespace {

// Host cloud sets that the upper zones impose, whatever the weather's own.
constexpr const char* HighCloudSet = "Snowy 01";    // above the clouds, first six weathers
constexpr const char* StormCloudSet = "horsey";     // from the cloud zone up, the other weathers
constexpr const char* NeutralTimecycleModifier = "nextgen";
constexpr float NormalZoneFadeDepth = 50.0f;        // the normal modifier fades over this many units
constexpr float NormalZoneFadeRate = 0.02f;         // 1 / NormalZoneFadeDepth

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
uint32_t DominantWeather(float fraction) {
    return fraction >= 0.5f ? Zone.transitionToHash : Zone.transitionFromHash;
}


void LoadUpperCloudSet() {
    natives::LoadCloudSet(InFirstSixWeathers(Zone.zoneWeatherHash) ? HighCloudSet : StormCloudSet);
}

void NormalZone(float alt) {
    float fraction = 0.0f;
    natives::GetWeatherTransition(&Zone.transitionFromHash, &Zone.transitionToHash, &fraction);
    Zone.currentWeatherIndex = WeatherIndexOfHash(DominantWeather(fraction), 0);
    // R': the row just chosen, which may differ from the one the ladder used.
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
    if (previous.inCloudZoneEnd) {
        // Coming down out of the clouds: give the weather its own sky back.
        natives::UnloadCloudSets();
        natives::LoadCloudSet(Settings.Weather[WeatherIndexOfHash(Zone.zoneWeatherHash, NeutralWeatherRow)].NormalZoneClouds);
        natives::ClearOverrideWeather();
        natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, f);
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
    LightningStep(row.EnableLightningAboveClouds);
}

void CloudZone(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.CloudZoneStart, row.CloudZoneEnd);
    const ZoneFlags& previous = Zone.ZoneState;
    // Peaks at 0.25 mid-zone and is 0 at both edges.
    natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, f * (1.0f - f));
    Zone.zoneWeatherHash = DominantWeather(f);
    if (previous.inCloudZoneStart || previous.inAboveCloudZoneStart || Zone.timecycleIndex < 0) {
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
    LightningStep(row.EnableLightningAboveClouds);
}

void AboveCloudZoneStartBand(const WeatherSettings& row, float alt) {
    const float f = BandFraction(alt, row.CloudZoneEnd, row.AboveCloudsZoneStart);
    const ZoneFlags& previous = Zone.ZoneState;
    Zone.windResetDone = false;
    Zone.zoneWeatherHash = DominantWeather(f);
    if (previous.inCloudZoneEnd || previous.inAboveCloudZoneEnd || Zone.timecycleIndex < 0) {
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
    LightningStep(row.EnableLightningAboveClouds);
}

void AboveCloudZone(const WeatherSettings& row) {
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
    } else if (previous.inAboveCloudZoneStart) {
        natives::SetTimecycleModifier(NeutralTimecycleModifier);
        Zone.timecycleTransitionPending = true;
    }
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningAboveClouds);
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
    if (previous.inAboveCloudZoneEnd) {
        natives::StartTimecycleTransition(row.SpaceZoneTimecycleModifier, row.SpaceZoneTimecycleTransitionTime);
    }
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningInSpace);
}

void SpaceZone(const WeatherSettings& row) {
    if (!Zone.ZoneState.inSpaceZone) natives::SetOverrideWeatherByName(WeatherNames[row.SpaceZoneWeatherOverride]);
    natives::SetCloudOpacity(1.0f);
    LoadUpperCloudSet();
    Zone.effectLevelResetDone = false;
    natives::SetWeatherEffectLevel(0.0f);
    SetWind(0.0f);
    if (Zone.timecycleIndex < 0) natives::SetTimecycleModifier(row.SpaceZoneTimecycleModifier);
    natives::SetTimecycleModifierStrength(1.0f);
    LightningStep(row.EnableLightningInSpace);
}

}  // namespace

WeatherIndex WeatherIndexOfHash(uint32_t hash, WeatherIndex fallback) {
    for (WeatherIndex index = 0; index < WeatherCount; ++index) {
        if (WeatherHashTable[index] == hash) return index;
    }
    return fallback;
}

bool InFirstSixWeathers(uint32_t hash) {
    for (WeatherIndex index = 0; index < 6; ++index) {
        if (WeatherHashTable[index] == hash) return true;
    }
    return false;
}

void SetWind(float speed) {
    if (!Settings.DefaultWind) natives::SetWindSpeed(speed);
}

namespace {

// The rungs of the ladder, lowest first.
enum Rung : int {
    NormalRung,
    CloudStartRung,
    CloudRung,
    AboveCloudStartRung,
    AboveCloudRung,
    SpaceStartRung,
    SpaceRung,
};

Rung RungOf(const ZoneFlags& flags) {
    if (flags.inSpaceZone) return SpaceRung;
    if (flags.inSpaceZoneStart) return SpaceStartRung;
    if (flags.inAboveCloudZoneEnd) return AboveCloudRung;
    if (flags.inAboveCloudZoneStart) return AboveCloudStartRung;
    if (flags.inCloudZoneEnd) return CloudRung;
    if (flags.inCloudZoneStart) return CloudStartRung;
    return NormalRung;
}

ZoneFlags FlagsOf(Rung rung) {
    ZoneFlags flags{};
    switch (rung) {
    case NormalRung: flags.inNormalZone = true; break;
    case CloudStartRung: flags.inCloudZoneStart = true; break;
    case CloudRung: flags.inCloudZoneEnd = true; break;
    case AboveCloudStartRung: flags.inAboveCloudZoneStart = true; break;
    case AboveCloudRung: flags.inAboveCloudZoneEnd = true; break;
    case SpaceStartRung: flags.inSpaceZoneStart = true; break;
    case SpaceRung: flags.inSpaceZone = true; break;
    }
    return flags;
}

// A fall that skips rungs (a respawn, a fast travel) would otherwise skip the
// hand-backs that only those rungs make on the way down, and the game would
// keep the forced weather, the upper cloud set and the module's wind for good.
// Runs them, highest first, as a frame-by-frame descent would have.
void HandBackSkippedRungs(const WeatherSettings& row, Rung from, Rung to) {
    if (from == SpaceRung) natives::ClearOverrideWeather();  // the space-start band's release
    if (from >= AboveCloudStartRung && to <= CloudStartRung && InFirstSixWeathers(Zone.zoneWeatherHash) &&
        !Zone.windResetDone) {
        SetWind(HandBack);  // the cloud zone's one-time hand-back
        Zone.windResetDone = true;
    }
    if (to == NormalRung && from >= CloudRung) {
        // The cloud-start band's descent out of the clouds, at the band's top.
        Zone.windResetDone = false;
        Zone.zoneWeatherHash = DominantWeather(1.0f);
        natives::UnloadCloudSets();
        natives::LoadCloudSet(Settings.Weather[WeatherIndexOfHash(Zone.zoneWeatherHash, NeutralWeatherRow)].NormalZoneClouds);
        natives::ClearOverrideWeather();
        natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, 1.0f);
        natives::SetTimecycleModifier(row.CloudZoneTimecycleModifier);
    }
}

}  // namespace

const char* EvaluateZone(int32_t playerCharacter) {
    CountLightningFrame();

    const int32_t entity = natives::IsCharacterInVehicle(playerCharacter) != 0
                               ? natives::CharacterVehicle(playerCharacter)
                               : playerCharacter;
    const float alt = natives::EntityAltitude(entity);
    Zone.timecycleIndex = natives::GetTimecycleModifierIndex();
    const WeatherSettings& row = Settings.Weather[Zone.currentWeatherIndex];

    // Each rung is tried only once every lower one has passed; the thresholds
    // are not checked for order, and a NaN altitude passes no test at all.
    const float thresholds[] = {row.NormalZoneEnd,        row.CloudZoneStart,     row.CloudZoneEnd,
                                row.AboveCloudsZoneStart, row.AboveCloudsZoneEnd, row.SpaceZoneStart};
    int climbed = 0;
    while (climbed < 6 && alt >= thresholds[climbed]) ++climbed;
    const auto rung = static_cast<Rung>(climbed);

    // After a fall past whole rungs, the landing rung acts as if the player
    // came from the rung just above it. Upward jumps need nothing: every
    // upper rung sets its own state on every frame.
    const Rung previous = RungOf(Zone.ZoneState);
    if (rung + 1 < previous) {
        HandBackSkippedRungs(row, previous, rung);
        Zone.ZoneState = FlagsOf(static_cast<Rung>(rung + 1));
    }

    const char* label = nullptr;
    switch (rung) {
    case NormalRung:
        NormalZone(alt);
        label = zone_label::NormalZone;
        break;
    case CloudStartRung:
        CloudZoneStartBand(row, alt);
        label = zone_label::CloudZoneStart;
        break;
    case CloudRung:
        CloudZone(row, alt);
        label = zone_label::CloudZoneEnd;
        break;
    case AboveCloudStartRung:
        AboveCloudZoneStartBand(row, alt);
        label = zone_label::AboveCloudZoneStart;
        break;
    case AboveCloudRung:
        AboveCloudZone(row);
        label = zone_label::AboveCloudZoneEnd;
        break;
    case SpaceStartRung:
        SpaceZoneStartBand(row, alt);
        label = zone_label::SpaceZoneStart;
        break;
    case SpaceRung:
        SpaceZone(row);
        label = zone_label::SpaceZone;
        break;
    }
    Zone.ZoneState = FlagsOf(rung);
    return label;
}

void ResetZoneState() { Zone = ZoneModuleState{}; }
