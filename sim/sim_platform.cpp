// The platform seam (platform/platform.h) where the module is linked into
// the simulated game (Linux, and the tool on Windows), served by the live
// simulated session: the game executable's path, its clock and calendar, the
// C runtime's random sequence, the mapped game image and the module's log. The file reads are the
// module's own (platform/file_posix.cpp, platform/file_win32.cpp).
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "sim/mapped_image.h"
#include "sim/session.h"

namespace platform {
namespace {

sim::Session* Live(const char* function) {
    sim::Session* session = sim::Session::Current();
    if (session == nullptr) sim::Session::Fault(std::string("platform::") + function + " with no simulated session");
    return session;
}

}  // namespace

uint32_t GameExecutablePath(char* buffer, uint32_t capacity) {
    sim::Session* session = Live("GameExecutablePath");
    if (session == nullptr || capacity == 0) return 0;
    const std::string path = session->GameExecutablePath();
    // As GetModuleFileNameA: a path that does not fit is cut, NUL-terminated,
    // and the result is the capacity.
    if (path.size() >= capacity) {
        std::memcpy(buffer, path.data(), capacity - 1);
        buffer[capacity - 1] = '\0';
        return capacity;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<uint32_t>(path.size());
}

uint32_t TickCount() {
    sim::Session* session = Live("TickCount");
    return session != nullptr ? session->Now() : 0;
}

LocalTime LocalTimeNow() {
    sim::Session* session = Live("LocalTimeNow");
    return sim::LocalTimeAt(session != nullptr ? session->Now() : 0);
}

bool OpenLogFile(const char* path, bool empty) {
    sim::Session* session = Live("OpenLogFile");
    return session != nullptr && session->OpenLog(path, empty);
}

bool AppendLogFile(const char* bytes, size_t size) {
    sim::Session* session = Live("AppendLogFile");
    return session != nullptr && session->AppendLog(bytes, size);
}

void CloseLogFile() {
    // At unload after the session is gone there is nothing to close.
    if (sim::Session* session = sim::Session::Current()) session->CloseLog();
}

int Random() {
    sim::Session* session = Live("Random");
    return session != nullptr ? session->Random() : 0;
}

MemoryRange GameImage() {
    const sim::MappedImage& image = sim::SessionImage();
    return {image.Base(), image.Base() + image.Size()};
}

MemoryRange ReadableRangeAt(const unsigned char* address, const unsigned char* limit) {
    const sim::MappedImage& image = sim::SessionImage();
    const auto base = reinterpret_cast<uintptr_t>(image.Base());
    const auto at = reinterpret_cast<uintptr_t>(address);
    if (base == 0 || at < base || at - base >= image.Size() || at >= reinterpret_cast<uintptr_t>(limit)) {
        return {address, address};
    }
    auto offset = static_cast<uint32_t>(at - base);
    if (!image.Readable(offset)) return {address, address};
    // Up to the next unreadable page, the image's end or the limit.
    uint32_t end = (offset / sim::ImagePageSize + 1) * sim::ImagePageSize;
    while (end < image.Size() && image.Readable(end)) end += sim::ImagePageSize;
    const unsigned char* stop = image.Base() + end;
    return {address, reinterpret_cast<uintptr_t>(stop) < reinterpret_cast<uintptr_t>(limit) ? stop : limit};
}

bool WriteImageByte(unsigned char* address, unsigned char value) {
    sim::MappedImage& image = sim::SessionImage();
    const auto base = reinterpret_cast<uintptr_t>(image.Base());
    const auto at = reinterpret_cast<uintptr_t>(address);
    if (base == 0 || at < base || at - base >= image.Size() || !image.Writable(static_cast<uint32_t>(at - base))) {
        ++image.refusedWrites;
        return false;
    }
    *address = value;
    ++image.writes;
    return true;
}

}  // namespace platform
