// What the log says of each thing the module does, in words a player
// understands. Every line starts with the event's name and a colon ("start:",
// "settings:", "reload:" ...), which `atmosphere-sim doctor` reads back.
// Depends on the log writer, the settings record and the load report.
#pragma once

#include <cstdint>

#include "config/configuration.h"
#include "config/settings.h"

// What became of the game's flag byte at start-up.
enum class FlagByteOutcome : uint8_t {
    Set,          // found, and set to 0
    AlreadyZero,  // found, and it was 0 already
    NotFound,     // the code that tests it is not in the game's image
    NotWritable,  // found, but the byte is not writable game memory
};

// What asked for a reload, a switch or the overlay.
enum class CommandSource : uint8_t {
    Key,          // the hotkey was released
    Tag,          // another script set the entity tag
    FileChanged,  // the settings file changed on disk
};

// "start:" the module's version and the game's folder (ModuleDirectory).
void LogStart();
void LogFlagByte(FlagByteOutcome outcome);
// "settings:" the files a load read (or did not find), how many settings
// they gave and how many took their default, and the hotkeys.
void LogLoad(const LoadReport& load, const AtmosphereSettings& settings);
// "reload:" and its cause; `keyCode` names the key when `source` is Key,
// `fileName` the file when it is FileChanged. While the log is off, what was
// held since the last load is dropped first.
void LogReload(CommandSource source, int32_t keyCode, const char* fileName);
// "file index:" the "fileindex" entity tag chose `fileName` for the next reload.
void LogFileIndex(const char* fileName);
// "switch:" on or off; `handedBack`: switching off gave the game its
// atmosphere back (it was above the normal zone).
void LogSwitch(bool on, CommandSource source, int32_t keyCode, bool handedBack);  // never FileChanged
// "debug:" the overlay shown or hidden.
void LogDebugMode(bool on, CommandSource source, int32_t keyCode);
// "unload:" and what was handed back; `started`: the start-up had completed.
void LogUnload(bool started);
