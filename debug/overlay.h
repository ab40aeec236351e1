// The debug overlay: six blocks of status text, formatted in every enabled
// pass and drawn in debug mode at the start of the next one. Depends on the
// settings record and the native-call layer; what it shows of the script
// and the zone ladder is handed to it (OverlayStatus), so it depends on
// neither.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/settings.h"

inline constexpr int DebugBlockCount = 6;
inline constexpr size_t DebugBlockSize = 99;  // 98 characters and the NUL

struct OverlayModuleState {
    char DebugTextBlocks[DebugBlockCount][DebugBlockSize];  // texts of the last enabled pass; empty at load
    const char* formattedLabel;    // zone label blocks 0-4 were formatted with; nullptr before the first
    WeatherSettings formattedRow;  // copy of the settings row blocks 0-4 were formatted from
};

extern constinit OverlayModuleState Overlay;

// Vertical offset of each block below PosY, in units of TextScale.
inline constexpr float DebugBlockOffsets[DebugBlockCount] = {0.0f, 0.2686f, 0.5371f, 0.8057f, 1.0071f, 1.2086f};

// Issues the text colour native with the configured red, green and blue and
// full alpha.
void SetDebugTextColor();

// Draws the six blocks as last formatted, at PosX and PosY + TextScale times
// each block's offset (screen fractions), at the configured scale.
void DrawDebugOverlay();

// What the overlay shows of the pass that just ran.
struct OverlayStatus {
    const char* zoneLabel;       // the label of this pass's evaluation (static storage)
    const WeatherSettings& row;  // the settings row in use
    int32_t timecycleIndex;      // the game's modifier index read this pass
    const char* configFileName;  // the configuration file in use
};

// Formats the six blocks from `status` and the game's wind speed, read now.
// A block that would exceed 98 characters is cut.
void FormatDebugOverlay(const OverlayStatus& status);

// Empties the six blocks, as at load (for tests).
void ResetDebugOverlay();
