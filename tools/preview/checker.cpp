// The configuration checker. Two passes over the file's bytes, both through
// the module's own code: the module's batch of reads (config/
// configuration_reads.h) gives every value and the line it came from, and
// from them the record a load stores; then the lexer walks every line once
// and each is judged against those reads: sections and keys the module
// never reads, repeats it skips, and values it takes differently from what
// the author meant, and the keys a section lacks whose default differs from
// the shipped value. Last come the checks that only the loaded record shows:
// zones that can no longer be reached, settings that do nothing
// (tools/preview/setting_use.h) and hotkeys that can never fire.
// Every step is linear in the file's size, and the findings kept per file
// are bounded.
#include "tools/preview/checker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "atmosphere/zone.h"
#include "config/configuration_reads.h"
#include "config/number_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "platform/profile_lexer.h"
#include "platform/profile_reader.h"
#include "sim/path_text.h"
#include "tools/common/closest_name.h"
#include "tools/common/configuration_path.h"
#include "tools/common/real_text.h"
#include "tools/common/settings_dump.h"
#include "tools/common/virtual_keys.h"
#include "tools/preview/setting_use.h"
#include "tools/preview/threshold_order.h"

namespace preview {
namespace {

using platform::ProfileEncoding;
using platform::ProfileLine;
using platform::ProfileLineKind;
using platform::ProfileUnit;

constexpr size_t TextLimit = SettingTextSize - 1;  // characters a text value keeps
constexpr size_t DisplayLimit = 80;                // characters of file text quoted in a message
constexpr size_t FindingLimit = 1000;              // line findings kept per file; the rest are counted
constexpr size_t SectionCount = 3 + WeatherCount;  // GLOBAL, KEYS, DEBUG and the weathers

// ---------------------------------------------------------------------------
// File text in messages

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

void AppendEscaped(std::string& out, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", value & 0xFFu);
    out += buffer;
}

// Length of the valid UTF-8 sequence at `bytes` (0 when there is none).
size_t Utf8SequenceLength(const ProfileUnit* bytes, size_t count) {
    const unsigned lead = bytes[0];
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (count < length) return 0;
    uint32_t codePoint = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80 || bytes[i] > 0xFF) return 0;
        codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

// Units of the file as UTF-8 a terminal or a page can show: an 8-bit file's
// valid UTF-8 stays as written, control characters and stray bytes become
// \xNN, and a long text is shortened with "...".
std::string Display(const ProfileUnit* units, size_t count, ProfileEncoding encoding, size_t limit = DisplayLimit) {
    std::string out;
    const size_t shown = std::min(count, limit);
    // Room for the worst case (4 bytes a unit, and "..."), unless the text
    // is short enough to stay inside the string itself.
    if (shown + 3 > out.capacity()) out.reserve(shown * 4 + 3);
    for (size_t i = 0; i < shown;) {
        const ProfileUnit u = units[i];
        if (u < 0x20 || u == 0x7F) {
            AppendEscaped(out, u);
            ++i;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
            ++i;
        } else if (encoding == ProfileEncoding::Ansi) {
            const size_t length = Utf8SequenceLength(units + i, count - i);
            if (length == 0) {
                AppendEscaped(out, u);
                ++i;
                continue;
            }
            for (size_t k = 0; k < length; ++k) out += static_cast<char>(units[i + k]);
            i += length;
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
            i += 2;
        } else {
            AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFDu : u);
            ++i;
        }
    }
    if (count > shown) out += "...";
    return out;
}

// 8-bit text such as a file name, made safe to print in full.
std::string Printable(const std::string& text) {
    const std::vector<ProfileUnit> units(text.begin(), text.end());
    std::vector<ProfileUnit> bytes(units.size());
    std::transform(units.begin(), units.end(), bytes.begin(),
                   [](ProfileUnit u) { return static_cast<ProfileUnit>(u & 0xFF); });
    return Display(bytes.data(), bytes.size(), ProfileEncoding::Ansi, bytes.size());
}

// A text shown in quotes in a message: "text".
struct InQuotes {
    std::string_view text;
};

size_t PieceSize(std::string_view text) { return text.size(); }
size_t PieceSize(InQuotes quoted) { return quoted.text.size() + 2; }
void AppendPiece(std::string& out, std::string_view text) { out += text; }
void AppendPiece(std::string& out, InQuotes quoted) {
    out += '"';
    out += quoted.text;
    out += '"';
}

// A message from its pieces in one allocation. Every finding gets one, and a
// chain of "+" would allocate again at nearly every step.
template <typename... Pieces> std::string Cat(const Pieces&... pieces) {
    std::string out;
    out.reserve((PieceSize(pieces) + ...));
    (AppendPiece(out, pieces), ...);
    return out;
}

template <typename... Pieces> void Append(std::string& out, const Pieces&... pieces) {
    (AppendPiece(out, pieces), ...);
}

// "0x46, the F key"
std::string KeyPhrase(int32_t code) { return Cat(KeyCodeText(code), ", ", DescribeKeyCode(code).name); }

// ---------------------------------------------------------------------------
// Suggestions

// "; did you mean X?" in a message, or nothing without a suggestion.
struct DidYouMean {
    std::string_view suggestion;
};

constexpr std::string_view DidYouMeanHead = "; did you mean ", DidYouMeanTail = "?";
size_t PieceSize(DidYouMean piece) {
    return piece.suggestion.empty() ? 0 : DidYouMeanHead.size() + piece.suggestion.size() + DidYouMeanTail.size();
}
void AppendPiece(std::string& out, DidYouMean piece) {
    if (!piece.suggestion.empty()) Append(out, DidYouMeanHead, piece.suggestion, DidYouMeanTail);
}

// ---------------------------------------------------------------------------
// The sections and keys the module reads

struct KnownSection {
    const char* name;
    std::vector<const SettingKey*> keys;
    std::vector<size_t> reads;          // the read of each key in the batch
    std::vector<std::string> keyNames;  // for suggestions
};

const std::vector<KnownSection>& KnownSections() {
    static const std::vector<KnownSection> sections = [] {
        std::vector<KnownSection> list;
        for (const char* name : {"GLOBAL", "KEYS", "DEBUG"}) {
            KnownSection section{name, {}, {}, {}};
            for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
                if (std::string(GlobalSettingKeys[row].section) != name) continue;
                section.keys.push_back(&GlobalSettingKeys[row]);
                section.reads.push_back(GlobalReadIndex(row));
            }
            list.push_back(section);
        }
        for (int weather = 0; weather < WeatherCount; ++weather) {
            KnownSection section{WeatherNames[weather], {}, {}, {}};
            for (size_t row = 0; row < WeatherSettingKeyCount; ++row) {
                section.keys.push_back(&WeatherSettingKeys[row]);
                section.reads.push_back(WeatherReadIndex(weather, row));
            }
            list.push_back(section);
        }
        for (KnownSection& section : list) {
            for (const SettingKey* key : section.keys) section.keyNames.emplace_back(key->key);
        }
        return list;
    }();
    return sections;
}

