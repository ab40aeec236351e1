// atmosphere-sim: the Linux companion tool of the module. Each subcommand
// registers itself from its own file; main only parses and dispatches.
#include <CLI/CLI.hpp>

#include "tools/atmosphere-sim/check_command.h"
#include "tools/atmosphere-sim/config_command.h"
#include "tools/atmosphere-sim/run_command.h"

int main(int argc, char** argv) {
    CLI::App app{"Preview and check the atmosphere module's behaviour on Linux"};
    app.require_subcommand(1);
    int exitCode = 0;
    AddConfigCommand(app, exitCode);
    AddRunCommand(app, exitCode);
    AddCheckCommand(app, exitCode);
    CLI11_PARSE(app, argc, argv);
    return exitCode;
}
