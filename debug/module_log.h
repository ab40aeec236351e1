// atmosphere.log, beside the game: one short line per thing the module did
// (started, read its settings, reloaded, switched, unloaded), each with the
// local time. It is what a player looks at, and sends, when the module seems
// to do nothing. It starts empty at each start-up, is written a line at a
// time so that a crash loses nothing, and stays under LogSizeLimit however
// long the game runs. Nothing is written per frame. Writes that fail change
// nothing else the module does. Depends on the platform seam (the file and
// the clock) and ModuleDirectory.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr char LogFileName[] = "atmosphere.log";
inline constexpr uint32_t LogSizeLimit = 256 * 1024;  // bytes one session writes at most
inline constexpr size_t LogLineCapacity = 512;        // one line, time and CRLF included; longer text is cut
// Lines logged before a load has said whether to log ([DEBUG] Log) are held
// here: the few lines of a start-up or a reload fit many times over.
inline constexpr size_t LogHeldCapacity = 4096;

struct ModuleLogState {
    bool settled;       // a load has said whether to log
    bool enabled;       // [DEBUG] Log as the last load read it; lines are held while it is off
    bool created;       // the file was created (emptied) this session
    bool open;          // the file is open for writing
    bool full;          // the size limit was reached: nothing more this session
    uint32_t written;   // bytes written to the file this session
    uint32_t heldSize;  // bytes in `held`
    char held[LogHeldCapacity];  // lines waiting for a load's decision
};

extern constinit ModuleLogState ModuleLog;

// Starts a session's log (at each start-up): closes what the last session
// left open and holds the lines that follow until SettleLog.
void BeginLog();

// After every load, with [DEBUG] Log as read; lines logged while the log is
// off are held until then. The session's first call with `enabled` creates
// or empties ModuleDirectory + atmosphere.log and writes the held lines; a
// later change writes the held lines and goes on where the file stopped, or
// says that the log stops there and closes it. With `enabled` false from the
// start, no file is created or changed at all.
void SettleLog(bool enabled);

// Drops the held lines: while the log is off, a reload starts afresh, so
// that a reload that switches the log back on brings only its own lines.
void ForgetHeldLines();

// Logs one line: the local time, two spaces, the text formatted from
// `format` with the C library's printf rules, CRLF.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Closes the log (at unload); a later line is held as before a start-up.
void EndLog();

// Back to the load-time state, without touching any file (for tests).
void ResetModuleLog();