const std::vector<std::string>& SectionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const KnownSection& section : KnownSections()) list.emplace_back(section.name);
        return list;
    }();
    return names;
}

// The field a key fills in the record: the global record or a weather's row.
template <typename T> const T& FieldOf(const AtmosphereSettings& record, size_t section, const SettingKey& key) {
    if (section < 3) return SettingField<T>(record, key);
    return SettingField<T>(record.Weather[section - 3], key);
}

// What the shipped atmosphere.ini holds, which is the module's start values
// (a test keeps the two equal), and what a load stores for a key the file
// lacks.
const AtmosphereSettings& ShippedValues() {
    static const AtmosphereSettings shipped = [] {
        AtmosphereSettings record;
        ResetSettingsToStartValues(record);
        return record;
    }();
    return shipped;
}

// The reads of a load that finds no file: every key its default.
std::shared_ptr<const ConfigurationReads> DefaultReads() {
    const auto batch = std::make_shared_for_overwrite<ConfigurationReads>();
    PrepareConfigurationReads(*batch);
    platform::ReadProfileWithoutFile(batch->reads, ConfigurationReadCount);
    return batch;
}

const AtmosphereSettings& DefaultValues() {
    static const AtmosphereSettings defaults = [] {
        AtmosphereSettings record;
        ResetSettingsToStartValues(record);
        StoreConfigurationReads(*DefaultReads(), record);
        return record;
    }();
    return defaults;
}

// The fixed keys the game leaves free in single player, for a hotkey that
// needs one: F4 and F9 to F12.
constexpr int32_t FreeKeyCodes[] = {0x73, 0x78, 0x79, 0x7A, 0x7B};

// "X=1, or Y=2": each set of edits on its own.
std::string AlternativesText(const std::vector<std::vector<SettingEdit>>& fixes, const std::string& here) {
    std::string text;
    for (const auto& edits : fixes) Append(text, text.empty() ? "" : ", or ", EditText(edits, here));
    return text;
}

// ---------------------------------------------------------------------------
// One file

// The reads of one file, answered from its bytes as a load answers them.
void ReadFromBytes(std::string_view bytes, ConfigurationReads& batch) {
    PrepareConfigurationReads(batch);
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), batch.reads,
                                    ConfigurationReadCount);
}

class FileChecker {
public:
    FileChecker(std::string file, const ConfigurationReads& batch, const AtmosphereSettings& record)
        : file_(std::move(file)), batch_(batch), record_(record) {
        usedLines_.reserve(ConfigurationReadCount);
        findings_.reserve(16);
        for (const platform::ProfileRead& read : batch.reads) {
            if (read.line != 0) usedLines_.push_back(read.line);
        }
        std::sort(usedLines_.begin(), usedLines_.end());
    }

    // A finding about the weather being checked, if any.
    void Add(int line, Severity severity, std::string message, std::vector<std::vector<SettingEdit>> fixes = {}) {
        if (line > 0 && lineFindings_ >= FindingLimit) {
            ++dropped_;
            droppedErrors_ |= severity == Severity::Error;
            return;
        }
        if (line > 0) ++lineFindings_;
        findings_.push_back({file_, line, severity, std::move(message), weather_, std::move(fixes)});
    }

    // Whether line findings are only counted now: then a caller need not
    // build the message of a warning (Add still counts it).
    bool Full() const { return lineFindings_ >= FindingLimit; }

