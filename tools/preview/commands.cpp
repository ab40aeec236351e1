// The preview tool's `run` and `check` commands.
#include "tools/preview/commands.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "config/configuration.h"
#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/preview/chart.h"
#include "tools/preview/checker.h"
#include "tools/preview/flight.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace preview {
namespace {

namespace fs = std::filesystem;

// The climb ends a tenth above the space zone's start, so every zone shows.
constexpr float ClimbHeadroom = 1.1f;

// Writes every output to a temporary name first and renames them together at
// the end, so a failure leaves no partial output behind.
class OutputSet {
public:
    explicit OutputSet(fs::path directory) : directory_(std::move(directory)) {}

    ~OutputSet() {
        std::error_code ignored;
        for (const auto& [temporary, final] : files_) fs::remove(temporary, ignored);
    }

    // Creates the folder and proves it writable; an empty result means success.
    std::string Prepare() {
        std::error_code error;
        fs::create_directories(directory_, error);
        if (error) return "cannot create the output folder " + directory_.string() + ": " + error.message();
        const fs::path probe = directory_ / ".atmosphere-sim-probe";
        {
            std::ofstream file(probe);
            if (!file) return "cannot write into the output folder " + directory_.string();
        }
        fs::remove(probe, error);
        return "";
    }

    bool Write(const std::string& name, const std::string& content) {
        const fs::path final = directory_ / name;
        const fs::path temporary = directory_ / ("." + name + ".tmp");
        std::ofstream file(temporary, std::ios::binary);
        file << content;
        file.close();
        if (!file) return false;
        files_.emplace_back(temporary, final);
        return true;
    }

    bool Commit() {
        for (const auto& [temporary, final] : files_) {
            std::error_code error;
            fs::rename(temporary, final, error);
            if (error) return false;
        }
        files_.clear();
        return true;
    }

    fs::path PathOf(const std::string& name) const { return directory_ / name; }

private:
    fs::path directory_;
    std::vector<std::pair<fs::path, fs::path>> files_;
};

}  // namespace

int RunPreviewCommand(const RunRequest& request, std::ostream& out, std::ostream& err) {
    const int weather = WeatherIndexOf(request.weather);
    if (weather < 0) {
        err << "atmosphere-sim: unknown weather \"" << request.weather << "\"; use one of:";
        for (const auto& name : WeatherNames) err << ' ' << name;
        err << '\n';
        return 2;
    }
    if (PathFromText(request.configPath).filename().string().size() >= ConfigFileNameSize) {
        // The module holds the name in a fixed buffer; a cut name would be another file.
        err << "atmosphere-sim: the file name of " << request.configPath << " is longer than the "
            << ConfigFileNameSize - 1 << " characters the module keeps; rename the file\n";
        return 2;
    }
    if (!fs::exists(PathFromText(request.configPath))) {
        err << "atmosphere-sim: note: " << request.configPath
            << " not found; the module runs on the default of every key\n";
    }
    Flight flight;
    try {
        if (!request.flightFile.empty()) {
            flight = ReadFlightFile(request.flightFile, weather, request.inVehicle, request.gameWind);
        } else {
            PreloadConfiguration(request.configPath);
            const float top = Settings.Weather[weather].SpaceZoneStart * ClimbHeadroom;
            flight = BuildClimb(weather, request.speed, top, request.inVehicle, request.gameWind);
        }
    } catch (const FlightError& error) {
        err << "atmosphere-sim: " << error.what() << '\n';
        return 2;
    }
    OutputSet outputs(PathFromText(request.outputDirectory));
    if (const std::string problem = outputs.Prepare(); !problem.empty()) {
        err << "atmosphere-sim: " << problem << '\n';
        return 2;
    }

    const PreviewRun run = RunFlight(request.configPath, flight);

    std::ostringstream csv, trace;
    WriteTimelineCsv(run.timeline, csv);
    bool written = outputs.Write("chart.svg", RenderChart(run.timeline)) && outputs.Write("timeline.csv", csv.str());
    if (request.trace) {
        WriteTraceJsonLines(run.trace, trace);
        written = written && outputs.Write("trace.jsonl", trace.str());
    }
    if (!written || !outputs.Commit()) {
        err << "atmosphere-sim: cannot write the outputs into " << request.outputDirectory << '\n';
        return 2;
    }
    WriteSummary(run.timeline, out);
    // Where the files went is a message: the summary alone is the result.
    err << "chart:    " << outputs.PathOf("chart.svg").string() << '\n';
    err << "timeline: " << outputs.PathOf("timeline.csv").string() << '\n';
    if (request.trace) err << "trace:    " << outputs.PathOf("trace.jsonl").string() << '\n';
    return 0;
}

int CheckCommand(const std::string& configPath, std::ostream& out) {
    const std::vector<Finding> findings = CheckConfiguration(configPath);
    for (const Finding& finding : findings) out << FormatFinding(finding) << '\n';
    if (findings.empty()) out << configPath << ": no problems found\n";
    return HasErrors(findings) ? 1 : 0;
}

}  // namespace preview
