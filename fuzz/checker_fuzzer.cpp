// libFuzzer target for the configuration checker, all in memory: the input
// is the file and, when it redirects, its alternate file too. Sanitizers
// catch any fault; the checks below catch findings out of line order, more
// of them than the checker keeps, line numbers past the file, and text a
// terminal or a page would take for control sequences or broken UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "tools/preview/checker.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Valid UTF-8 with no control character: safe to print anywhere.
bool IsPrintable(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x20 || lead == 0x7F) return false;
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool alternateThere = size > 0 && (data[0] & 1) != 0;
    const preview::CheckedText checked = preview::CheckConfigurationText("fuzz.ini", bytes, [&](const std::string&) {
        return alternateThere ? preview::FileContent{std::string(bytes), ""} : preview::FileContent{"", "is not there"};
    });
    size_t lines = 1;
    for (const char c : bytes) lines += c == '\n' || c == '\r';
    std::string file;
    int previous = 0;
    size_t withLine = 0;
    for (const preview::Finding& finding : checked.findings) {
        if (finding.file != file) {
            file = finding.file;
            previous = 0;
            withLine = 0;
        }
        Require(finding.line >= previous);
        Require(static_cast<size_t>(finding.line) <= lines);
        Require(!finding.message.empty());
        Require(IsPrintable(finding.file) && IsPrintable(finding.message));
        previous = finding.line;
        withLine += finding.line > 0;
        Require(withLine <= 1000);
    }
    return 0;
}
