// The watch: one look at the stamps every WatchInterval, a change confirmed
// by the next look before a reload is called for.
#include "atmosphere/file_watch.h"

#include "config/text_copy.h"

constinit FileWatchState FileWatch{};

namespace {

// The stamps of the watched files as they are now.
void LookAt(platform::FileStamp (&stamps)[2]) {
    for (int i = 0; i < 2; ++i) {
        stamps[i] = FileWatch.paths[i][0] != '\0' ? platform::ReadFileStamp(FileWatch.paths[i]) : platform::FileStamp{};
    }
}

bool Same(const platform::FileStamp (&a)[2], const platform::FileStamp (&b)[2]) { return a[0] == b[0] && a[1] == b[1]; }

}  // namespace

void WatchLoadedFiles(const LoadReport& load, bool autoReload, bool byWatch) {
    const bool allFound = load.file.found && (!load.redirected || load.alternate.found);
    // A first load that met the file being written keeps the start values,
    // AutoReload's among them: the file is read as soon as it holds still.
    if ((allFound && !load.changing) || !FileWatch.taken) FileWatch.armed = autoReload;
    FileWatch.taken = FileWatch.taken || !load.changing;
    CopyText(FileWatch.paths[0], load.file.path);
    CopyText(FileWatch.paths[1], load.redirected ? load.alternate.path : "");
    FileWatch.changeSeen = false;
    FileWatch.lastLook = platform::TickCount();
    if (load.changing) {
        // The settings in force are those of the last whole read: their
        // stamps stay. A reload the watch called for tries again at the next
        // look, if the files hold still till then.
        if (byWatch) {
            FileWatch.changeSeen = true;
            FileWatch.seen[0] = load.file.stamp;
            FileWatch.seen[1] = load.redirected ? load.alternate.stamp : platform::FileStamp{};
        }
        return;
    }
    FileWatch.applied[0] = load.file.stamp;
    FileWatch.applied[1] = load.redirected ? load.alternate.stamp : platform::FileStamp{};
}

bool FilesChangedOnDisk() {
    if (!FileWatch.armed) return false;
    const uint32_t now = platform::TickCount();
    if (now - FileWatch.lastLook < WatchInterval) return false;
    FileWatch.lastLook = now;
    platform::FileStamp stamps[2];
    LookAt(stamps);
    if (Same(stamps, FileWatch.applied)) {
        FileWatch.changeSeen = false;
        return false;
    }
    // Changed, and the same as at the last look: the save is done.
    if (FileWatch.changeSeen && Same(stamps, FileWatch.seen)) {
        FileWatch.changed = stamps[0] == FileWatch.applied[0] ? 1 : 0;
        return true;
    }
    FileWatch.changeSeen = true;
    FileWatch.seen[0] = stamps[0];
    FileWatch.seen[1] = stamps[1];
    return false;
}

ExpectedStamps WatchedStamps() {
    return {{FileWatch.paths[0], FileWatch.paths[1][0] != '\0' ? FileWatch.paths[1] : nullptr},
            {FileWatch.seen[0], FileWatch.seen[1]}};
}

const char* ChangedFileName() {
    const char* path = FileWatch.paths[FileWatch.changed];
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/') name = c + 1;
    }
    return name;
}

void ResetFileWatch() { FileWatch = FileWatchState{}; }
