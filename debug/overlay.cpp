// The debug overlay. The texts are formatted by debug/status_text.h, which
// gives printf's exact text on every platform at a fraction of its cost.
#include "debug/overlay.h"

#include <cstring>

#include "config/settings.h"
#include "debug/status_text.h"
#include "host/natives.h"

constinit OverlayModuleState Overlay{};

namespace {

// Formats into one block; the text is cut at the block's 98 characters, since
// long modifier names or huge thresholds can exceed them.
void FormatBlock(int block, const char* format, std::initializer_list<TextValue> values) {
    FormatText(Overlay.DebugTextBlocks[block], DebugBlockSize, format, values);
}

}  // namespace

void SetDebugTextColor() {
    natives::TextColor(Settings.TextColorRed, Settings.TextColorGreen, Settings.TextColorBlue, 255);
}

void DrawDebugOverlay() {
    for (int block = 0; block < DebugBlockCount; ++block) {
        const float scale = Settings.TextScale;
        natives::TextFont(0);
        natives::TextScale(scale, scale);
        SetDebugTextColor();
        natives::TextWrap(0.0f, 1.0f);
        natives::TextShadow(3, 0, 0, 0, 0);
        natives::TextEdge(1, 0, 0, 0, 205);
        natives::BeginTextDraw("STRING");
        natives::AddText(Overlay.DebugTextBlocks[block]);
        // Product first, then the sum, each rounded to float.
        const float offset = scale * DebugBlockOffsets[block];
        natives::DrawTextAt(Settings.PosX, Settings.PosY + offset);
    }
}

void FormatDebugOverlay(const OverlayStatus& status) {
    const char* zoneLabel = status.zoneLabel;
    const WeatherSettings& row = status.row;
    // Blocks 0 to 4 are made of the label and the row alone, which change far
    // less often than every frame; formatting them is most of a pass's cost.
    if (Overlay.formattedLabel != zoneLabel || std::memcmp(&Overlay.formattedRow, &row, sizeof row) != 0) {
        FormatBlock(0, "%snormalZoneEnd: %.2f\ncloudZoneStart: %.2f\ncloudZoneEnd: %.2f",
                    {zoneLabel, row.NormalZoneEnd, row.CloudZoneStart, row.CloudZoneEnd});
        FormatBlock(1, "aboveCloudsZoneStart: %.2f\naboveCloudsZoneEnd : %.2f\nspaceZoneStart : %.2f",
                    {row.AboveCloudsZoneStart, row.AboveCloudsZoneEnd, row.SpaceZoneStart});
        FormatBlock(
            2, "cloudZoneWindMultiplier: %.2f\naboveCloudsZoneWindMultiplier: %.2f\nspaceZoneWindMultiplier : %.2f",
            {row.CloudZoneWindMultiplier, row.AboveCloudsZoneWindMultiplier, row.SpaceZoneWindMultiplier});
        FormatBlock(3, "aboveCloudWeatherOverride: %s\nspaceZoneWeatherOverride: %s",
                    {WeatherNames[row.AboveCloudsZoneWeatherOverride], WeatherNames[row.SpaceZoneWeatherOverride]});
        FormatBlock(
            4, "normalZoneTimecycMod: %s\ncloudZoneTimecycMod : %s\naboveCloudsZoneTimecycMod: %s",
            {row.NormalZoneTimecycleModifier, row.CloudZoneTimecycleModifier, row.AboveCloudsZoneTimecycleModifier});
        Overlay.formattedLabel = zoneLabel;
        std::memcpy(&Overlay.formattedRow, &row, sizeof row);
    }
    // Read after the evaluation, so it shows what this pass left the wind at.
    const float windSpeed = natives::GetWindSpeed();
    FormatBlock(5, "spaceZoneTimecycMod: %s\n\nwind speed : %.2f\ntimecycle index: %d\n%s",
                {row.SpaceZoneTimecycleModifier, windSpeed, status.timecycleIndex, status.configFileName});
}

void ResetDebugOverlay() { Overlay = OverlayModuleState{}; }
