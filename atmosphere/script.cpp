// The script main, its start-up and the restore of the game's atmosphere.
// The signature scan reads and writes the game image only through the
// platform seam, which knows which pages are readable and writable.
#include "atmosphere/script.h"

#include <cstdio>
#include <cstring>

#include "atmosphere/file_watch.h"
#include "atmosphere/lightning.h"
#include "atmosphere/weather_hashes.h"
#include "atmosphere/zone.h"
#include "config/configuration.h"
#include "config/text_copy.h"
#include "debug/log_events.h"
#include "debug/module_log.h"
#include "debug/overlay.h"
#include "host/host_api.h"
#include "host/key_state.h"
#include "host/natives.h"
#include "platform/platform.h"

constinit ScriptModuleState Script{};

namespace {

// Entity tags other scripts set on the player character. The last three
// names really do begin and end with a double quote.
constexpr const char* FileIndexTag = "fileindex";
constexpr const char* ReloadTag = "\"reload\"";
constexpr const char* EnabledTag = "\"enabled\"";
constexpr const char* DebugModeTag = "\"debugmode\"";

// The code that tests the game's flag byte: push rbx; sub rsp, 20h;
// cmp byte ptr [rip+disp32], 0; mov ebx, edx; jnz +29h.
constexpr size_t SignatureLength = 17;
constexpr unsigned char SignatureBytes[SignatureLength] = {0x40, 0x53, 0x48, 0x83, 0xEC, 0x20, 0x80, 0x3D, 0x00,
                                                           0x00, 0x00, 0x00, 0x00, 0x8B, 0xDA, 0x75, 0x29};
constexpr char SignatureMask[] = "xxxxxxxx????xxxxx";
static_assert(sizeof SignatureMask == SignatureLength + 1);
constexpr size_t DisplacementOffset = 8;  // signed 32-bit little-endian, relative to the next instruction
constexpr size_t NextInstructionOffset = 13;
constexpr uintptr_t PageSize = 4096;  // granularity of the holes a scan steps over

bool MatchesAt(const unsigned char* candidate) {
    for (size_t k = 0; k < SignatureLength; ++k) {
        if (SignatureMask[k] == 'x' && candidate[k] != SignatureBytes[k]) return false;
    }
    return true;
}

// The first match inside one stretch of readable bytes. Every position is
// tried as a start, so a match right after a partial one (40 40 53 48 ...)
// is not missed.
const unsigned char* FindInStretch(const unsigned char* begin, const unsigned char* end) {
    if (static_cast<size_t>(end - begin) < SignatureLength) return nullptr;
    const unsigned char* lastStart = end - SignatureLength;
    for (const unsigned char* p = begin; p <= lastStart; ++p) {
        // memchr finds the first byte far faster than the byte loop would.
        p = static_cast<const unsigned char*>(
            std::memchr(p, SignatureBytes[0], static_cast<size_t>(lastStart - p) + 1));
        if (p == nullptr) return nullptr;
        if (MatchesAt(p)) return p;
    }
    return nullptr;
}

const unsigned char* NextPage(const unsigned char* address) {
    const uintptr_t next = (reinterpret_cast<uintptr_t>(address) / PageSize + 1) * PageSize;
    return reinterpret_cast<const unsigned char*>(next);
}

// Walks the image in stretches of contiguous readable bytes (adjacent
// readable regions join into one, so a match may straddle their border) and
// steps over unreadable pages, which would fault if touched.
const unsigned char* FindSignature(platform::MemoryRange image) {
    const unsigned char* cursor = image.begin;
    while (cursor < image.end) {
        const unsigned char* stretchEnd = cursor;
        for (;;) {
            const platform::MemoryRange readable = platform::ReadableRangeAt(stretchEnd, image.end);
            if (readable.end <= stretchEnd) break;
            stretchEnd = readable.end;
        }
        if (stretchEnd == cursor) {
            const unsigned char* next = NextPage(cursor);
            if (next <= cursor) break;  // the address space ends here
            cursor = next;
            continue;
        }
        if (const unsigned char* found = FindInStretch(cursor, stretchEnd)) return found;
        cursor = stretchEnd;
    }
    return nullptr;
}

// A boolean command tag that reads exactly 1 raises its request and is put
// back to 0, so that each command is taken up once.
void TakeBooleanCommand(int32_t player, const char* tag, bool& request) {
    if (natives::IsEntityTagRegistered(tag, natives::EntityTagTypeBoolean) == 0) return;
    if (natives::ReadBooleanEntityTag(player, tag) != 1) return;
    request = true;
    natives::SetBooleanEntityTag(player, tag, 0);
}

void TakeEntityTagCommands(int32_t player) {
    if (natives::IsEntityTagRegistered(FileIndexTag, natives::EntityTagTypeInteger) != 0) {
        const int32_t fileIndex = natives::ReadIntegerEntityTag(player, FileIndexTag);
        // Only chooses the file of the next reload; it triggers none. The
        // tag stays set and is read every pass: only a new name is logged.
        if (fileIndex > 0) {
            char chosen[ConfigFileNameSize];
            std::snprintf(chosen, sizeof chosen, "atmosphere%d.ini", fileIndex);
            if (std::strcmp(chosen, ConfigFileName) != 0) {
                CopyText(ConfigFileName, chosen);
                LogFileIndex(ConfigFileName);
            }
        }
    }
    TakeBooleanCommand(player, ReloadTag, Script.reloadRequested);
    TakeBooleanCommand(player, EnabledTag, Script.enableToggleRequested);
    TakeBooleanCommand(player, DebugModeTag, Script.debugToggleRequested);
}

// Key codes are read from the settings at each test, so a reload earlier in
// the pass already changes the keys tested after it. The key is always
// tested first, so a release is consumed even when a request is pending;
// `source` tells the log which of the two it was.
bool HotkeyOrRequest(int32_t keyCode, bool request, CommandSource& source) {
    source = CommandSource::Key;
    if (ConsumeKeyRelease(static_cast<uint32_t>(keyCode))) return true;
    source = CommandSource::Tag;
    return request;
}

void SwitchOnOrOff(CommandSource source, int32_t keyCode) {
    if (!Script.enabled) {
        Script.enabled = true;
        LogSwitch(true, source, keyCode, false);
        return;
    }
    const bool handBack = !Zone.ZoneState.inNormalZone;
    if (handBack) {
        RestoreDefaults();
        // The next enabled pass then treats the player as arriving from the
        // normal zone.
        Zone.ZoneState = ZoneFlags{};
        Zone.ZoneState.inNormalZone = true;
    }
    Script.enabled = false;
    LogSwitch(false, source, keyCode, handBack);
}

// A load that meets a file being written keeps the settings in force. The
// start-up and the reload key read again at once, a few times; the watch
// tries again at its next look.
constexpr int ReadAttempts = 3;

// Every load, what the log says of it (the new [DEBUG] Log decides whether
// these lines, and those that follow, are written), and the files to watch.
void Load(CommandSource source) {
    const bool byWatch = source == CommandSource::FileChanged;
    if (byWatch) {
        LoadConfigurationExpecting(ConfigFileName, WatchedStamps());
    } else {
        for (int attempt = 0; attempt < ReadAttempts && (attempt == 0 || LastLoad.changing); ++attempt) {
            LoadConfiguration(ConfigFileName, true);
        }
    }
    LogLoad(LastLoad, Settings);
    SettleLog(Settings.Log);
    WatchLoadedFiles(LastLoad, Settings.AutoReload, byWatch);
}

}  // namespace

