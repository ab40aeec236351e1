// `atmosphere-sim set FILE SECTION.Key=VALUE... [--in-place]`: the file with
// the values set (tools/common/profile_edit.h), every other byte as it was.
// Without --in-place the result goes to standard output; with it, to a
// temporary file beside FILE that is then renamed over it, so that the game
// reading the file while it is saved sees either the old file or the new
// one, never half of one. Every assignment is checked before anything is
// written: an unknown section or key gets the closest name, a value the
// module would take otherwise gets how it reads.
#include "tools/atmosphere-sim/set_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/common/closest_name.h"
#include "tools/common/configuration_path.h"
#include "tools/common/profile_edit.h"
#include "tools/common/setting_value.h"
#include "tools/common/weather_name.h"
#include "tools/atmosphere-sim/console.h"

namespace {

struct SetOptions {
    std::string path;
    std::vector<std::string> assignments;
    bool inPlace = false;
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// The key table's rows of one section.
struct SectionKeys {
    std::string name;  // as the shipped file writes it
    std::vector<const SettingKey*> keys;
};

std::vector<SectionKeys> KnownSections() {
    std::vector<SectionKeys> sections;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (sections.empty() || sections.back().name != key.section) sections.push_back({key.section, {}});
        sections.back().keys.push_back(&key);
    }
    for (const char* weather : WeatherNames) {
        sections.push_back({weather, {}});
        for (const SettingKey& key : WeatherSettingKeys) sections.back().keys.push_back(&key);
    }
    return sections;
}

std::string DidYouMean(std::string_view name, const std::vector<std::string>& candidates) {
    const std::string_view closest = Closest(name, candidates);
    return closest.empty() ? "" : "; did you mean " + std::string(closest) + "?";
}

// SECTION.Key=VALUE as an edit in the key table's spelling, or why not.
std::string ReadAssignment(const std::string& text, const std::vector<SectionKeys>& sections, ProfileEdit& edit) {
    const size_t equals = text.find('=');
    const size_t dot = text.find('.');
    if (equals == std::string::npos || dot == std::string::npos || dot > equals) {
        return "\"" + text + "\" is no SECTION.Key=VALUE (for example RAIN.NormalZoneEnd=500)";
    }
    const std::string section = text.substr(0, dot), key = text.substr(dot + 1, equals - dot - 1);
    edit.value = text.substr(equals + 1);
    std::vector<std::string> names;
    for (const SectionKeys& known : sections) {
        names.push_back(known.name);
        if (!SameIgnoringCase(known.name, section)) continue;
        edit.section = known.name;
        std::vector<std::string> keyNames;
        for (const SettingKey* row : known.keys) {
            keyNames.push_back(row->key);
            if (!SameIgnoringCase(row->key, key)) continue;
            edit.key = row->key;
            const std::string misread = ValueMisread(*row, edit.value);
            if (!misread.empty()) return section + "." + key + ": " + misread;
            return "";
        }
        return "the module reads no key \"" + key + "\" in [" + known.name + "]" + DidYouMean(key, keyNames);
    }
    return "the module reads no section [" + section + "]" + DidYouMean(section, names);
}

// Writes `bytes` to a new file beside `path` and renames it over `path`.
std::string ReplaceFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".set-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return "cannot write beside it (is its folder read-only?)";
        }
    }
    std::error_code error;
    // The new file keeps the old one's permissions.
    std::filesystem::permissions(temporary, std::filesystem::status(path, error).permissions(), error);
    if (const std::string problem = MoveOver(temporary, path); !problem.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return "cannot replace it: " + problem;
    }
    return "";
}

int RunSet(const SetOptions& options) {
    const auto fail = [&](const std::string& message) {
        std::cerr << "atmosphere-sim: " << options.path << ": " << message << '\n';
        return 2;
    };
    const std::vector<SectionKeys> sections = KnownSections();
    std::vector<ProfileEdit> edits;
    for (const std::string& assignment : options.assignments) {
        ProfileEdit edit;
        const std::string problem = ReadAssignment(assignment, sections, edit);
        if (!problem.empty()) return fail(problem);
        edits.push_back(edit);
    }

    const std::filesystem::path path = PathFromText(options.path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return fail("file not found");
    if (!std::filesystem::is_regular_file(status)) return fail(DescribeNonFile(options.path) + ", not a configuration file");
    if (options.inPlace && (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
        return fail("the file is read-only; nothing was written");
    }
    std::ostringstream content;
    {
        // Closed before the file is replaced: Windows keeps an open file in its place.
        std::ifstream in(path, std::ios::binary);
        content << in.rdbuf();
        if (!in) return fail("cannot be read");
    }
    const std::string edited = ApplyProfileEdits(content.str(), edits);

    if (!options.inPlace) {
        std::cout.write(edited.data(), static_cast<std::streamsize>(edited.size()));
        return 0;
    }
    const std::string problem = ReplaceFile(path, edited);
    if (!problem.empty()) return fail(problem);
    return 0;
}

}  // namespace

void AddSetCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<SetOptions>();
    CLI::App* command = app.add_subcommand(
        "set", "Set values in a configuration file, leaving every other byte as it was, and print it");
    command->add_option("FILE", options->path, "Configuration file")->required();
    command->add_option("SETTING", options->assignments, "SECTION.Key=VALUE, for example RAIN.NormalZoneEnd=500")
        ->required();
    command->add_flag("--in-place", options->inPlace, "Write the file itself instead of printing it");
    command->callback([options, &exitCode] { exitCode = RunSet(*options); });
}