    // Judges every line of the file; the reads must come from the same bytes.
    void CheckLines(std::string_view bytes) {
        platform::ProfileLexer lexer{};
        platform::BeginProfile(lexer, platform::ProfileHandler{this, nullptr, nullptr, &FileChecker::OnLine});
        platform::FeedProfile(lexer, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        platform::FinishProfile(lexer);
        EndBrokenBlock(lastLine_ + 1);
        weather_ = -1;
        if (std::all_of(firstSectionLine_.begin(), firstSectionLine_.end(), [](int line) { return line == 0; })) {
            Add(0, Severity::Note, "no section here is one the module reads: it uses the default of every key");
        }
    }

    // What only the loaded record shows: unreachable zones, settings that
    // do nothing, dead hotkeys.
    void CheckRecord() {
        for (int weather = 0; weather < WeatherCount; ++weather) {
            weather_ = weather;
            CheckZoneOrder(weather);
            CheckIdleSettings(weather);
        }
        weather_ = -1;
        CheckHotkeys();
    }

    // The findings in line order, file-wide ones first.
    std::vector<Finding> Finish() {
        if (dropped_ > 0) {
            findings_.push_back({file_,
                                 0,
                                 droppedErrors_ ? Severity::Error : Severity::Warning,
                                 Cat(std::to_string(dropped_), " more findings not shown (only the first ",
                                     std::to_string(FindingLimit), " are): this is hardly a configuration file"),
                                 -1,
                                 {}});
        }
        // The lines come in order; only the few findings of the whole file
        // and of the record are out of place.
        const auto byLine = [](const Finding& a, const Finding& b) { return a.line < b.line; };
        if (!std::is_sorted(findings_.begin(), findings_.end(), byLine)) {
            std::stable_sort(findings_.begin(), findings_.end(), byLine);
        }
        return std::move(findings_);
    }

    // The line of a read of the batch (0: the read took its default).
    int LineOfRead(size_t read) const { return static_cast<int>(batch_.reads[read].line); }

private:
    enum class Place { BeforeAny, Known, Ignored };

    static void OnLine(const ProfileLine& line, void* context) { static_cast<FileChecker*>(context)->Line(line); }

    void Line(const ProfileLine& line) {
        lastLine_ = line.number;
        if (line.kind == ProfileLineKind::Section) {
            EndBrokenBlock(line.number);
            Section(line);
            return;
        }
        if (line.nameLength > 0 && (line.name[0] == ';' || line.name[0] == '#')) return;  // a comment
        if (line.nameLength > 0 && line.name[0] == '[') {
            EndBrokenBlock(line.number);
            broken_ = {static_cast<int>(line.number), Display(line.name, KeptName(line), line.encoding)};
            return;
        }
        const bool used = IsUsedLine(line.number);
        if (broken_.line != 0 && !used) return;  // explained by the broken header
        switch (place_) {
        case Place::BeforeAny:
            if (Full()) return Add(line.number, Severity::Warning, {});
            Add(line.number, Severity::Warning,
                Cat(InQuotes{Display(line.name, KeptName(line), line.encoding)},
                    " stands before any section: the module never reads it; move it under its section"));
            return;
        case Place::Ignored: return;  // the section's own finding covers its keys
        case Place::Known: KeyLine(line, used); return;
        }
    }

    static size_t KeptName(const ProfileLine& line) { return std::min(line.nameLength, platform::ProfileNameCapacity); }
    static size_t KeptValue(const ProfileLine& line) {
        return std::min(line.valueLength, platform::ProfileValueCapacity);
    }

    bool IsUsedLine(uint32_t number) const { return std::binary_search(usedLines_.begin(), usedLines_.end(), number); }

    void Section(const ProfileLine& line) {
        const auto& sections = KnownSections();
        size_t known = SectionCount;
        for (size_t s = 0; s < sections.size() && known == SectionCount; ++s) {
            if (platform::ProfileNameIs(line, sections[s].name)) known = s;
        }
        // A repeated weather section still concerns its weather.
        weather_ = known != SectionCount && known >= 3 ? static_cast<WeatherIndex>(known - 3) : -1;
        const bool ignored = known == SectionCount || firstSectionLine_[known] != 0;
        if (ignored && Full()) {
            place_ = Place::Ignored;
            section_ = SectionCount;
            return Add(line.number, Severity::Warning, {});
        }
        const std::string name = ignored ? Display(line.name, KeptName(line), line.encoding) : std::string();
        if (known == SectionCount) {
            place_ = Place::Ignored;
            section_ = SectionCount;
            const std::string_view suggestion = Closest(name, SectionNames());
            Add(line.number, Severity::Warning,
                Cat("section [", name, "] matches no section the module reads, so every key in it is ignored",
                    suggestion.empty() ? "" : "; did you mean [", suggestion, suggestion.empty() ? "" : "]?"));
            return;
        }
        if (firstSectionLine_[known] != 0) {
            place_ = Place::Ignored;
            section_ = SectionCount;
            Add(line.number, Severity::Warning,
                Cat("section [", name, "] repeats the one on line ", std::to_string(firstSectionLine_[known]),
                    ": the module reads only the first, so every key here is ignored; merge the two"));
            return;
        }
        firstSectionLine_[known] = static_cast<int>(line.number);
        place_ = Place::Known;
        section_ = known;
        CheckMissingKeys(known);
    }

    // A '[' line without its ']': the module takes it for a key line, so the
    // lines below it stay in the section above. Named once, when its block ends.
    void EndBrokenBlock(uint32_t end) {
        if (broken_.line == 0) return;
        const int start = broken_.line;
        if (Full()) {
            broken_ = {};
            return Add(start, Severity::Error, {});
        }
        std::vector<std::string_view> taken;
        for (size_t r = 0; r < ConfigurationReadCount; ++r) {
            const int line = LineOfRead(r);
            if (line > start && line < static_cast<int>(end)) taken.emplace_back(batch_.reads[r].key);
        }
        std::string message =
            Cat(InQuotes{broken_.text}, " is no section header: it lacks its \"]\", so the module reads it as a key",
                " and the lines below it as part of the section above, ");
        switch (place_) {
        case Place::BeforeAny: message += "before any section, where the module reads nothing"; break;
        case Place::Ignored: message += "in a section the module ignores"; break;
        case Place::Known: Append(message, "in [", KnownSections()[section_].name, "]"); break;
        }
        if (!taken.empty() && place_ == Place::Known) {
            message += "; it takes";
            for (size_t i = 0; i < taken.size(); ++i) Append(message, i == 0 ? " " : ", ", taken[i]);
            Append(message, " from there for [", KnownSections()[section_].name, "]");
        }
        Append(message, "; write \"", broken_.text, "]\"");
        Add(start, Severity::Error, std::move(message));
        broken_ = {};
    }

    void KeyLine(const ProfileLine& line, bool used) {
        const KnownSection& section = KnownSections()[section_];
        size_t match = section.keys.size();
        for (size_t k = 0; k < section.keys.size() && match == section.keys.size(); ++k) {
            if (platform::ProfileNameIs(line, section.keys[k]->key)) match = k;
        }
        if (match == section.keys.size()) {
            if (Full()) return Add(line.number, Severity::Warning, {});
            const std::string name = Display(line.name, KeptName(line), line.encoding);
            Add(line.number, Severity::Warning,
                Cat("key ", InQuotes{name}, " matches no key of [", section.name, "], so the module ignores it",
                    DidYouMean{Closest(name, section.keyNames)}));
            return;
        }
        const SettingKey& key = *section.keys[match];
        const size_t read = section.reads[match];
        if (!used || LineOfRead(read) != static_cast<int>(line.number)) {
            Add(line.number, Severity::Warning,
                Cat(key.key, " repeats the one on line ", std::to_string(LineOfRead(read)),
                    ": the module reads only the first; delete one of them"));
            return;
        }
        if (!line.hasEquals) {
            Add(line.number, Severity::Warning,
                Cat(key.key, " has no \"=\": the module takes its default and ignores any later ", key.key,
                    " in this section; write ", key.key, "=value"));
            return;
        }
        CheckValue(line, key, read);
    }

    // The value as written (quotes off) for messages, and from `from` on.
    static std::string WrittenValue(const ProfileLine& line, size_t from = 0) {
        const size_t start = line.valueQuoted ? 1 : 0;
        const size_t length = line.valueLength - (line.valueQuoted ? 2 : 0);
        if (from >= length) return "";
        const size_t kept = std::min(KeptValue(line) - start, length);
        std::string written =
            Display(line.value + start + std::min(from, kept), kept - std::min(from, kept), line.encoding);
        if (length > kept && from < kept) written += "...";
        return written;
    }

    // Where a ';' or '#' after white space begins what the author meant as a
    // comment, in the value as written; npos when there is none.
    static size_t CommentStart(const ProfileLine& line) {
        const size_t start = line.valueQuoted ? 1 : 0;
        const size_t kept = KeptValue(line);
        for (size_t i = start; i < kept; ++i) {
            if ((line.value[i] == ';' || line.value[i] == '#') &&
                (i == start || platform::IsProfileSpace(line.value[i - 1]))) {
                return i - start;
            }
        }
        return std::string::npos;
    }

    void CheckValue(const ProfileLine& line, const SettingKey& key, size_t read) {
        if (line.valueCutAtNul) {
            Add(line.number, Severity::Warning,
                Cat(key.key, " = ", InQuotes{WrittenValue(line)},
                    " is followed by a NUL byte: the module reads up to it and ignores the rest "
                    "of the line; save the file as plain text"));
        }
        const size_t comment = CommentStart(line);
        if (comment != std::string::npos) {
            CheckCommentedValue(line, key, read, comment);
            return;
        }
        switch (key.kind) {
        case SettingKind::Flag:
        case SettingKind::Integer:
        case SettingKind::SmallInteger: CheckIntegerKinds(line, key); break;
        case SettingKind::KeyCode: CheckKeyCode(line, key, read); break;
        case SettingKind::Real: CheckReal(line, key, read); break;
        case SettingKind::Text: CheckText(line, key, read); break;
        case SettingKind::CloudName: CheckCloud(line, key, read); break;
        case SettingKind::WeatherName: CheckWeather(line, key, read); break;
        }
        const bool textKind =
            key.kind == SettingKind::Text || key.kind == SettingKind::CloudName || key.kind == SettingKind::WeatherName;
        if (line.encoding != ProfileEncoding::Ansi && textKind) CheckCodePage(line, key, read);
    }

    // "Key = value ; comment": the profile format has no comments after a value.
    void CheckCommentedValue(const ProfileLine& line, const SettingKey& key, size_t read, size_t comment) {
        const std::string_view name = key.key;
        const std::string_view mark = line.value[(line.valueQuoted ? 1 : 0) + comment] == '#' ? "#" : ";";
        const std::string head = Cat(name, " = ", InQuotes{WrittenValue(line)}, ": a ", InQuotes{mark},
                                     " after a value starts no comment; the module ");
        const char* advice = "; put the comment on a line of its own";
        const char* text = batch_.texts[read];
        // A number still reads when it stands before the comment: a warning;
        // when it does not, the value reads as 0: an error.
        const auto readsNumber = [&](const std::string& what, bool stoodBefore) {
            Add(line.number, stoodBefore ? Severity::Warning : Severity::Error,
                Cat(head, "reads ", what, stoodBefore ? ", and ignores the rest" : "", advice));
        };
        size_t used = 0;
        switch (key.kind) {
        case SettingKind::Flag:
        case SettingKind::Integer:
        case SettingKind::SmallInteger: {
            const platform::ProfileIntegerReading reading = platform::ReadProfileLineInteger(line, key.defaultNumber);
            readsNumber(Cat("the number, ", std::to_string(reading.number)),
                        !reading.empty && reading.used > 0 && reading.used <= comment);
            return;
        }
        case SettingKind::KeyCode: {
            const int32_t code = ParseKeyCode(text, &used);
            readsNumber(Cat("the code, ", KeyPhrase(code)), used > 0);
            return;
        }
        case SettingKind::Real: {
            const float number = ParseReal(text, &used);
            readsNumber(Cat("the number, ", ShortestRealText(number)), used > 0);
            return;
        }
        case SettingKind::Text:
            Add(line.number, Severity::Warning,
                Cat(head, "takes all of ",
                    InQuotes{Display(line.value, std::min<size_t>(KeptValue(line), TextLimit), line.encoding)},
                    " as the name", advice));
            return;
        case SettingKind::CloudName:
            Add(line.number, Severity::Warning,
                Cat(head, "takes all of it as the cloud name, which matches none, so it loads ",
                    InQuotes{FieldOfRead<char[SettingTextSize]>(key, read)}, advice));
            return;
        case SettingKind::WeatherName:
            Add(line.number, Severity::Warning,
                Cat(head, "takes all of it as the weather name, which matches none, so ", name,
                    " keeps its previous value", advice));
            return;
        }
    }

    // The field a key of the section being read fills.
    template <typename T> const T& FieldOfRead(const SettingKey& key, size_t) const {
        return FieldOf<T>(record_, section_, key);
    }

    // What a flag that reads as off leaves the module doing, said beside a
    // value that reads as off though it was probably meant as on.
    static std::string_view WhenOff(std::string_view key) {
        if (key == "AutoReload") return " (a saved edit then waits for the reload key)";
        if (key == "DefaultWind") return " (the module then sets the wind)";
        if (key == "Log") return " (the module then writes no atmosphere.log)";
        if (key == "EnableAlternateConfigFile") return " (this file is then the one read)";
        if (key == "EnableLightningAboveClouds") return " (no flashes above the clouds)";
        if (key == "EnableLightningInSpace") return " (no flashes in space)";
        return "";
    }

    void CheckIntegerKinds(const ProfileLine& line, const SettingKey& key) {
        const platform::ProfileIntegerReading reading = platform::ReadProfileLineInteger(line, key.defaultNumber);
        if (reading.empty) {
            Add(line.number, key.kind == SettingKind::Flag ? Severity::Warning : Severity::Note,
                Cat(key.key, " is empty: the module uses its default, ", std::to_string(key.defaultNumber),
                    key.kind != SettingKind::Flag ? ""
                    : key.defaultNumber == 1      ? ", which is on; write 1 (on) or 0 (off)"
                                             : Cat(", which is off", WhenOff(key.key), "; write 1 (on) or 0 (off)")));
            return;
        }
        const int32_t number = reading.number;
        const bool plain = reading.used == reading.length && reading.exact;
        if (plain && (key.kind != SettingKind::Flag || number == 0 || number == 1) &&
            (key.kind != SettingKind::Integer || (number >= 0 && number <= 255)) &&
            (key.kind != SettingKind::SmallInteger || (number >= 1 && number <= 127))) {
            return;
        }
        const std::string_view name = key.key;
        const std::string value = WrittenValue(line);
        if (key.kind == SettingKind::Flag) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " reads as ", std::to_string(number), ", which is ",
                    number == 1 ? "on" : Cat("off", WhenOff(name)),
                    ": only the number 1 switches it on; write 1 or 0"));
            return;
        }
        if (reading.used < reading.length) {
            const std::string rest = WrittenValue(line, reading.used);
            std::string why = reading.used == 0
                                  ? std::string(" is no number: it reads as 0")
                                  : Cat(" reads as ", std::to_string(number), " and ignores ", InQuotes{rest});
            if (reading.length > 29 && reading.used == 29) why += " (the module reads only the first 29 characters)";
            const bool capitalPrefix =
                value.size() > 1 && value[0] == '0' && (rest[0] == 'X' || rest[0] == 'O' || rest[0] == 'B');
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, why,
                    capitalPrefix ? "; the prefixes 0x, 0o and 0b must be lower case" : "; write a whole number"));
            return;  // what the number then does follows from that
        }
        if (!reading.exact) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " does not fit 32 bits: it reads as ", std::to_string(number),
                    "; write a smaller number"));
            return;
        }
        if (key.kind == SettingKind::Integer) {
            if (number < 0 || number > 255) {
                Add(line.number, Severity::Warning,
                    Cat(name, " = ", std::to_string(number),
                        " is outside 0..255: the game gets it unchanged; use 0..255"));
            }
            return;
        }
        CheckFrequency(line, name, number);
    }

    // LightningFrequency keeps the low 8 bits as a signed number, and a
    // negative one flashes as often as its magnitude: 1..127 are the values
    // that stay as written, and 128 acts like 127.
    void CheckFrequency(const ProfileLine& line, std::string_view name, int32_t number) {
        if (number >= 1 && number <= 127) return;
        const int stored = static_cast<int8_t>(static_cast<uint8_t>(number & 0xFF));
        const WeatherIndex weather = static_cast<WeatherIndex>(section_) - 3;
        const bool flashes = weather >= 0 && (record_.Weather[weather].EnableLightningAboveClouds ||
                                              record_.Weather[weather].EnableLightningInSpace);
        if (stored == 0) {
            // Without lightning in this weather no frequency matters.
            if (flashes) {
                Add(line.number, Severity::Warning,
                    Cat(name, " = ", std::to_string(number),
                        " is stored as 0: no lightning flash is ever asked for; "
                        "use 1 (rare) to 127 (often), or switch the lightning flags off"));
            }
            return;
        }
        const int magnitude = std::abs(stored);
        std::string message =
            Cat(name, " = ", std::to_string(number), " is outside 1..127: only its low 8 bits are kept, ",
                std::to_string(stored), stored < 0 ? " (as a signed number)" : "", ", which flashes as often as ");
        if (magnitude <= 127) {
            Append(message, std::to_string(magnitude), "; write ", std::to_string(magnitude), " for that",
                   magnitude < 127 ? ", or up to 127 for more often" : "");
        } else {
            message += "127 does, the most often; write 127";
        }
        Add(line.number, Severity::Warning, std::move(message));
    }

    void CheckKeyCode(const ProfileLine& line, const SettingKey& key, size_t read) {
        const std::string_view name = key.key;
        const std::string value = WrittenValue(line);
        const std::string_view text = batch_.texts[read];
        size_t used = 0;
        ParseKeyCode(text.data(), &used);
        const int32_t code = FieldOfRead<int32_t>(key, read);
        if (used == 0) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value},
                    " is no hexadecimal number: it reads as 0 and the hotkey never fires; "
                    "write a virtual-key code such as 0x2E (the Delete key)"));
            return;
        }
        if (used < text.size()) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " reads as ", KeyPhrase(code), ", and ignores ",
                    InQuotes{WrittenValue(line, used)}, "; write the code alone"));
        }
        const KeyCodeMeaning meaning = DescribeKeyCode(code);
        if (meaning.use == KeyCodeUse::OutOfRange) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " is ", code < 0 ? std::string("negative") : KeyCodeText(code),
                    ": only codes 0x01 to 0xFE can fire, so this hotkey never does"));
            return;
        }
        if (meaning.use == KeyCodeUse::MouseButton || meaning.use == KeyCodeUse::Unassigned) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " reads as ", KeyPhrase(code),
                    meaning.use == KeyCodeUse::MouseButton ? ", which reaches the module as no keyboard message" : "",
                    ": this hotkey never fires; write the code of a key, such as 0x2E (the Delete key)"));
            return;
        }
        // Digits alone look decimal but are read in base 16.
        const bool digitsOnly = used == text.size() && std::all_of(text.begin(), text.end(), [](char c) {
                                    return (c >= '0' && c <= '9') || c == ' ' || c == '\t';
                                });
        const char* digits = text.data() + text.find_first_not_of(" \t");
        const long decimal = std::strtol(digits, nullptr, 10);
        if (digitsOnly && decimal != code && decimal >= 0) {
            const bool decimalIsKey = decimal <= 0xFE;
            const auto decimalCode = static_cast<int32_t>(decimalIsKey ? decimal : 0);
            Add(line.number, Severity::Note,
                Cat(name, " = ", value, " is read as hexadecimal, ", KeyPhrase(code), ", not as the decimal ", value,
                    " (", decimalIsKey ? KeyPhrase(decimalCode) : "no key code", "); write ", KeyCodeText(code),
                    " to make that plain", decimalIsKey ? ", or " : "", decimalIsKey ? KeyCodeText(decimalCode) : "",
                    decimalIsKey ? " for the decimal's key" : ""));
        }
    }

    void CheckReal(const ProfileLine& line, const SettingKey& key, size_t read) {
        const std::string_view name = key.key;
        const std::string value = WrittenValue(line);
        const std::string_view text = batch_.texts[read];
        if (text.empty()) {
            Add(line.number, Severity::Error,
                Cat(name, " is empty: it reads as 0; write a number or delete the line for the default"));
            return;
        }
        size_t used = 0;
        ParseReal(text.data(), &used);
        const float number = FieldOfRead<float>(key, read);
        if (used == 0) {
            Add(line.number, Severity::Error,
                Cat(name, " = ", InQuotes{value},
                    " is no number: it reads as 0; write a number with \".\" as the decimal point"));
            return;
        }
        if (used < text.size()) {
            const std::string rest = WrittenValue(line, used);
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " reads as ", ShortestRealText(number), " and ignores ",
                    InQuotes{rest}, rest[0] == ',' ? "; the decimal point is \".\"" : "; write the number alone"));
        }
        if (!std::isfinite(number)) {
            Add(line.number, Severity::Warning,
                Cat(name, " = ", InQuotes{value}, " reads as ", ShortestRealText(number), "; write a finite number"));
        }
    }

    void CheckText(const ProfileLine& line, const SettingKey& key, size_t read) {
        const size_t written = line.valueLength - (line.valueQuoted ? 2 : 0);
        const std::string_view stored = batch_.texts[read];  // also for the alternate name, which fills no field
        if (stored.size() < written) {
            Add(line.number, Severity::Warning,
                Cat(key.key, " is ", std::to_string(written), " characters long: the module keeps the first ",
                    std::to_string(stored.size()), ", ",
                    InQuotes{Display(line.value + (line.valueQuoted ? 1 : 0), stored.size(), line.encoding)},
                    "; shorten it to ", std::to_string(TextLimit), line.valueQuoted ? " (62 in quotes)" : ""));
        }
    }

    void CheckCloud(const ProfileLine& line, const SettingKey& key, size_t read) {
        const std::string_view text = batch_.texts[read];
        for (const auto& cloud : CloudNames) {
            if (text == cloud) return;
        }
        static const std::vector<std::string> names(std::begin(CloudNames), std::end(CloudNames));
        std::string_view suggestion;
        for (const std::string& cloud : names) {
            if (std::equal(text.begin(), text.end(), cloud.begin(), cloud.end(),
                           [](char a, char b) { return FoldAscii(a) == FoldAscii(b); })) {
                suggestion = cloud;
            }
        }
        if (suggestion.empty()) suggestion = Closest(text, names);
        Add(line.number, Severity::Warning,
            Cat(key.key, " = ", InQuotes{WrittenValue(line)},
                " matches no cloud name (they are upper case and must match exactly): the module loads ",
                InQuotes{FieldOfRead<char[SettingTextSize]>(key, read)}, ", the set of NO_CLOUDS",
                DidYouMean{suggestion}));
    }

    void CheckWeather(const ProfileLine& line, const SettingKey& key, size_t read) {
        const std::string_view text = batch_.texts[read];
        if (FindWeatherByName(text.data()) >= 0) return;
        static const std::vector<std::string> names(std::begin(WeatherNames), std::end(WeatherNames));
        Add(line.number, Severity::Warning,
            Cat(key.key, " = ", InQuotes{WrittenValue(line)},
                " matches no weather name (upper case, exactly): the module leaves ", key.key, " as it was, ",
                key.defaultText, " on the first load, the previous file's value after a reload",
                DidYouMean{Closest(text, names)}));
    }

    // A Unicode file's text reaches the game in the Western code page, where
    // a character it lacks becomes '?'.
    void CheckCodePage(const ProfileLine& line, const SettingKey& key, size_t read) {
        const std::string_view text = batch_.texts[read];
        const size_t start = line.valueQuoted ? 1 : 0;
        bool lost = false;
        for (size_t i = 0; i < text.size() && start + i < KeptValue(line) && !lost; ++i) {
            lost = text[i] == '?' && line.value[start + i] != '?';
        }
        if (!lost) return;
        std::vector<ProfileUnit> bytes(text.begin(), text.end());
        for (ProfileUnit& byte : bytes) byte &= 0xFF;
        Add(line.number, Severity::Warning,
            Cat(key.key, " = ", InQuotes{WrittenValue(line)},
                " holds characters the Western code page lacks: the module reads ",
                InQuotes{Display(bytes.data(), bytes.size(), ProfileEncoding::Ansi)}, "; write ASCII only"));
    }

    void CheckZoneOrder(int weather) {
        const WeatherSettings& row = record_.Weather[weather];
        ZoneThresholdValues thresholds{};
        for (size_t i = 0; i < thresholds.size(); ++i) thresholds[i] = row.*Zones[i].upper;
        const ZoneSet unreachable = UnreachableZones(thresholds);
        if (unreachable == 0) return;
        std::string message = Cat("[", WeatherNames[weather], "] zone thresholds out of order (");
        for (size_t i = 0; i < thresholds.size(); ++i) {
            Append(message, i ? ", " : "", Zones[i].upperKey, " ", ShortestRealText(thresholds[i]));
        }
        Append(message, "): ", ZoneSetText(unreachable),
               " can no longer be reached; each threshold must lie above the one before");
        std::vector<std::vector<SettingEdit>> fixes;
        for (const std::vector<ThresholdChange>& changes : NearestOrder(thresholds)) {
            std::vector<SettingEdit> edits;
            for (const ThresholdChange& change : changes) {
                edits.push_back({WeatherNames[weather], Zones[change.index].upperKey, ShortestRealText(change.value)});
            }
            fixes.push_back(std::move(edits));
        }
        if (!fixes.empty()) {
            Append(message, ", so write ", AlternativesText(fixes, WeatherNames[weather]),
                   " (the nearest values that restore the order)");
        }
        int line = 0;
        for (size_t i = 1; i < thresholds.size() && line == 0; ++i) {
            if (!(thresholds[i] >= thresholds[i - 1])) line = LineOfRead(WeatherReadIndex(weather, i));
        }
        if (line == 0) line = firstSectionLine_[3 + static_cast<size_t>(weather)];
        Add(line, Severity::Error, std::move(message), std::move(fixes));
    }

    // A setting the file changed from the shipped value, which does nothing
    // as the file's other settings stand. A frequency of 0 that idles the
    // flags has its own warning on its line.
    void CheckIdleSettings(int weather) {
        const WeatherSettings& row = record_.Weather[weather];
        for (size_t key = 0; key < WeatherSettingKeyCount; ++key) {
            const int line = LineOfRead(WeatherReadIndex(weather, key));
            if (line == 0 || SameSettingValue(row, ShippedValues().Weather[weather], WeatherSettingKeys[key])) continue;
            const std::optional<UnusedSetting> unused = WhyUnused(key, weather, record_);
            if (!unused || unused->cause == UseCondition::LightningFrequency) continue;
            std::string message =
                Cat(WeatherSettingKeys[key].key, " does nothing in [", WeatherNames[weather], "]: ", unused->reason);
            if (!unused->remedies.empty()) {
                Append(message, "; write ", AlternativesText(unused->remedies, WeatherNames[weather]),
                       " for it to count");
            }
            Add(line, Severity::Note, std::move(message), unused->remedies);
        }
    }

    // A key missing from a section the file has takes its default; where
    // that differs from the shipped file's value, deleting the line changed
    // the game. Noted at the section's header, as the lines come: the reads
    // already know which keys the section lacks.
    void CheckMissingKeys(size_t known) {
        const KnownSection& section = KnownSections()[known];
        const int line = firstSectionLine_[known];
        for (size_t k = 0; k < section.keys.size(); ++k) {
            const SettingKey& key = *section.keys[k];
            if (key.offset == NotStored || LineOfRead(section.reads[k]) != 0) continue;
            if (weather_ < 0) {
                NoteMissingKey(section.name, line, key, DefaultValues(), ShippedValues());
            } else {
                NoteMissingKey(section.name, line, key, DefaultValues().Weather[weather_],
                               ShippedValues().Weather[weather_]);
            }
        }
    }

    // `Record`: AtmosphereSettings for a global key, WeatherSettings for a weather's.
    template <typename Record>
    void NoteMissingKey(const char* section, int line, const SettingKey& key, const Record& defaults,
                        const Record& shipped) {
        if (SameSettingValue(defaults, shipped, key)) return;
        const std::string fallback = SettingFileText(defaults, key), value = SettingFileText(shipped, key);
        const std::string_view quote = key.kind == SettingKind::Text ? "\"" : "";
        Add(line, Severity::Note,
            Cat(key.key, " is missing from [", section, "]: the module then uses its default, ", quote, fallback, quote,
                ", where the shipped file has ", quote, value, quote, "; write ", key.key, "=", value,
                " for the shipped value"),
            {{{section, key.key, value}}});
    }

    // Two hotkeys on one key: the one the script tests first takes every
    // release. Each clash gets a key no hotkey uses, a different one each.
    void CheckHotkeys() {
        struct Hotkey {
            const SettingKey* key;
            int32_t code;
            size_t read;
        };
        std::vector<Hotkey> keys;
        std::vector<int32_t> taken;
        for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
            const SettingKey& key = GlobalSettingKeys[row];
            if (key.kind != SettingKind::KeyCode) continue;
            keys.push_back({&key, SettingField<int32_t>(record_, key), GlobalReadIndex(row)});
            taken.push_back(keys.back().code);
        }
        for (size_t later = 1; later < keys.size(); ++later) {
            for (size_t earlier = 0; earlier < later; ++earlier) {
                const Hotkey& a = keys[earlier];
                const Hotkey& b = keys[later];
                if (a.code != b.code || DescribeKeyCode(b.code).use != KeyCodeUse::Key) continue;
                std::string message = Cat(b.key->key, " and ", a.key->key, " are both ", KeyPhrase(b.code), ": ",
                                          a.key->key, " takes every release first, so ", b.key->key, " never fires");
                std::vector<std::vector<SettingEdit>> fixes;
                const auto free = std::find_if(std::begin(FreeKeyCodes), std::end(FreeKeyCodes), [&](int32_t code) {
                    return std::find(taken.begin(), taken.end(), code) == taken.end();
                });
                if (free != std::end(FreeKeyCodes)) {
                    taken.push_back(*free);
                    fixes.push_back({{b.key->section, b.key->key, KeyCodeText(*free)}});
                    Append(message, "; give it a key of its own: write ", EditText(fixes.front(), b.key->section), " (",
                           DescribeKeyCode(*free).name,
                           "), which no other hotkey uses and the game leaves "
                           "free in single player");
                } else {
                    message += "; give each action its own key";
                }
                Add(LineOfRead(b.read), Severity::Warning, std::move(message), std::move(fixes));
                break;
            }
        }
    }

    struct BrokenHeader {
        int line = 0;      // 0: none open
        std::string text;  // the line as written
    };

    std::string file_;
    const ConfigurationReads& batch_;
    const AtmosphereSettings& record_;
    std::vector<uint32_t> usedLines_;  // lines some read took its value from, sorted
    std::vector<Finding> findings_;
    size_t lineFindings_ = 0;
    size_t dropped_ = 0;
    bool droppedErrors_ = false;

    Place place_ = Place::BeforeAny;
    size_t section_ = SectionCount;                     // the known section being read, when place_ is Known
    std::array<int, SectionCount> firstSectionLine_{};  // first header line of each known section
    BrokenHeader broken_;
    uint32_t lastLine_ = 0;
    WeatherIndex weather_ = -1;  // the weather the findings added now concern
};

