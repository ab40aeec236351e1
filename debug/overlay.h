// The debug overlay: six blocks of status text, formatted in every enabled
// pass and drawn in debug mode at the start of the next one. Depends on the
// settings record, the zone ladder's state and the native-call layer.
#pragma once

#include <cstddef>

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

// Formats the six blocks from `zoneLabel` (the label of this pass's
// evaluation), the current weather's settings row, the game's wind speed read
// now, the timecycle index and the configuration file name. A block that
// would exceed 98 characters is cut.
void FormatDebugOverlay(const char* zoneLabel);

// Empties the six blocks, as at load (for tests).
void ResetDebugOverlay();
