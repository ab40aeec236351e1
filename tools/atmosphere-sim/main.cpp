// atmosphere-sim: the module's companion tool. Each subcommand registers
// itself from its own file; main reads how the tool was started (a command
// line, a double-click, a file dropped on it), then parses and dispatches.
#include <CLI/CLI.hpp>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/atmosphere-sim/check_command.h"
#include "tools/atmosphere-sim/command_line.h"
#include "tools/atmosphere-sim/config_command.h"
#include "tools/atmosphere-sim/doctor_command.h"
#include "tools/atmosphere-sim/console.h"
#include "tools/atmosphere-sim/launch.h"
#include "tools/atmosphere-sim/run_command.h"
#include "tools/atmosphere-sim/set_command.h"

namespace {

constexpr const char* Footer = R"(
Results (the findings of check and doctor, the settings of config, the
summary of run) go to standard output; messages (notes, errors, where files went) go to
standard error.

Examples:
  atmosphere-sim check my.ini
  atmosphere-sim run my.ini --weather RAIN --output preview
  atmosphere-sim run my.ini --flight examples/flight.csv --trace
  atmosphere-sim config my.ini --json
  atmosphere-sim set my.ini RAIN.NormalZoneEnd=500 --in-place   change one value, nothing else
  atmosphere-sim doctor "C:\Games\My Game"   check the installation in the game's folder
  atmosphere-sim my.ini          check my.ini and preview it into preview/ beside it
                                 (open preview/report.html: findings first, then the flight)
  atmosphere-sim my.ini --weather rain   the same, in another weather (run's options)

Started with no argument from Explorer (a double-click), it checks and
previews the atmosphere.ini beside it into the folder preview/ beside that
file, in a weather its errors concern; with a file dropped on it, that file.
It ends with the verdict and report.html's place, then waits: Enter closes
the window, O opens the report.

Exit status: 0 fine, 1 errors found in the file (doctor: in the installation),
2 usage or input error.)";

// "a, b and c" with conjunction "and".
std::string CommandList(const std::vector<std::string>& names, const std::string& conjunction) {
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        list += i == 0 ? "" : i + 1 == names.size() ? " " + conjunction + " " : ", ";
        list += names[i];
    }
    return list;
}

// The options of `app` as they can be typed ("--help", "-h", "--version").
std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

// Parses and runs a command: `arguments` start with the command's name, or
// with an option of the tool's own (--help, --version).
int ParseAndRun(CLI::App& app, const std::vector<std::string>& arguments, const int& exitCode) {
    std::vector<std::string> typed;
    const CLI::App* command = nullptr;
    for (const CLI::App* candidate : app.get_subcommands({})) {
        if (candidate->get_name() == arguments.front()) command = candidate;
    }
    if (command != nullptr) {
        typed.push_back(arguments.front());
        const auto rest = ReadAsTyped(*command, {arguments.begin() + 1, arguments.end()});
        typed.insert(typed.end(), rest.begin(), rest.end());
    } else {
        typed = ReadAsTyped(app, arguments);
    }
    try {
        ParseArguments(app, typed);
    } catch (const CLI::ParseError& error) {
        // --help and --version end the parse with status 0; any real parse
        // error is a usage error.
        return app.exit(error) == 0 ? 0 : 2;
    }
    return exitCode;
}

// The end of a run in a window of the tool's own, which closes with it.
void EndInOwnWindow(const std::string& report) {
    CloseOrOpen(
        report, std::cerr, [] { return ReadAnswer(std::cin); },
        [](const std::string& page) { return OpenWithDefaultProgram(page); });
}

// A file given first, as a drop gives it or as typed with run's options
// after it: reads those options, then checks and previews the file.
int OpenFile(const std::vector<std::string>& arguments, bool ownWindow) {
    preview::RunRequest request;
    request.configPath = arguments.front();
    request.outputDirectory.clear();
    CLI::App open{"Check a configuration file, then preview it (into preview/ beside it unless --output says)",
                  "atmosphere-sim FILE"};
    open.allow_windows_style_options(false);
    AddRunOptions(open, request);
    try {
        ParseArguments(open, ReadAsTyped(open, {arguments.begin() + 1, arguments.end()}));
    } catch (const CLI::ParseError& error) {
        const int status = open.exit(error) == 0 ? 0 : 2;
        if (ownWindow) EndInOwnWindow("");
        return status;
    }
    request.progress = preview::StandardErrorIsTerminal();
    PreviewResult result;
    try {
        result = CheckAndPreview(request, open.get_option("--weather")->count() > 0, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "atmosphere-sim: " << error.what() << '\n';
    }
    // Explorer closes the window as soon as the tool ends: keep it readable,
    // whatever happened.
    if (ownWindow) EndInOwnWindow(result.report);
    return result.status;
}

int Launch(CLI::App& app, int argc, char** argv, const int& exitCode) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // What Windows programs answer with their help.
    for (std::string& argument : arguments) {
        if (argument == "/?") argument = "--help";
    }
    std::vector<std::string> subcommands;
    for (const CLI::App* command : app.get_subcommands({})) subcommands.push_back(command->get_name());

    const bool ownWindow = OwnsConsoleWindow();
    switch (ClassifyArguments(arguments, subcommands, OptionNames(app))) {
    case Invocation::Command: return ParseAndRun(app, arguments, exitCode);
    case Invocation::UnknownCommand:
        std::cerr << "atmosphere-sim: unknown command \"" << arguments.front() << "\"; the commands are "
                  << CommandList(subcommands, "and") << "\nRun with --help for examples.\n";
        return 2;
    case Invocation::NoArgument:
        if (!ownWindow) {
            std::cerr << "atmosphere-sim: a command is required: " << CommandList(subcommands, "or")
                      << "\nRun with --help for examples.\n";
            return 2;
        }
        return OpenFile({(PathFromText(ExecutableDirectory()) / DefaultConfigFileName).string()}, ownWindow);
    case Invocation::OpenFile: return OpenFile(arguments, ownWindow);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    CLI::App app{"Check and preview an atmosphere.ini: the module's own code in a simulated game", "atmosphere-sim"};
    // Before the commands are added, which inherit it: "/Games/my.ini" is a
    // path on Windows too.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.set_version_flag("--version", "atmosphere-sim " ATMOSPHERE_VERSION, "Print the version and exit");
    app.footer(Footer);
    int exitCode = 0;
    AddConfigCommand(app, exitCode);
    AddRunCommand(app, exitCode);
    AddCheckCommand(app, exitCode);
    AddDoctorCommand(app, exitCode);
    AddSetCommand(app, exitCode);
    try {
        return Launch(app, argc, argv, exitCode);
    } catch (const std::exception& error) {
        std::cerr << "atmosphere-sim: " << error.what() << '\n';
        return 2;
    }
}
