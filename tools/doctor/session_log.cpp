// Each line of the log is "YYYY-MM-DD HH:MM:SS.mmm  event: text"; lines of
// any other shape (a damaged or foreign file) are passed over.
#include "tools/doctor/session_log.h"

#include <fstream>
#include <string_view>

namespace doctor {
namespace {

constexpr size_t ReadLimit = 1u << 20;
constexpr size_t TimeLength = 23;  // "2026-12-09 20:01:02.345"

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The line's text after its time, or empty when it has no time.
std::string_view AfterTime(std::string_view line) {
    constexpr std::string_view shape = "0000-00-00 00:00:00.000  ";
    if (line.size() < shape.size()) return {};
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '0' ? !IsDigit(line[i]) : line[i] != shape[i]) return {};
    }
    return line.substr(shape.size());
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

SessionLog ParseSessionLog(const std::string& text) {
    SessionLog log;
    log.readable = true;
    bool firstLoad = true;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view event = AfterTime(line);
        if (event.empty()) continue;
        if (StartsWith(event, "start: ")) {
            // The last start wins, should a file hold more than one session.
            log = SessionLog{};
            log.readable = true;
            log.looksLikeTheLog = true;
            log.started = std::string(line.substr(0, TimeLength - 4));
            constexpr std::string_view name = "start: atmosphere ";
            if (StartsWith(event, name)) {
                const std::string_view rest = event.substr(name.size());
                log.version = std::string(rest.substr(0, rest.find(' ')));
            }
            firstLoad = true;
        } else if (StartsWith(event, "flag byte: ")) {
            log.flagByte = std::string(event.substr(11));
        } else if (StartsWith(event, "settings: ")) {
            if (firstLoad) log.settings.emplace_back(event.substr(10));
        } else if (StartsWith(event, "reload: ")) {
            ++log.reloads;
            firstLoad = false;
        } else if (StartsWith(event, "unload: ")) {
            log.unloaded = true;
        } else if (StartsWith(event, "the log stops here: it has reached")) {
            log.full = true;
        } else if (StartsWith(event, "the log stops here: [DEBUG] Log is 0")) {
            log.logOff = true;
        } else if (!StartsWith(event, "settings")) {
            firstLoad = firstLoad && log.settings.empty();
        }
    }
    return log;
}

SessionLog ReadSessionLog(const std::filesystem::path& file) {
    std::ifstream input(file, std::ios::binary);
    if (!input) return {};
    std::string text(ReadLimit, '\0');
    input.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(input.gcount()));
    return ParseSessionLog(text);
}

}  // namespace doctor