void SetModuleDirectoryFromPath(const char* path, uint32_t length) {
    ModuleDirectory[0] = '\0';
    // A cut path could name a different directory, and one without any
    // backslash names none: the configuration file name is then used alone.
    if (length == 0 || length >= ModuleDirectorySize) return;
    const char* lastBackslash = std::strrchr(path, '\\');
    if (lastBackslash == nullptr) return;
    const auto keep = static_cast<size_t>(lastBackslash - path) + 1;  // with the backslash
    CopyText(ModuleDirectory, keep + 1, path);
}

FlagByteOutcome ScanForSignature() {
    const unsigned char* found = FindSignature(platform::GameImage());
    if (found == nullptr) return FlagByteOutcome::NotFound;
    const unsigned char* field = found + DisplacementOffset;
    const uint32_t raw = static_cast<uint32_t>(field[0]) | static_cast<uint32_t>(field[1]) << 8 |
                         static_cast<uint32_t>(field[2]) << 16 | static_cast<uint32_t>(field[3]) << 24;
    const auto displacement = static_cast<int32_t>(raw);
    // Integer arithmetic: the target may lie outside the image, where pointer
    // arithmetic would be undefined; the platform refuses such a write.
    const uintptr_t target = reinterpret_cast<uintptr_t>(found) + NextInstructionOffset +
                             static_cast<uintptr_t>(static_cast<intptr_t>(displacement));
    auto* flag = reinterpret_cast<unsigned char*>(target);
    // Read only where the byte is readable: the log tells a flag that was
    // already clear from one this start-up cleared.
    const platform::MemoryRange readable = platform::ReadableRangeAt(flag, flag + 1);
    const bool alreadyZero = readable.end > readable.begin && *flag == 0;
    if (!platform::WriteImageByte(flag, 0)) return FlagByteOutcome::NotWritable;
    return alreadyZero ? FlagByteOutcome::AlreadyZero : FlagByteOutcome::Set;
}

