// The last session as the module's atmosphere.log tells it: when it
// started, the file it read (or that it found none), the flag byte, the
// reloads, and whether it ended with an unload. The log holds one session:
// the module empties it at each start.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace doctor {

struct SessionLog {
    bool readable = false;        // the file could be read
    bool looksLikeTheLog = false;  // it holds the module's start line
    std::string started;          // "2026-12-09 20:01:02", the start line's time
    std::string version;          // the module's version, from the start line
    std::vector<std::string> settings;  // the first load's lines, without time and "settings: "
    std::string flagByte;         // the flag byte's line, without time and "flag byte: "
    int reloads = 0;
    bool unloaded = false;  // it ended with an unload
    bool full = false;      // it stopped at its size limit, so its end says nothing
    bool logOff = false;    // [DEBUG] Log=0 stopped it
};

// Reads at most the first megabyte of `file` (the module writes at most a
// quarter of that): any bytes give an answer.
SessionLog ReadSessionLog(const std::filesystem::path& file);

// The same from the log's text.
SessionLog ParseSessionLog(const std::string& text);

}  // namespace doctor
