// `atmosphere-sim doctor [FOLDER]`: checks the installation in a game's
// folder (the current folder when none is given), one finding per line,
// PATH: error|warning|note: message. Exit status 0 fine (warnings allowed), 1
// a mistake stops the module from working, 2 no folder to examine.
#include "tools/atmosphere-sim/doctor_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "tools/doctor/doctor.h"

void AddDoctorCommand(CLI::App& app, int& exitCode) {
    auto folder = std::make_shared<std::string>(".");
    CLI::App* command = app.add_subcommand(
        "doctor", "Check an installation in the game's folder: the script host, the module, its settings and its log");
    command->add_option("FOLDER", *folder, "The game's folder, the one that holds the game's executable")
        ->capture_default_str();
    command->callback([folder, &exitCode] {
        const doctor::Examination examination = doctor::ExamineInstallation(*folder, ATMOSPHERE_VERSION);
        // A folder that cannot be examined is a message, not a result.
        std::ostream& out = examination.status == 2 ? std::cerr : std::cout;
        for (const preview::Finding& finding : examination.findings) out << preview::FormatFinding(finding) << '\n';
        exitCode = examination.status;
    });
}
