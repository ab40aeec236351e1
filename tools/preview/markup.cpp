#include "tools/preview/markup.h"

namespace preview {

std::string EscapeMarkup(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control bytes are not allowed in XML 1.0 text.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

}  // namespace preview
