// The six zone thresholds of a weather in the order the ladder needs them,
// each above the one before, and the nearest values that restore that order
// when a file breaks it.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "atmosphere/zone.h"
#include "tools/preview/setting_use.h"

namespace preview {

// NormalZoneEnd to SpaceZoneStart, the upper threshold of each zone but space.
using ZoneThresholdValues = std::array<float, ZoneCount - 1>;

// The zones the ladder can never take with these thresholds: each threshold
// is tested only once every lower one has passed, so a zone is reached only
// when its upper threshold lies above every lower one (a NaN one passes no
// test, and nothing passes an infinite one).
ZoneSet UnreachableZones(const ZoneThresholdValues& thresholds);

struct ThresholdChange {
    size_t index;  // into ZoneThresholdValues
    float value;
};

// The fewest thresholds to change, each as little as it can, so that every
// zone is reached: up to `most` alternatives that are equally near. A value
// that must move lands a round step (a tenth of its own order, less where
// its new neighbours lie closer) inside them. Empty when every zone is reached
// already, or when no values fit.
std::vector<std::vector<ThresholdChange>> NearestOrder(const ZoneThresholdValues& thresholds, size_t most = 2);

}  // namespace preview
