// The seven rungs of the zone ladder by every name a reader meets them: the
// label the debug overlay prints, the name a person reads in the tools, and
// the two configuration keys that bound the rung, with the fields of a
// settings row that hold them. The one table the tools use for zones.
#pragma once

#include "atmosphere/zone.h"
#include "config/settings.h"

struct ZoneName {
    const char* label;                  // the overlay's label, line break included
    const char* name;                   // the rung as a person reads it
    const char* lowerKey;               // key of the threshold it starts at; nullptr: the ground
    const char* upperKey;               // key of the threshold it ends at; nullptr: no end
    float WeatherSettings::*lower;      // the lower threshold in a row; nullptr with lowerKey
    float WeatherSettings::*upper;      // the upper threshold in a row; nullptr with upperKey
};

inline constexpr int ZoneCount = 7;

inline constexpr ZoneName ZoneNames[ZoneCount] = {
    {zone_label::NormalZone, "normal zone", nullptr, "NormalZoneEnd", nullptr, &WeatherSettings::NormalZoneEnd},
    {zone_label::CloudZoneStart, "cloud-start band", "NormalZoneEnd", "CloudZoneStart",
     &WeatherSettings::NormalZoneEnd, &WeatherSettings::CloudZoneStart},
    {zone_label::CloudZoneEnd, "cloud zone", "CloudZoneStart", "CloudZoneEnd", &WeatherSettings::CloudZoneStart,
     &WeatherSettings::CloudZoneEnd},
    {zone_label::AboveCloudZoneStart, "above-clouds-start band", "CloudZoneEnd", "AboveCloudsZoneStart",
     &WeatherSettings::CloudZoneEnd, &WeatherSettings::AboveCloudsZoneStart},
    {zone_label::AboveCloudZoneEnd, "above-clouds zone", "AboveCloudsZoneStart", "AboveCloudsZoneEnd",
     &WeatherSettings::AboveCloudsZoneStart, &WeatherSettings::AboveCloudsZoneEnd},
    {zone_label::SpaceZoneStart, "space-start band", "AboveCloudsZoneEnd", "SpaceZoneStart",
     &WeatherSettings::AboveCloudsZoneEnd, &WeatherSettings::SpaceZoneStart},
    {zone_label::SpaceZone, "space zone", "SpaceZoneStart", nullptr, &WeatherSettings::SpaceZoneStart, nullptr},
};

// The rung the flags of an evaluation name, 0..6; -1 when none is set.
inline int ZoneIndexOf(const ZoneFlags& flags) {
    const bool set[ZoneCount] = {flags.inNormalZone,          flags.inCloudZoneStart,    flags.inCloudZoneEnd,
                                 flags.inAboveCloudZoneStart, flags.inAboveCloudZoneEnd, flags.inSpaceZoneStart,
                                 flags.inSpaceZone};
    for (int zone = 0; zone < ZoneCount; ++zone) {
        if (set[zone]) return zone;
    }
    return -1;
}
