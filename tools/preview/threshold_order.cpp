// Restoring the order of a weather's zone thresholds. Six thresholds give
// 64 choices of which to keep, so every choice is tried.
#include "tools/preview/threshold_order.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "config/setting_keys.h"

namespace preview {
namespace {

constexpr size_t ThresholdCount = ZoneCount - 1;
constexpr double Infinity = std::numeric_limits<double>::infinity();

// Where a threshold that must move wants to be: its own value, or its
// default when it has none (NaN or infinite).
double Wish(const ZoneThresholdValues& thresholds, size_t index) {
    if (std::isfinite(thresholds[index])) return thresholds[index];
    for (const SettingKey& key : WeatherSettingKeys) {
        if (std::strcmp(key.key, Zones[index].upperKey) == 0) return std::strtod(key.defaultText, nullptr);
    }
    return 0;
}

// Places the thresholds `first` to `last`, all changed, strictly between
// `low` and `high` (either may be infinite) and as near their wishes as
// round steps allow. False when they do not fit.
bool PlaceRun(const ZoneThresholdValues& thresholds, size_t first, size_t last, double low, double high,
              std::array<double, ThresholdCount>& values) {
    const double count = static_cast<double>(last - first + 1);
    double reference = 100;
    for (size_t i = first; i <= last; ++i) reference = std::max(reference, std::fabs(Wish(thresholds, i)));
    // A tenth of the largest power of ten within the reference, by exact
    // steps: the advice must read the same on every system.
    double power = 1;
    while (power * 10 <= reference) power *= 10;
    double step = power / 10;
    if (std::isfinite(low) && std::isfinite(high)) {
        while (std::ceil(high / step) - std::floor(low / step) < count + 1) {
            step /= 10;
            if (step < 1e-6) return false;
        }
    }
    double previous = -Infinity;
    for (size_t i = first; i <= last; ++i) {
        const double position = static_cast<double>(i - first + 1);
        const double lowest = std::isfinite(low) ? (std::floor(low / step) + position) * step : -Infinity;
        const double highest =
            std::isfinite(high) ? (std::ceil(high / step) - (count + 1 - position)) * step : Infinity;
        double value = std::clamp(Wish(thresholds, i), lowest, highest);
        value = std::max(value, previous + step);
        values[i] = previous = value;
    }
    return true;
}

}  // namespace

ZoneSet UnreachableZones(const ZoneThresholdValues& thresholds) {
    ZoneSet unreachable = 0;
    double lower = -Infinity;
    bool lowerPassable = true;
    for (int zone = 0; zone < ZoneCount; ++zone) {
        const bool top = zone == ZoneCount - 1;
        bool reachable = lowerPassable;
        if (top) {
            reachable = reachable && lower < Infinity;
        } else {
            const float upper = thresholds[static_cast<size_t>(zone)];
            reachable = reachable && (std::isnan(upper) || upper > lower);
            if (std::isnan(upper) || upper == Infinity) {
                lowerPassable = false;
            } else {
                lower = std::max<double>(lower, upper);
            }
        }
        if (!reachable) unreachable |= ZoneBit(static_cast<ZoneId>(zone));
    }
    return unreachable;
}

std::vector<std::vector<ThresholdChange>> NearestOrder(const ZoneThresholdValues& thresholds, size_t most) {
    std::vector<std::vector<ThresholdChange>> best;
    if (UnreachableZones(thresholds) == 0) return best;
    size_t bestChanges = ThresholdCount + 1;
    double bestDistance = Infinity;
    for (unsigned kept = 0; kept < (1u << ThresholdCount); ++kept) {
        const auto keeps = [kept](size_t i) { return (kept >> i & 1u) != 0; };
        std::array<double, ThresholdCount> values{};
        bool fits = true;
        double previousKept = -Infinity;
        for (size_t i = 0; i < ThresholdCount && fits; ++i) {
            if (!keeps(i)) continue;
            fits = std::isfinite(thresholds[i]) && thresholds[i] > previousKept;
            values[i] = previousKept = thresholds[i];
        }
        // Each run of changed thresholds between two kept ones.
        for (size_t first = 0; first < ThresholdCount && fits; ++first) {
            if (keeps(first)) continue;
            size_t last = first;
            while (last + 1 < ThresholdCount && !keeps(last + 1)) ++last;
            const double low = first > 0 ? values[first - 1] : -Infinity;
            const double high = last + 1 < ThresholdCount ? values[last + 1] : Infinity;
            fits = PlaceRun(thresholds, first, last, low, high, values);
            first = last;
        }
        if (!fits) continue;
        // The values as the file will hold them, once written and read back.
        ZoneThresholdValues written{};
        size_t changed = 0;
        double distance = 0;
        for (size_t i = 0; i < ThresholdCount; ++i) {
            written[i] = keeps(i) ? thresholds[i] : static_cast<float>(values[i]);
            if (keeps(i)) continue;
            ++changed;
            if (std::isfinite(thresholds[i])) distance += std::fabs(values[i] - thresholds[i]);
        }
        if (changed > bestChanges || UnreachableZones(written) != 0) continue;
        const bool tie = changed == bestChanges && std::fabs(distance - bestDistance) <= 1e-9 * bestDistance;
        if (changed < bestChanges || (distance < bestDistance && !tie)) {
            best.clear();
            bestChanges = changed;
            bestDistance = distance;
        } else if (!tie) {
            continue;
        }
        if (best.size() >= most) continue;
        std::vector<ThresholdChange>& changes = best.emplace_back();
        for (size_t i = 0; i < ThresholdCount; ++i) {
            if (!keeps(i)) changes.push_back({i, written[i]});
        }
    }
    return best;
}

}  // namespace preview
