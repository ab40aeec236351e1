// The installation check. Every name is matched without regard to case, as
// Windows matches file names; every file is looked at through a bounded
// read (the PE headers and resources, the first megabyte of the log).
#include "tools/doctor/doctor.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <system_error>

#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/common/configuration_path.h"
#include "tools/doctor/pe_version.h"
#include "tools/doctor/session_log.h"

namespace doctor {
namespace {

namespace fs = std::filesystem;
using preview::Finding;
using preview::Severity;

constexpr char HostName[] = "ScriptHookV.dll";
constexpr char LoaderName[] = "dinput8.dll";
constexpr char ModuleName[] = "atmosphere.asi";
constexpr char LogName[] = "atmosphere.log";
// Where modules and their hosts get misplaced: the host's own "bin" folder
// copied whole, the folders other loaders and mods use, and any folder named
// after this module (the release unpacked into a folder of its own).
constexpr const char* MisplacedFolders[] = {"bin", "scripts", "plugins", "mods", "asi"};
// PE files read at most; a folder with more is not a game's folder.
constexpr size_t CandidateLimit = 4000;

Finding About(const fs::path& path, Severity severity, std::string message) {
    Finding finding;
    finding.file = path.string();
    finding.severity = severity;
    finding.message = std::move(message);
    return finding;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Entry {
    fs::path path;
    std::string name;   // as on disk
    std::string lower;  // for matching
    std::string where;  // "" at the top level, else the sub-folder's name
    bool isFile = false;
};

bool IsMisplacementFolder(const std::string& lower);

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The names the examination ever looks at: the module's files under any
// name, every .asi and .dll, and the folders where they get misplaced.
bool MayMatter(const std::string& lower) {
    return lower.find("atmosphere") != std::string::npos || EndsWith(lower, ".asi") || EndsWith(lower, ".dll") ||
           IsMisplacementFolder(lower);
}

// The entries of one folder that may matter; a folder that cannot be read
// gives a note. Only those are looked at more closely: asking every one of a
// game's tens of thousands of files what it is would take seconds on some
// systems.
std::vector<Entry> List(const fs::path& folder, const std::string& where, std::vector<Finding>& findings) {
    std::vector<Entry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string lower = Lower(it->path().filename().string());
        if (!MayMatter(lower)) continue;
        Entry entry;
        entry.path = it->path();
        entry.name = it->path().filename().string();
        entry.lower = std::move(lower);
        entry.where = where;
        std::error_code status;
        entry.isFile = it->is_regular_file(status);
        entries.push_back(std::move(entry));
    }
    if (error) {
        findings.push_back(
            About(folder, Severity::Note, "cannot be read (" + error.message() + "): what it holds was not examined"));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.lower < b.lower; });
    return entries;
}

bool IsMisplacementFolder(const std::string& lower) {
    if (lower.find("atmosphere") != std::string::npos) return true;
    return std::find(std::begin(MisplacedFolders), std::end(MisplacedFolders), lower) != std::end(MisplacedFolders);
}

std::string Shown(const Entry& entry) {
    return entry.where.empty() ? entry.name : (fs::path(entry.where) / entry.name).string();
}

// What a player who hides extensions in Explorer sees as atmosphere.ini.
bool LooksLikeTheSettingsFile(const std::string& lower) {
    if (lower == DefaultConfigFileName) return false;
    if (lower.rfind("atmosphere.ini", 0) != 0) return false;
    const std::string rest = lower.substr(std::string("atmosphere.ini").size());
    return rest == ".txt" || rest == ".ini" || rest.find_first_not_of(" .") == std::string::npos;
}

struct Installation {
    fs::path folder;  // as given
    std::string place;  // the folder in full, for advice: "move it to C:\\Games\\X"
    std::vector<Entry> top;
    std::vector<Entry> below;  // entries of the sub-folders looked into
    std::vector<Finding>& findings;

    void Add(const fs::path& path, Severity severity, std::string message) {
        findings.push_back(About(path, severity, std::move(message)));
    }

    const Entry* Top(const std::string& lowerName) const {
        for (const Entry& entry : top) {
            if (entry.isFile && entry.lower == lowerName) return &entry;
        }
        return nullptr;
    }