void AtmosphereStartup() {
    char path[ModuleDirectorySize] = {};
    SetModuleDirectoryFromPath(path, platform::GameExecutablePath(path, sizeof path));
    BeginLog();
    LogStart();
    LogFlagByte(ScanForSignature());
    Script.enabled = true;
    Script.debugMode = false;
    LoadWeatherHashes();
    natives::GetWeatherTransition(&Zone.transitionFromHash, &Zone.transitionToHash, &Script.transitionFraction);
    // Written so that a NaN fraction takes the from-hash.
    const uint32_t startWeather = Script.transitionFraction >= 0.5f ? Zone.transitionToHash : Zone.transitionFromHash;
    Zone.currentWeatherIndex = WeatherIndexOfHash(startWeather, 0);
    Load(CommandSource::Key);
    Script.startupCompleted = true;
}

void AtmospherePass() {
    CommandSource source{};
    // A save is a reload as the key's, in its place in the pass.
    const bool saved = FilesChangedOnDisk();
    const int32_t reloadKey = Settings.ReloadKey;
    bool reload = HotkeyOrRequest(reloadKey, Script.reloadRequested, source);
    if (!reload && saved) {
        reload = true;
        source = CommandSource::FileChanged;
    }
    if (reload) {
        LogReload(source, reloadKey, ChangedFileName());
        natives::ClearTimecycleModifier();
        Load(source);
        Script.reloadRequested = false;
    }
    if (const int32_t key = Settings.OnOffKey; HotkeyOrRequest(key, Script.enableToggleRequested, source)) {
        SwitchOnOrOff(source, key);
        Script.enableToggleRequested = false;
    }
    if (const int32_t key = Settings.DebugKey; HotkeyOrRequest(key, Script.debugToggleRequested, source)) {
        Script.debugToggleRequested = false;
        Script.debugMode = !Script.debugMode;
        LogDebugMode(Script.debugMode, source, key);
    }

    const int32_t player = natives::PlayerCharacter();
    TakeEntityTagCommands(player);
    if (!Script.enabled) return;

    // Shows the text of the previous enabled pass.
    if (Script.debugMode) DrawDebugOverlay();
    const char* label = EvaluateZone(player);
    FormatDebugOverlay({label, Settings.Weather[Zone.currentWeatherIndex], Zone.timecycleIndex, ConfigFileName});
}

void AtmosphereScript() {
    AtmosphereStartup();
    for (;;) {
        AtmospherePass();
        scriptWait(0);
    }
}

void RestoreDefaults() {
    if (!Script.startupCompleted) return;
    natives::ClearOverrideWeather();
    natives::SetWeatherTransition(Zone.transitionFromHash, Zone.transitionToHash, Script.transitionFraction);
    natives::SetTimecycleModifier(Settings.Weather[Zone.currentWeatherIndex].NormalZoneTimecycleModifier);
    natives::SetTimecycleModifierStrength(0.0f);
    natives::ClearTimecycleModifier();
    natives::UnloadCloudSets();
    natives::LoadCloudSet(
        Settings.Weather[WeatherIndexOfHash(Zone.zoneWeatherHash, NeutralWeatherRow)].NormalZoneClouds);
    // The wind and the effect level too: switched off in the clouds or above
    // them, the game would otherwise keep the module's wind and no rain.
    SetWind(HandBack);
    natives::SetWeatherEffectLevel(HandBack);
    Zone.windResetDone = true;
    Zone.effectLevelResetDone = true;
}

void ResetAtmosphereModule() {
    Script = ScriptModuleState{};
    ResetWeatherHashes();
    ResetZoneState();
    ResetLightningState();
    ResetDebugOverlay();
    ResetModuleLog();
    ResetFileWatch();
    ModuleDirectory[0] = '\0';
    CopyText(ConfigFileName, DefaultConfigFileName);
}
