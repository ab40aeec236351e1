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

int CheckAndPreview(preview::RunRequest request, std::ostream& out, std::ostream& err) {
    const std::string& configPath = request.configPath;
    std::error_code error;
    const fs::path file = fs::absolute(PathFromText(configPath), error);
    if (error || !fs::exists(file, error)) {
        err << "atmosphere-sim: " << configPath
            << " not found. Put atmosphere-sim beside the game's atmosphere.ini, or drop a configuration file on it.\n";
        return 2;
    }
    if (!fs::is_regular_file(file, error)) {
        err << "atmosphere-sim: " << file.string()
            << " is not a file; drop a configuration file (.ini) on atmosphere-sim.\n";
        return 2;
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
    const int checked = preview::CheckCommand(configPath, out);
    out << '\n' << std::flush;

    if (request.outputDirectory.empty()) request.outputDirectory = (file.parent_path() / "preview").string();
    request.progress = preview::StandardErrorIsTerminal();
    const int previewed = preview::RunPreviewCommand(request, out, err);
    out << std::flush;
    if (previewed != 0) return previewed;
    err << "atmosphere-sim: the preview is in " << request.outputDirectory
        << "; open chart.svg there in a web browser.\n";
    return std::max(checked, installed);
}

void WaitForEnter(std::istream& in, std::ostream& err) {
    err << "Press Enter to close this window." << std::flush;
    std::string line;
    std::getline(in, line);
    err << '\n';
}
