// The file reads and stamps of the platform seam on Linux and other POSIX systems, for
// the module on the simulated host: the module's path comes with Windows
// separators (the host reports the game's path that way), the file system
// wants '/'.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr size_t PathCapacity = 1024;  // longer paths read as no file
constexpr size_t ChunkSize = 32 * 1024;

// The module's path with '/' for '\\'; false when it does not fit.
bool NativePath(const char* path, char (&nativePath)[PathCapacity]) {
    size_t length = 0;
    for (; path[length] != '\0'; ++length) {
        if (length + 1 >= sizeof nativePath) return false;
        nativePath[length] = path[length] == '\\' ? '/' : path[length];
    }
    nativePath[length] = '\0';
    return true;
}

}  // namespace

FileStamp ReadFileStamp(const char* path) {
    char nativePath[PathCapacity];
    struct stat status {};
    if (!NativePath(path, nativePath) || stat(nativePath, &status) != 0 || !S_ISREG(status.st_mode)) {
        return {false, 0, 0};
    }
    const auto seconds = static_cast<uint64_t>(status.st_mtim.tv_sec);
    return {true, static_cast<uint64_t>(status.st_size),
            seconds * 1000000000u + static_cast<uint64_t>(status.st_mtim.tv_nsec)};
}

bool ReadFileBytes(const char* path, FileChunkSink sink, void* context) {
    char nativePath[PathCapacity];
    if (!NativePath(path, nativePath)) return false;

    const int file = open(nativePath, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file < 0) return false;
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        // A folder cannot be opened as a file on Windows either; a device or
        // a pipe could keep the game waiting for ever.
        close(file);
        return false;
    }
    // Only the bytes the file had when it was opened: a file that grows
    // while it is read cannot keep the load going.
    static unsigned char chunk[ChunkSize];
    off_t remaining = status.st_size;
    while (remaining > 0) {
        const size_t want =
            remaining < static_cast<off_t>(sizeof chunk) ? static_cast<size_t>(remaining) : sizeof chunk;
        const ssize_t got = read(file, chunk, want);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        sink(chunk, static_cast<size_t>(got), context);
        remaining -= got;
    }
    close(file);
    return true;
}

}  // namespace platform