    std::vector<const Entry*> Below(const std::string& lowerName) const {
        std::vector<const Entry*> found;
        for (const Entry& entry : below) {
            if (entry.isFile && entry.lower == lowerName) found.push_back(&entry);
        }
        return found;
    }
};

// A DLL the game needs beside its executable: there, misplaced, or missing.
// Returns whether it is at the top level.
bool CheckBesideTheGame(Installation& at, const std::string& name, const std::string& what, bool missingIsError,
                        const std::string& missingAdvice) {
    if (at.Top(Lower(name)) != nullptr) return true;
    const auto misplaced = at.Below(Lower(name));
    for (const Entry* entry : misplaced) {
        at.Add(entry->path, Severity::Error,
               what + " is in the folder " + entry->where + ", where the game does not load it: move it to " +
                   at.place);
    }
    if (misplaced.empty()) {
        at.Add(at.folder / name, missingIsError ? Severity::Error : Severity::Warning,
               what + " is not in the game's folder: " + missingAdvice);
    }
    return false;
}

struct ModuleCopy {
    const Entry* entry;
    PeVersion version;
};

// Every file at the top level or in the looked-at sub-folders that is the
// module by its version resource, whatever its name; and the files named
// atmosphere.asi that are not.
void FindModules(Installation& at, std::vector<ModuleCopy>& copies, std::vector<const Entry*>& impostors,
                 size_t& unread) {
    std::vector<const Entry*> candidates;
    for (const auto* list : {&at.top, &at.below}) {
        for (const Entry& entry : *list) {
            if (!entry.isFile) continue;
            if (EndsWith(entry.lower, ".asi") || EndsWith(entry.lower, ".dll") ||
                entry.lower.find("atmosphere") != std::string::npos) {
                candidates.push_back(&entry);
            }
        }
    }
    for (const Entry* entry : candidates) {
        if (entry->lower == DefaultConfigFileName || entry->lower == LogName) continue;
        if (copies.size() + impostors.size() >= CandidateLimit) {
            ++unread;
            continue;
        }
        PeVersion version = ReadPeVersion(entry->path);
        const bool isModule = version.kind == PeKind::Versioned && version.productName == "Atmosphere" &&
                              Lower(version.originalFilename) == ModuleName;
        if (isModule) {
            copies.push_back({entry, std::move(version)});
        } else if (entry->lower == ModuleName) {
            impostors.push_back(entry);
        }
    }
}

// Where the module is, under which names, and how many copies.
std::optional<ModuleCopy> CheckModule(Installation& at, const std::string& toolVersion) {
    std::vector<ModuleCopy> copies;
    std::vector<const Entry*> impostors;
    size_t unread = 0;
    FindModules(at, copies, impostors, unread);
    if (unread > 0) {
        at.Add(at.folder, Severity::Note,
               std::to_string(unread) + " more .asi and .dll files were not looked at: too many for a game's folder");
    }
    for (const Entry* entry : impostors) {
        const PeVersion version = ReadPeVersion(entry->path);
        const std::string what = version.kind == PeKind::NotPe       ? "is not a Windows module at all"
                                 : version.kind == PeKind::Truncated ? "is cut short"
                                                                     : "is another module under this module's name";
        at.Add(entry->path, Severity::Error,
               what + ": a damaged or incomplete download, or another file renamed; copy atmosphere.asi from the "
                      "release again");
    }

    std::optional<ModuleCopy> installed;
    for (const ModuleCopy& copy : copies) {
        const Entry& entry = *copy.entry;
        if (!entry.where.empty()) {
            at.Add(entry.path, Severity::Error,
                   "the module is in the folder " + entry.where +
                       ", where the script host's ASI loader does not look: move it to " + at.place);
        } else if (entry.lower == ModuleName) {
            installed = copy;
        } else if (EndsWith(entry.lower, ".asi")) {
            at.Add(entry.path, Severity::Error,
                   "the module under another name: the loader loads it as well as any other copy; name it "
                   "atmosphere.asi and keep only that one");
        } else {
            at.Add(entry.path, Severity::Error,
                   "the module under another name; the loader loads only files that end in .asi (Explorer may hide "
                   "the ending): rename it to atmosphere.asi");
        }
    }
    if (copies.size() > 1) {
        std::string names;
        for (const ModuleCopy& copy : copies) names += (names.empty() ? "" : ", ") + Shown(*copy.entry);
        at.Add(at.folder, Severity::Error,
               std::to_string(copies.size()) + " copies of the module (" + names +
                   "): where a loader loads more than one, the module runs twice; keep only atmosphere.asi in the "
                   "game's folder");
    }
    if (copies.empty() && impostors.empty()) {
        at.Add(at.folder / ModuleName, Severity::Error,
               "the module is not in the game's folder: copy atmosphere.asi from the release beside the game's "
               "executable");
    }
    if (installed && installed->version.fileVersion != toolVersion) {
        at.Add(installed->entry->path, Severity::Warning,
               "the module is version " + installed->version.fileVersion + ", this tool " + toolVersion +
                   ": its check and preview may differ from what this module does; use the module and the tool of "
                   "one release");
    }
    return installed;
}

// atmosphere.ini: there, under a name Explorer shows as it, or an edited
// copy elsewhere. Returns its path when it is where the module reads it.
const Entry* CheckSettingsFile(Installation& at) {
    const Entry* file = at.Top(DefaultConfigFileName);
    std::vector<const Entry*> lookalikes;
    for (const Entry& entry : at.top) {
        if (entry.isFile && LooksLikeTheSettingsFile(entry.lower)) lookalikes.push_back(&entry);
    }
    for (const Entry* entry : lookalikes) {
        if (file != nullptr) {
            at.Add(entry->path, Severity::Warning,
                   "not read: the module reads atmosphere.ini only; Explorer may show this file under that name "
                   "when it hides endings (View > Show > File name extensions)");
        } else {
            at.Add(entry->path, Severity::Error,
                   "the module reads atmosphere.ini, and this file is named \"" + entry->name +
                       "\" (Explorer hides the ending when it hides extensions): rename it to atmosphere.ini");
        }
    }
    for (const Entry* entry : at.Below(DefaultConfigFileName)) {
        at.Add(entry->path, file != nullptr ? Severity::Note : Severity::Warning,
               "not read: the module reads atmosphere.ini from the game's folder only; edit that one" +
                   std::string(file != nullptr ? "" : " (copy this one there)"));
    }
    if (file == nullptr && lookalikes.empty()) {
        at.Add(at.folder / DefaultConfigFileName, Severity::Warning,
               "no settings file: the module runs with the default of every setting; copy atmosphere.ini from the "
               "release beside the game's executable");
    }
    return file;
}

void CheckVerdict(Installation& at, const Entry& file) {
    const std::vector<Finding> findings = preview::CheckConfiguration(file.path.string());
    int errors = 0, warnings = 0;
    for (const Finding& finding : findings) {
        errors += finding.severity == Severity::Error;
        warnings += finding.severity == Severity::Warning;
    }
    const auto count = [](int n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    const std::string command = "atmosphere-sim check \"" + file.path.string() + "\"";
    if (errors + warnings == 0) {
        at.Add(file.path, Severity::Note, "the check finds no problems");
    } else {
        at.Add(file.path, errors > 0 ? Severity::Warning : Severity::Note,
               "the check finds " + count(errors, "error") + " and " + count(warnings, "warning") +
                   ": run " + command);
    }
}

bool CanWrite(const fs::path& folder) {
    const fs::path probe = folder / ".atmosphere-doctor-probe.tmp";
    {
        std::ofstream file(probe, std::ios::binary);
        if (!file) return false;
    }
    std::error_code ignored;
    fs::remove(probe, ignored);
    return true;
}

// What the log says of the last session, and what its absence says.
void CheckLastSession(Installation& at, const std::optional<ModuleCopy>& installed, bool logSwitchedOff) {
    const Entry* logEntry = at.Top(LogName);
    if (logEntry == nullptr) {
        if (!installed) return;
        if (logSwitchedOff) {
            at.Add(at.folder / LogName, Severity::Note, "no log: atmosphere.ini switches it off ([DEBUG] Log=0)");
            return;
        }
        at.Add(at.folder / LogName, Severity::Warning,
               "no log: the module has not run since it was installed. If the game has been started since, the ASI "
               "loader did not load it: check that dinput8.dll and ScriptHookV.dll are those of the script host, "
               "for this game version");
        return;
    }
    const SessionLog log = ReadSessionLog(logEntry->path);
    if (!log.looksLikeTheLog) {
        at.Add(logEntry->path, Severity::Warning,
               "holds no start of the module: not its log, or damaged; the next start of the game writes it anew");
        return;
    }
    std::error_code error;
    if (installed &&
        fs::last_write_time(logEntry->path, error) < fs::last_write_time(installed->entry->path, error) && !error) {
        at.Add(logEntry->path, Severity::Warning,
               "older than atmosphere.asi: the module has not run since it was installed. If the game has been "
               "started since, the ASI loader did not load it");
    }
    at.Add(logEntry->path, Severity::Note,
           "the last session started " + log.started + (log.version.empty() ? "" : " (atmosphere " + log.version + ")"));
    for (const std::string& line : log.settings) at.Add(logEntry->path, Severity::Note, "its first load: " + line);
    if (!log.flagByte.empty()) at.Add(logEntry->path, Severity::Note, "the flag byte: " + log.flagByte);
    at.Add(logEntry->path, Severity::Note,
           std::to_string(log.reloads) + (log.reloads == 1 ? " reload" : " reloads") + " in that session");
    if (log.unloaded) {
        at.Add(logEntry->path, Severity::Note, "it ended with an unload, which gave the game its atmosphere back");
    } else if (!log.full && !log.logOff) {
        at.Add(logEntry->path, Severity::Warning,
               "it did not end with an unload: the game is still running, or it closed without unloading the "
               "module, or it crashed");
    }
}

// Whether the module in the game's folder has written its log since it was
// put there: then something loads it, whatever the loader is called.
bool RanSinceInstalled(const Installation& at) {
    const Entry* module = at.Top(ModuleName);
    const Entry* logEntry = at.Top(LogName);
    if (module == nullptr || logEntry == nullptr || !ReadSessionLog(logEntry->path).looksLikeTheLog) return false;
    std::error_code error;
    const auto logWritten = fs::last_write_time(logEntry->path, error);
    const auto installed = fs::last_write_time(module->path, error);
    return !error && logWritten >= installed;
}

// Whether the settings file, read as the module reads it, switches the log off.
bool LoadsWithLogSwitchedOff(const fs::path& file) {
    LoadConfigurationFromPath(file.string());
    return !Settings.Log;
}

}  // namespace

Examination ExamineInstallation(const std::string& folderText, const std::string& toolVersion) {
    Examination result;
    const fs::path folder = PathFromText(folderText.empty() ? "." : folderText);
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (error || !fs::exists(status)) {
        result.findings.push_back(About(folder, Severity::Error, "no such folder"));
        result.status = 2;
        return result;
    }
    if (!fs::is_directory(status)) {
        result.findings.push_back(About(
            folder, Severity::Error, "is a file, not a folder: give the game's folder, the one that holds the game's "
                                     "executable"));
        result.status = 2;
        return result;
    }
    Installation at{folder, fs::absolute(folder, error).lexically_normal().string(), {}, {}, result.findings};
    while (at.place.size() > 1 && (at.place.back() == '/' || at.place.back() == '\\')) at.place.pop_back();
    at.top = List(folder, "", result.findings);
    if (!result.findings.empty()) {
        result.status = 2;
        return result;
    }
    for (const Entry& entry : at.top) {
        if (entry.isFile || !IsMisplacementFolder(entry.lower)) continue;
        // One that cannot even be looked at (a link to nowhere, no right to
        // see it) is listed all the same, which says why it cannot be read.
        std::error_code isFolder;
        if (!fs::is_directory(entry.path, isFolder) && !isFolder) continue;
        auto inside = List(entry.path, entry.name, result.findings);
        at.below.insert(at.below.end(), inside.begin(), inside.end());
    }

    CheckBesideTheGame(at, HostName, "the script host ScriptHookV.dll", true,
                       "install the script host (it is not part of this module) beside the game's executable");
    CheckBesideTheGame(at, LoaderName, "the ASI loader dinput8.dll, which comes with the script host,",
                       !RanSinceInstalled(at),
                       "without an ASI loader no .asi module is loaded; copy dinput8.dll from the script host's "
                       "release (ignore this if another ASI loader runs the module)");
    const std::optional<ModuleCopy> installed = CheckModule(at, toolVersion);
    const Entry* settingsFile = CheckSettingsFile(at);
    bool logSwitchedOff = false;
    if (settingsFile != nullptr) {
        CheckVerdict(at, *settingsFile);
        logSwitchedOff = LoadsWithLogSwitchedOff(settingsFile->path);
    }
    if (!CanWrite(folder)) {
        at.Add(folder, Severity::Warning,
               "cannot be written: the module cannot write its log there. Games installed under Program Files "
               "often are; run the game from a folder of your own");
    }
    CheckLastSession(at, installed, logSwitchedOff);

    for (const Finding& finding : result.findings) {
        if (finding.severity == Severity::Error) result.status = 1;
    }
    return result;
}

bool HoldsTheModuleOrItsHost(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string lower = Lower(it->path().filename().string());
        if (lower == Lower(HostName) || lower == ModuleName) return true;
    }
    return false;
}

}  // namespace doctor
