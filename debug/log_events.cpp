// The log's lines, one function per event.
#include "debug/log_events.h"

#include <cinttypes>
#include <cstdio>

#include "debug/module_log.h"
#include "host/key_names.h"

#ifndef ATMOSPHERE_VERSION
#error "the build gives the module's version"
#endif

namespace {

constexpr size_t KeyNameCapacity = 48;  // every key name fits; a number and parentheses come on top

struct KeyName {
    char text[KeyNameCapacity + 16];
};

// "the Delete key"; a code no key sends is given as a number too.
KeyName NameOf(int32_t code) {
    KeyName name{};
    char words[KeyNameCapacity];
    const KeyCodeUse use = NameKeyCode(code, words, sizeof words);
    if (use == KeyCodeUse::Key) {
        std::snprintf(name.text, sizeof name.text, "%s", words);
    } else if (use == KeyCodeUse::OutOfRange) {
        std::snprintf(name.text, sizeof name.text, "no key (%" PRId32 ")", code);
    } else {
        std::snprintf(name.text, sizeof name.text, "0x%02" PRIX32 " (%s)", static_cast<uint32_t>(code), words);
    }
    return name;
}

// "the reload key (the Delete key)", "the \"reload\" entity tag", ...
struct Cause {
    char text[96];
};

Cause CauseOf(CommandSource source, const char* what, const char* tag, int32_t keyCode,
              const char* fileName = nullptr) {
    Cause cause{};
    switch (source) {
    case CommandSource::Key:
        std::snprintf(cause.text, sizeof cause.text, "the %s key (%s)", what, NameOf(keyCode).text);
        break;
    case CommandSource::Tag:
        std::snprintf(cause.text, sizeof cause.text, "another script's %s entity tag", tag);
        break;
    case CommandSource::FileChanged:
        std::snprintf(cause.text, sizeof cause.text, "%s changed on disk",
                      fileName != nullptr ? fileName : ConfigFileName);
        break;
    }
    return cause;
}

void LogFile(const ConfigurationFileReport& file, const char* name, bool alternate) {
    const char* which = alternate ? "the alternate file " : "";
    if (file.path[0] == '\0') {
        LogLine("settings: the path of %s%s in the game's folder is too long (over 259 characters): every setting "
                "takes its default",
                which, name);
    } else if (!file.found) {
        LogLine("settings: %s%s not found: every setting takes its default", which, file.path);
    } else {
        LogLine("settings: read %s%s (%" PRIu64 " bytes)", which, file.path, file.bytes);
    }
}

}  // namespace

void LogStart() {
    if (ModuleDirectory[0] == '\0') {
        LogLine("start: atmosphere " ATMOSPHERE_VERSION " started; the game's folder could not be found, so its "
                "files are looked for in the current folder");
        return;
    }
    LogLine("start: atmosphere " ATMOSPHERE_VERSION " started in the game's folder %s", ModuleDirectory);
}

void LogFlagByte(FlagByteOutcome outcome) {
    constexpr const char* unknown = "this game version is one the module does not know; everything else works";
    switch (outcome) {
    case FlagByteOutcome::Set: LogLine("flag byte: found and set to 0"); break;
    case FlagByteOutcome::AlreadyZero: LogLine("flag byte: found; it was 0 already"); break;
    case FlagByteOutcome::NotFound: LogLine("flag byte: not found: %s", unknown); break;
    case FlagByteOutcome::NotWritable: LogLine("flag byte: found but not writable: %s", unknown); break;
    }
}

void LogLoad(const LoadReport& load, const AtmosphereSettings& settings) {
    LogFile(load.file, ConfigFileName, false);
    if (load.redirected) {
        LogLine("settings: it switches to the alternate file %s", load.alternateName);
        LogFile(load.alternate, load.alternateName, true);
    }
    if (load.changing) {
        LogLine("settings: the file changed while it was read (an editor saving it): the settings in force stay%s",
                settings.AutoReload ? ", and it is read again once it holds still"
                                    : "; press the reload key again once it is saved");
        return;
    }
    LogLine("settings: %" PRIu32 " from the file, %" PRIu32 " take their default; hotkeys: reload %s, on/off %s, "
            "debug overlay %s",
            load.fromFile, load.fromDefaults, NameOf(settings.ReloadKey).text, NameOf(settings.OnOffKey).text,
            NameOf(settings.DebugKey).text);
}

void LogReload(CommandSource source, int32_t keyCode, const char* fileName) {
    ForgetHeldLines();
    LogLine("reload: %s", CauseOf(source, "reload", "\"reload\"", keyCode, fileName).text);
}

void LogFileIndex(const char* fileName) {
    LogLine("file index: the \"fileindex\" entity tag chooses %s for the next reload", fileName);
}

void LogSwitch(bool on, CommandSource source, int32_t keyCode, bool handedBack) {
    const Cause cause = CauseOf(source, "on/off", "\"enabled\"", keyCode);
    if (on) {
        LogLine("switch: on, by %s", cause.text);
    } else if (handedBack) {
        LogLine("switch: off, by %s; the weather, timecycle, clouds, wind and effect level went back to the game",
                cause.text);
    } else {
        LogLine("switch: off, by %s", cause.text);
    }
}

void LogDebugMode(bool on, CommandSource source, int32_t keyCode) {
    LogLine("debug: overlay %s, by %s", on ? "shown" : "hidden",
            CauseOf(source, "debug", "\"debugmode\"", keyCode).text);
}

void LogUnload(bool started) {
    if (started) {
        LogLine("unload: the weather, timecycle, clouds, wind and effect level went back to the game");
    } else {
        LogLine("unload: before the module had started; nothing to give back");
    }
}