std::string AlternatePathBeside(const std::string& file, const std::string& name) {
    std::string alternate = (PathFromText(file).parent_path() / PathFromText(name)).string();
    std::replace(alternate.begin(), alternate.end(), '\\', '/');
    return alternate;
}

FileContent ReadContent(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file = PathFromText(path);
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) return {"", "is not there"};
    if (!fs::is_regular_file(status)) return {"", "is " + DescribeNonFile(path) + ", not a file"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {"", fs::exists(file, error) ? "cannot be read" : "is not there"};  // it may have just gone
    // The bytes the file has now; a file that changes meanwhile is checked as read.
    const auto size = fs::file_size(file, error);
    FileContent content;
    content.bytes.resize(error ? 0 : static_cast<size_t>(size));
    in.read(content.bytes.data(), static_cast<std::streamsize>(content.bytes.size()));
    content.bytes.resize(static_cast<size_t>(in.gcount()));
    return content;
}

}  // namespace

CheckedText CheckConfigurationText(const std::string& file, std::string_view bytes,
                                   const std::function<FileContent(const std::string& path)>& readAlternate) {
    CheckedText result;
    ResetSettingsToStartValues(result.settings);
    const auto kept = std::make_shared_for_overwrite<ConfigurationReads>();
    ConfigurationReads& batch = *kept;
    ReadFromBytes(bytes, batch);
    result.reads = kept;
    FileChecker checker(file, batch, result.settings);
    const char* redirect = ConfigurationRedirect(batch);
    const int switchLine = checker.LineOfRead(GlobalReadIndex(AlternateSwitchRow));
    if (redirect == nullptr) {
        if (batch.reads[AlternateSwitchRow].number == 1) {
            checker.Add(
                switchLine, Severity::Note,
                "EnableAlternateConfigFile is 1 but the alternate file is atmosphere.ini, which the module never "
                "switches to: the rest of this file is read");
        }
        StoreConfigurationReads(batch, result.settings);
        checker.CheckLines(bytes);
        checker.CheckRecord();
        result.findings = checker.Finish();
        return result;
    }

    // The module reads the alternate file instead, and nothing else of this one.
    const std::string alternatePath = AlternatePathBeside(file, redirect);
    const std::string alternateName = Printable(alternatePath);
    checker.Add(switchLine, Severity::Note,
                Cat("EnableAlternateConfigFile is 1: the module reads ", InQuotes{Printable(redirect)},
                    " instead of this file, and nothing else here counts"));
    const FileContent alternate = readAlternate(alternatePath);
    if (!alternate.problem.empty()) {
        const auto defaults = DefaultReads();
        StoreConfigurationReads(*defaults, result.settings);
        result.reads = defaults;
        const int nameLine = checker.LineOfRead(GlobalReadIndex(AlternateNameRow));
        checker.Add(nameLine != 0 ? nameLine : switchLine, Severity::Warning,
                    Cat("the alternate file ", InQuotes{alternateName}, " ", alternate.problem,
                        ": the module would use the default of every key"));
        result.findings = checker.Finish();
        return result;
    }
    result.findings = checker.Finish();

    const auto alternateReads = std::make_shared_for_overwrite<ConfigurationReads>();
    ConfigurationReads& alternateBatch = *alternateReads;
    ReadFromBytes(alternate.bytes, alternateBatch);
    result.reads = alternateReads;
    StoreConfigurationReads(alternateBatch, result.settings);
    FileChecker other(alternateName, alternateBatch, result.settings);
    if (const char* again = ConfigurationRedirect(alternateBatch); again != nullptr) {
        other.Add(other.LineOfRead(GlobalReadIndex(AlternateSwitchRow)), Severity::Warning,
                  Cat("this file redirects again, to ", InQuotes{Printable(again)},
                      ": the module follows one redirect only and reads this file"));
    }
    other.CheckLines(alternate.bytes);
    other.CheckRecord();
    std::vector<Finding> more = other.Finish();
    result.findings.insert(result.findings.end(), more.begin(), more.end());
    return result;
}

