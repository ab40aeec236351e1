// The double-click and drop side of atmosphere-sim.
#include "tools/atmosphere-sim/launch.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "sim/path_text.h"
#include "tools/doctor/doctor.h"
#include "tools/preview/commands.h"

namespace fs = std::filesystem;

Invocation ClassifyArguments(const std::vector<std::string>& arguments, const std::vector<std::string>& subcommands,
                             const std::vector<std::string>& options) {
    if (arguments.empty()) return Invocation::NoArgument;
    const std::string& first = arguments.front();
    const auto among = [&first](const std::vector<std::string>& names) {
        return std::find(names.begin(), names.end(), first) != names.end();
    };
    if (first.empty() || among(subcommands) || among(options)) return Invocation::Command;
    std::error_code error;
    const bool exists = fs::exists(PathFromText(first), error);
    // Any other option, or a mistyped one, is the parser's to explain.
    if (first.front() == '-' && !exists) return Invocation::Command;
    const bool pathLike = exists || first.find_first_of("./\\") != std::string::npos;
    return pathLike ? Invocation::OpenFile : Invocation::UnknownCommand;
}

namespace {

// The weather a file's findings point at: the first its errors concern,
// else the first its warnings do; -1 for none. `which` says which findings,
// `others` the other weathers they concern.
WeatherIndex ConcernedWeather(const std::vector<preview::Finding>& findings, std::string& which, std::string& others) {
    for (const preview::Severity severity : {preview::Severity::Error, preview::Severity::Warning}) {
        const std::vector<WeatherIndex> weathers = preview::WeathersConcerned(findings, severity);
        if (weathers.empty()) continue;
        which = severity == preview::Severity::Error ? "errors" : "warnings";
        for (size_t i = 1; i < weathers.size(); ++i)
            others += std::string(i > 1 ? ", " : "") + WeatherNames[weathers[i]];
        return weathers.front();
    }
    return -1;
}

}  // namespace

PreviewResult CheckAndPreview(preview::RunRequest request, bool weatherGiven, std::ostream& out, std::ostream& err) {
    const std::string& configPath = request.configPath;
    std::error_code error;
    const fs::path file = fs::absolute(PathFromText(configPath), error);
    if (error || !fs::exists(file, error)) {
        err << "atmosphere-sim: " << configPath
            << " not found. Put atmosphere-sim beside the game's atmosphere.ini, or drop a configuration file on it.\n";
        return {};
    }
    if (!fs::is_regular_file(file, error)) {
        err << "atmosphere-sim: " << file.string()
            << " is not a file; drop a configuration file (.ini) on atmosphere-sim.\n";
        return {};
    }
    // Beside the game, the installation is what fails players most often.
    int installed = 0;
    if (doctor::HoldsTheModuleOrItsHost(file.parent_path())) {
        err << "atmosphere-sim: checking the installation in " << file.parent_path().string() << "\n" << std::flush;
        const doctor::Examination examination =
            doctor::ExamineInstallation(file.parent_path().string(), ATMOSPHERE_VERSION);
        for (const preview::Finding& finding : examination.findings) out << preview::FormatFinding(finding) << '\n';
        out << '\n' << std::flush;
        request.installation = examination.findings;
        installed = examination.status;
    }
    err << "atmosphere-sim: checking " << file.string() << "\n" << std::flush;
    std::vector<preview::Finding> findings;
    const int checked = preview::CheckCommand(configPath, out, &findings);
    out << '\n' << std::flush;

    std::string which, others;
    const WeatherIndex concerned = weatherGiven ? -1 : ConcernedWeather(findings, which, others);
    if (concerned >= 0) {
        request.weather = WeatherNames[concerned];
        err << "atmosphere-sim: previewing " << request.weather << ", the first weather the " << which << " concern"
            << (others.empty() ? "" : " (they also concern " + others + ")") << "; --weather NAME previews another\n";
    }
    const bool besideFile = request.outputDirectory.empty();
    if (besideFile) request.outputDirectory = (file.parent_path() / "preview").string();
    request.progress = preview::StandardErrorIsTerminal();
    request.findingsShown = true;
    const int previewed = preview::RunPreviewCommand(request, out, err);
    out << std::flush;
    if (previewed != 0) return {previewed, ""};
    const fs::path report = PathFromText(request.outputDirectory) / "report.html";
    err << "atmosphere-sim: the preview is in " << request.outputDirectory << "\n";
    // Last, where a window that is about to close still shows it.
    const std::string shown = (besideFile ? fs::path("preview") / "report.html" : report).string();
    if (!request.installation.empty()) {
        err << preview::CountFindings(request.installation) << " in the installation: see the top of " << shown
            << "\n";
    }
    err << preview::CountFindings(findings) << " in " << file.filename().string() << ": see " << shown << "\n";
    return {std::max(checked, installed), report.string()};
}

void CloseOrOpen(const std::string& report, std::ostream& err, const std::function<int()>& answer,
                 const std::function<bool(const std::string&)>& open) {
    if (report.empty()) {
        err << "Press Enter to close this window." << std::flush;
        answer();
        err << '\n';
        return;
    }
    err << "Press Enter to close this window, or O to open the report in your web browser." << std::flush;
    const int key = answer();
    err << '\n';
    if (key != 'o' && key != 'O') return;
    if (open(report)) return;
    err << "atmosphere-sim: no program opened " << report << "; open it in a web browser.\n"
        << "Press Enter to close this window." << std::flush;
    answer();
    err << '\n';
}
