// Draws a flight as a self-contained SVG chart: the altitude over the seven
// zones of the row in use, the blends the module applied, the wind and the
// module's arrival actions. The chart takes the flight frame by frame and
// keeps one envelope per pixel column, so its memory and its size stay the
// same whatever the flight's length: a one-frame spike still shows as the
// column's extent, and markers that would overlap merge into one with a count.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "atmosphere/zone.h"
#include "tools/preview/timeline.h"

namespace preview {

// The full chart of the tool, or a small one for the report's every-weather view.
enum class ChartSize { Full, Small };

// The fill of each zone's band, by ZoneId, in the chart and on the report page.
inline constexpr const char* ZoneFills[ZoneCount] = {"#e8f4e8", "#dfe9f5", "#c9d9ee", "#e9e2f4",
                                                     "#d8ccef", "#f1dede", "#e2c4c4"};

class ChartBuilder final : public FrameObserver {
public:
    explicit ChartBuilder(RunInfo info, ChartSize size = ChartSize::Full);
    void Frame(const FrameSample& sample) override;
    // The whole SVG document; readable in any browser.
    std::string Render() const;

    // One pixel column of one curve: the first, last, lowest and highest value.
    struct Envelope {
        float first = 0, last = 0, low = 0, high = 0;
        bool present = false;
    };
    // Events of one lane that fall within one marker's width.
    struct Cluster {
        size_t count = 0;
        int firstFrame = 0, lastFrame = 0;
        std::map<EventKind, size_t> kinds;
        std::vector<std::string> details;  // a few, for the tooltip
    };
    static constexpr int SeriesCount = 7;
    static constexpr int LaneCount = 5;

private:
    struct Drawing;  // one Render's layers
    size_t BinOf(int frame) const;
    double BinX(size_t bin) const;
    double FrameX(double frame) const;

    RunInfo info_;
    ChartSize size_;
    size_t bins_;
    std::vector<std::array<Envelope, SeriesCount>> columns_;
    std::vector<bool> disabled_;                            // per column: the module was off in a frame of it
    std::vector<std::pair<size_t, ZoneThresholds>> bands_;  // from column, the thresholds in use
    std::array<std::map<long, Cluster>, LaneCount> lanes_;
    double altitudeLow_ = 0, altitudeHigh_ = 1, windHigh_ = 1;
    int lastFrame_ = 0;
};

// The chart of a whole timeline kept in memory.
std::string RenderChart(const Timeline& timeline, ChartSize size = ChartSize::Full);

}  // namespace preview
