// Text form of the trace. Every number goes through one formatting rule so
// that glibc and mingw's C99 printf give the same bytes.
#include "sim/trace.h"

#include <cmath>
#include <cstdio>

namespace sim {

TraceValue TraceValue::Int(int32_t value) {
    TraceValue result;
    result.kind = ValueKind::Int;
    result.number = value;
    return result;
}

TraceValue TraceValue::Hex(uint32_t value) {
    TraceValue result;
    result.kind = ValueKind::Hex;
    result.number = static_cast<int32_t>(value);
    return result;
}

TraceValue TraceValue::Float(float value) {
    TraceValue result;
    result.kind = ValueKind::Float;
    result.real = value;
    return result;
}

TraceValue TraceValue::Text(std::string value) {
    TraceValue result;
    result.kind = ValueKind::Text;
    result.text = std::move(value);
    return result;
}

TraceValue TraceValue::Out() {
    TraceValue result;
    result.kind = ValueKind::Out;
    return result;
}

namespace {

std::string FormatFloat(float value) {
    // Spelled out: C libraries disagree on nan's sign and on "inf" vs "1.#INF".
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

std::string QuoteText(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02X", byte);
                quoted += escape;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string JoinValues(std::span<const TraceValue> values) {
    std::string joined;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) joined += ", ";
        joined += FormatValue(values[i]);
    }
    return joined;
}

const char* CallerName(TraceCaller caller) { return caller == TraceCaller::Script ? "script" : "game"; }

const char* KindName(TraceKind kind) {
    switch (kind) {
    case TraceKind::Host: return "host";
    case TraceKind::Native: return "native";
    case TraceKind::Event: return "event";
    case TraceKind::Error: return "error";
    }
    return "?";
}

}  // namespace

std::string FormatValue(const TraceValue& value) {
    char buffer[32];
    switch (value.kind) {
    case ValueKind::Int: std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value.number)); return buffer;
    case ValueKind::Hex:
        std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(value.number)));
        return buffer;
    case ValueKind::Float: return FormatFloat(value.real);
    case ValueKind::Text: return QuoteText(value.text);
    case ValueKind::Out: return "&";
    }
    return "?";
}

TraceRecord ViewOf(const TraceEvent& event) {
    return {event.frame, event.caller, event.kind, event.name, event.hash, event.arguments, event.results};
}

TraceEvent CopyOf(const TraceRecord& record) {
    TraceEvent event;
    event.frame = record.frame;
    event.caller = record.caller;
    event.kind = record.kind;
    event.name = record.name;
    event.hash = record.hash;
    event.arguments.assign(record.arguments.begin(), record.arguments.end());
    event.results.assign(record.results.begin(), record.results.end());
    return event;
}

std::string FormatTraceLine(const TraceEvent& event) { return FormatTraceLine(ViewOf(event)); }

std::string FormatTraceLine(const TraceRecord& event) {
    std::string line = std::to_string(event.frame);
    line += ' ';
    line += CallerName(event.caller);
    line += ' ';
    line += KindName(event.kind);
    line += ' ';
    line += event.name;
    line += '(';
    line += JoinValues(event.arguments);
    line += ')';
    if (!event.results.empty()) {
        line += " = ";
        line += JoinValues(event.results);
    }
    return line;
}

std::string FormatTrace(const std::vector<TraceEvent>& events) {
    std::string text;
    for (const TraceEvent& event : events) {
        text += FormatTraceLine(event);
        text += '\n';
    }
    return text;
}

std::vector<TraceEvent> NativeCallsInFrame(const std::vector<TraceEvent>& events, uint32_t frame) {
    std::vector<TraceEvent> calls;
    for (const TraceEvent& event : events) {
        if (event.kind == TraceKind::Native && event.frame == frame) calls.push_back(event);
    }
    return calls;
}

size_t CountNativeCalls(const std::vector<TraceEvent>& events, uint64_t hash) {
    size_t count = 0;
    for (const TraceEvent& event : events) {
        if (event.kind == TraceKind::Native && event.hash == hash) ++count;
    }
    return count;
}

}  // namespace sim
