// The log writer: formats a line with the local time, holds it until the
// first load has decided whether to log, and hands it to the platform's log
// file in one write.
#include "debug/module_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "config/configuration.h"
#include "platform/platform.h"

constinit ModuleLogState ModuleLog{};

namespace {

constexpr char LineEnd[] = "\r\n";
constexpr char LimitLine[] = "the log stops here: it has reached 256 KB for this session; the module goes on";
// Room kept for the line that says the log stops, time and line end included.
constexpr uint32_t LimitReserve = sizeof LimitLine + 32;
static_assert(LimitReserve + LogLineCapacity < LogSizeLimit);

// ModuleDirectory + atmosphere.log; false when the two do not fit.
bool LogPath(char (&path)[ModuleDirectorySize]) {
    const int length = std::snprintf(path, sizeof path, "%s%s", ModuleDirectory, LogFileName);
    return length > 0 && length < ModuleDirectorySize;
}

// Writes the bytes to the open file, counting them; a failed write changes
// nothing else.
void Write(const char* bytes, size_t size) {
    if (!ModuleLog.open) return;
    if (platform::AppendLogFile(bytes, size)) ModuleLog.written += static_cast<uint32_t>(size);
}

void Hold(const char* bytes, size_t size) {
    // Past the capacity a line is dropped whole rather than cut.
    if (size > LogHeldCapacity - ModuleLog.heldSize) return;
    std::memcpy(ModuleLog.held + ModuleLog.heldSize, bytes, size);
    ModuleLog.heldSize += static_cast<uint32_t>(size);
}

// Formats the time and the text into `line`; returns the length, CRLF included.
size_t ComposeLine(char (&line)[LogLineCapacity], const char* format, va_list arguments) {
    const platform::LocalTime now = platform::LocalTimeNow();
    int length = std::snprintf(line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u.%03u  ", now.year, now.month, now.day,
                               now.hour, now.minute, now.second, now.millisecond);
    if (length < 0) return 0;
    const size_t room = sizeof line - sizeof LineEnd + 1;  // the line end always fits
    size_t used = static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room - 1;
    const int text = std::vsnprintf(line + used, room - used, format, arguments);
    if (text > 0) used += static_cast<size_t>(text) < room - used ? static_cast<size_t>(text) : room - used - 1;
    std::memcpy(line + used, LineEnd, sizeof LineEnd);
    return used + sizeof LineEnd - 1;
}

size_t ComposeLine(char (&line)[LogLineCapacity], const char* format, ...) __attribute__((format(printf, 2, 3)));
size_t ComposeLine(char (&line)[LogLineCapacity], const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const size_t length = ComposeLine(line, format, arguments);
    va_end(arguments);
    return length;
}

void WriteLimitLine() {
    ModuleLog.full = true;
    char line[LogLineCapacity];
    Write(line, ComposeLine(line, "%s", LimitLine));
}

void Open() {
    char path[ModuleDirectorySize];
    if (!LogPath(path)) return;
    // Emptied once per session: a log switched off and on again by reloads
    // goes on where it stopped.
    ModuleLog.open = platform::OpenLogFile(path, !ModuleLog.created);
    if (ModuleLog.open) ModuleLog.created = true;
}

}  // namespace

void BeginLog() {
    platform::CloseLogFile();
    ModuleLog = ModuleLogState{};
}

void SettleLog(bool enabled) {
    const bool first = !ModuleLog.settled;
    const bool was = ModuleLog.enabled;
    if (!enabled && !first && was) {
        LogLine("the log stops here: [DEBUG] Log is 0");
        platform::CloseLogFile();
        ModuleLog.open = false;
    }
    ModuleLog.settled = true;
    ModuleLog.enabled = enabled;
    if (enabled && (first || !was)) {
        Open();
        Write(ModuleLog.held, ModuleLog.heldSize);
    }
    ModuleLog.heldSize = 0;
}

void ForgetHeldLines() { ModuleLog.heldSize = 0; }

void LogLine(const char* format, ...) {
    if (ModuleLog.full) return;
    const bool held = !ModuleLog.settled || !ModuleLog.enabled;
    if (!held && !ModuleLog.open) return;  // the file could not be opened
    char line[LogLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    const size_t length = ComposeLine(line, format, arguments);
    va_end(arguments);
    if (held) {
        Hold(line, length);
        return;
    }
    if (ModuleLog.written + length > LogSizeLimit - LimitReserve) {
        WriteLimitLine();
        return;
    }
    Write(line, length);
}

void EndLog() {
    platform::CloseLogFile();
    ModuleLog.open = false;
    ModuleLog.settled = false;
    ModuleLog.heldSize = 0;
}

void ResetModuleLog() { ModuleLog = ModuleLogState{}; }
