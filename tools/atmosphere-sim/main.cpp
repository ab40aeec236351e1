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
#include "tools/atmosphere-sim/config_command.h"
#include "tools/atmosphere-sim/console.h"
#include "tools/atmosphere-sim/launch.h"
#include "tools/atmosphere-sim/run_command.h"

namespace {

constexpr const char* Footer = R"(
Results (the findings of check, the settings of config, the summary of run)
go to standard output; messages (notes, errors, where files went) go to
standard error.

Examples:
  atmosphere-sim check my.ini
  atmosphere-sim run my.ini --weather RAIN --output preview
  atmosphere-sim run my.ini --flight examples/flight.csv --trace
  atmosphere-sim config my.ini --json
  atmosphere-sim my.ini          check my.ini and preview it into preview/ beside it

Started with no argument from Explorer (a double-click), it checks and
previews the atmosphere.ini beside it into the folder preview/ beside that
file; with a file dropped on it, that file. It then waits for Enter.

Exit status: 0 fine, 1 errors found in the file, 2 usage or input error.)";

// "a, b and c" with conjunction "and".
std::string CommandList(const std::vector<std::string>& names, const std::string& conjunction) {
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        list += i == 0 ? "" : i + 1 == names.size() ? " " + conjunction + " " : ", ";
        list += names[i];
    }
    return list;
}

int ParseAndRun(CLI::App& app, int argc, char** argv, const int& exitCode) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end the parse with status 0; any real parse
        // error is a usage error.
        return app.exit(error) == 0 ? 0 : 2;
    }
    return exitCode;
}

int Launch(CLI::App& app, int argc, char** argv, const int& exitCode) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::vector<std::string> subcommands;
    for (const CLI::App* command : app.get_subcommands({})) subcommands.push_back(command->get_name());

    const bool ownWindow = OwnsConsoleWindow();
    std::string file;
    switch (ClassifyArguments(arguments, subcommands)) {
    case Invocation::Command: return ParseAndRun(app, argc, argv, exitCode);
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
        file = (PathFromText(ExecutableDirectory()) / DefaultConfigFileName).string();
        break;
    case Invocation::OpenFile: file = arguments.front(); break;
    }
    int status = 2;
    try {
        status = CheckAndPreview(file, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "atmosphere-sim: " << error.what() << '\n';
    }
    // Explorer closes the window as soon as the tool ends: keep it readable,
    // whatever happened.
    if (ownWindow) WaitForEnter(std::cin, std::cerr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    CLI::App app{"Check and preview an atmosphere.ini: the module's own code in a simulated game", "atmosphere-sim"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "atmosphere-sim " ATMOSPHERE_VERSION, "Print the version and exit");
    app.footer(Footer);
    int exitCode = 0;
    AddConfigCommand(app, exitCode);
    AddRunCommand(app, exitCode);
    AddCheckCommand(app, exitCode);
    try {
        return Launch(app, argc, argv, exitCode);
    } catch (const std::exception& error) {
        std::cerr << "atmosphere-sim: " << error.what() << '\n';
        return 2;
    }
}
