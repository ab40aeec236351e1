// `atmosphere-sim run [CONFIG]`: the real script, loop and scriptWait
// included, flies a climb or a flight file in the simulated game; the chart,
// the timeline and optionally the trace go into the output folder and a
// per-zone summary to the terminal.
#include "tools/atmosphere-sim/run_command.h"

#include <iostream>
#include <memory>

void AddRunOptions(CLI::App& command, preview::RunRequest& request) {
    command
        .add_option("-o,--output", request.outputDirectory,
                    "Folder for report.html, chart.svg, timeline.csv and trace.jsonl")
        ->capture_default_str();
    command.add_option("-w,--weather", request.weather, "The game's weather: one of the 15 weather names, any case")
        ->capture_default_str();
    command.add_option("-s,--speed", request.speed, "Vertical speed of the built-in climb, units per frame")
        ->capture_default_str();
    command.add_flag("--vehicle", request.inVehicle, "Fly in a vehicle instead of on foot");
    command.add_option("--game-wind", request.gameWind, "The game's own wind speed")->capture_default_str();
    command.add_option(
        "-f,--flight", request.flightFile,
        "Flight file (CSV: frame, altitude[, weather, vehicle, keys, tags, edits]) instead of the climb");
    command.add_flag("--trace", request.trace, "Also write trace.jsonl, every native call with its arguments");
}

void AddRunCommand(CLI::App& app, int& exitCode) {
    auto request = std::make_shared<preview::RunRequest>();
    CLI::App* command = app.add_subcommand("run", "Fly the module through the simulated game and chart what it does");
    command->add_option("CONFIG", request->configPath, "Configuration file")->capture_default_str();
    AddRunOptions(*command, *request);
    command->callback([request, &exitCode] {
        request->progress = preview::StandardErrorIsTerminal();
        exitCode = preview::RunPreviewCommand(*request, std::cout, std::cerr);
    });
}
