// Reload on save ([GLOBAL] AutoReload): the watch on the files the last load
// read or looked for (the settings file, and the alternate file when the
// load followed one). It asks the system for their stamps (size and last
// write) at most once every WatchInterval milliseconds, never reading them,
// and calls for a reload once a changed stamp has held for one interval: an
// editor still saving has moved it again by then. Depends on the platform
// seam and the load report.
#pragma once

#include <cstdint>

#include "config/configuration.h"
#include "platform/platform.h"

inline constexpr uint32_t WatchInterval = 250;  // ms of the tick count between two looks at the stamps

struct FileWatchState {
    bool armed;                          // AutoReload as the last load that found its files read it
    bool taken;                          // a load has been taken since the start: the watch knows the files
    char paths[2][ModuleDirectorySize];  // the file, and the alternate file ("" when none)
    platform::FileStamp applied[2];      // their stamps when the settings in force were read
    platform::FileStamp seen[2];         // the changed stamps seen at the last look
    bool changeSeen;                     // a look found stamps other than `applied`: `seen`
    int changed;                         // which of the two files changed (for the log)
    uint32_t lastLook;                   // tick of the last look
};

extern constinit FileWatchState FileWatch;

// Takes up the files of the load that just ran, and `autoReload` as it read
// it. `byWatch`: the watch called for it, so that a file still being written
// is tried again at the next look, if it holds still till then. A load that found a file missing (deleted,
// or between an editor's delete and write) leaves the watch as it was: the
// defaults it applied say nothing of the player's wish, and the file's
// return must be seen.
void WatchLoadedFiles(const LoadReport& load, bool autoReload, bool byWatch);

// Whether the files changed on disk and have held still since: the pass
// reloads then, as the reload key would. Looks at the stamps only while the
// watch is armed and WatchInterval has passed since the last look; costs a
// comparison otherwise.
bool FilesChangedOnDisk();

// The files as the watch saw them hold still, for the load it calls for.
ExpectedStamps WatchedStamps();

// The name, without its folder, of the file whose change the watch last
// reported.
const char* ChangedFileName();

// Back to the load-time state (for tests).
void ResetFileWatch();