CheckedText CheckConfigurationFile(const std::string& path, bool* unreadable) {
    if (unreadable != nullptr) *unreadable = false;
    const FileContent content = ReadContent(path);
    if (content.problem.empty()) return CheckConfigurationText(path, content.bytes, ReadContent);
    // No file, or none to read: the module uses the default of every key.
    CheckedText result;
    ResetSettingsToStartValues(result.settings);
    result.reads = DefaultReads();
    StoreConfigurationReads(*result.reads, result.settings);
    if (content.problem == "is not there") {
        result.findings = {
            {path,
             0,
             Severity::Error,
             "file not found: the module would use the default of every key; check the name and the folder",
             -1,
             {}}};
        return result;
    }
    if (unreadable != nullptr) *unreadable = true;
    result.findings = {
        {path, 0, Severity::Error, path + " " + content.problem + ": there is no configuration to check", -1, {}}};
    return result;
}

std::vector<Finding> CheckConfiguration(const std::string& path, bool* unreadable) {
    return CheckConfigurationFile(path, unreadable).findings;
}

std::string FormatFinding(const Finding& finding) {
    static constexpr const char* Names[] = {"note", "warning", "error"};
    std::string text = finding.file;
    if (finding.line > 0) {
        text += ':';
        text += std::to_string(finding.line);
    }
    text += ": ";
    text += Names[static_cast<int>(finding.severity)];
    text += ": ";
    text += finding.message;
    return text;
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.severity == Severity::Error; });
}

std::string CountFindings(const std::vector<Finding>& findings) {
    static constexpr const char* Names[] = {"note", "warning", "error"};
    size_t counts[3] = {};
    for (const Finding& finding : findings) ++counts[static_cast<int>(finding.severity)];
    std::string text;
    for (int severity = 2; severity >= 0; --severity) {
        const size_t count = counts[severity];
        if (count == 0) continue;
        Append(text, text.empty() ? "" : ", ", std::to_string(count), " ", Names[severity], count == 1 ? "" : "s");
    }
    return text.empty() ? "no problems" : text;
}

std::vector<WeatherIndex> WeathersConcerned(const std::vector<Finding>& findings, Severity severity) {
    std::vector<WeatherIndex> weathers;
    for (const Finding& finding : findings) {
        if (finding.severity != severity || finding.weather < 0) continue;
        if (std::find(weathers.begin(), weathers.end(), finding.weather) == weathers.end()) {
            weathers.push_back(finding.weather);
        }
    }
    return weathers;
}

}  // namespace preview
