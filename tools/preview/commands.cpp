// The preview tool's `run` and `check` commands.
#include "tools/preview/commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "config/configuration.h"
#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/common/weather_name.h"
#include "tools/preview/chart.h"
#include "tools/preview/checker.h"
#include "tools/preview/flight.h"
#include "tools/preview/page.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace preview {
namespace {

namespace fs = std::filesystem;

// The climb ends a tenth above the space zone's start, so every zone shows.
constexpr float ClimbHeadroom = 1.1f;
// What the report page carries of the files beside the settings file: a
// folder of settings files is tens of kilobytes, and the page stays small.
constexpr uintmax_t MaxBesideBytes = 1024 * 1024;

// Writes every output to a temporary name first and renames them together at
// the end, so a failure leaves no partial output behind.
class OutputSet {
public:
    explicit OutputSet(fs::path directory) : directory_(std::move(directory)) {}

    ~OutputSet() {
        streams_.clear();  // closed first: an open file cannot be removed everywhere
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

    // A file written under a temporary name while the run goes on.
    std::ofstream& Open(const std::string& name) {
        const fs::path final = directory_ / name;
        const fs::path temporary = directory_ / ("." + name + ".tmp");
        streams_.push_back(std::make_unique<std::ofstream>(temporary, std::ios::binary));
        files_.emplace_back(temporary, final);
        return *streams_.back();
    }

    // The temporary name of a file that someone else may write during the
    // run; when nobody does, an old file of that name goes.
    fs::path Reserve(const std::string& name) {
        const fs::path temporary = directory_ / ("." + name + ".tmp");
        files_.emplace_back(temporary, directory_ / name);
        optional_.push_back(temporary);
        return temporary;
    }

    bool Write(const std::string& name, const std::string& content) {
        std::ofstream& file = Open(name);
        file << content;
        return static_cast<bool>(file);
    }

    bool Commit() {
        for (auto& stream : streams_) {
            stream->close();
            if (!*stream) return false;
        }
        for (const auto& [temporary, final] : files_) {
            std::error_code error;
            if (std::find(optional_.begin(), optional_.end(), temporary) != optional_.end() &&
                !fs::exists(temporary, error)) {
                fs::remove(final, error);
                continue;
            }
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
    std::vector<fs::path> optional_;  // temporaries that may never be written
    std::vector<std::unique_ptr<std::ofstream>> streams_;
};

// Frames of each weather's climb in the report: enough for a small chart.
constexpr int WeatherClimbSteps = 120;

// A line on the terminal that counts the frames, once the run has taken
// longer than a second; cleared at the end.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, size_t total, bool enabled)
        : err_(err), total_(total), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}
    ~ProgressLine() {
        if (shown_) err_ << "\r" << std::string(60, ' ') << "\r" << std::flush;
    }
    void Update(size_t done) {
        if (!enabled_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
        last_ = now;
        shown_ = true;
        char line[80];
        std::snprintf(line, sizeof line, "\rflying: frame %zu of %zu (%.0f%%)", done, total_,
                      total_ == 0 ? 100.0 : 100.0 * static_cast<double>(done) / static_cast<double>(total_));
        err_ << line << std::flush;
    }

private:
    std::ostream& err_;
    size_t total_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

// The climb of every weather, small, for the report.
std::array<std::string, 15> ClimbEveryWeather(const RunRequest& request) {
    std::array<std::string, 15> charts;
    PreloadConfiguration(request.configPath);
    // Taken from the file before the climbs: each starts the module afresh and leaves the settings as it ended.
    std::array<float, 15> spaceStarts;
    for (int weather = 0; weather < WeatherCount; ++weather) {
        spaceStarts[static_cast<size_t>(weather)] = Settings.Weather[weather].SpaceZoneStart;
    }
    for (int weather = 0; weather < WeatherCount; ++weather) {
        charts[static_cast<size_t>(weather)] =
            WeatherClimbChart(request.configPath, weather, spaceStarts[static_cast<size_t>(weather)], request.inVehicle,
                              request.gameWind);
    }
    return charts;
}

// A file's bytes; none when it cannot be read.
std::string FileBytes(const std::string& path) {
    std::ifstream file(PathFromText(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace

std::string WeatherClimbChart(const std::string& configPath, int weather, float spaceZoneStart, bool inVehicle,
                              float gameWind) {
    const float top = spaceZoneStart * ClimbHeadroom;
    try {
        auto flight = BuildClimb(weather, top / WeatherClimbSteps, top, inVehicle, gameWind);
        flight->name = std::string("climb in ") + WeatherNames[weather];
        ChartBuilder chart({configPath, flight->name, flight->frameCount}, ChartSize::Small);
        RunOptions options;
        options.observers = {&chart};
        RunFlight(configPath, *flight, options);
        return chart.Render();
    } catch (const FlightError& error) {
        return std::string("no climb: ") + error.what();
    }
}

int RunPreviewCommand(const RunRequest& request, std::ostream& out, std::ostream& err) {
    const int weather = FindWeatherIgnoringCase(request.weather);
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
    std::unique_ptr<Flight> flight;
    try {
        if (!request.flightFile.empty()) {
            if (fs::is_directory(request.flightFile))
                throw FlightError(request.flightFile + ": is a folder, not a flight file");
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

    const RunInfo info{request.configPath, flight->name, flight->frameCount};
    TimelineCsvWriter timeline(outputs.Open("timeline.csv"));
    ZoneSummary summary(info);
    ChartBuilder chart(info);
    std::unique_ptr<TraceJsonLinesWriter> trace;
    if (request.trace) trace = std::make_unique<TraceJsonLinesWriter>(outputs.Open("trace.jsonl"));
    try {
        ProgressLine progress(err, flight->frameCount, request.progress);
        RunOptions options;
        options.observers = {&timeline, &summary, &chart};
        options.trace = trace.get();
        options.progress = [&progress](size_t done) { progress.Update(done); };
        options.logFile = outputs.Reserve("atmosphere.log").string();
        RunFlight(request.configPath, *flight, options);
    } catch (const FlightError& error) {
        // The file changed under the run; what was written goes with the temporaries.
        err << "atmosphere-sim: " << error.what() << '\n';
        return 2;
    }

    ReportPage page;
    page.summary = &summary;
    page.chartSvg = chart.Render();
    page.findings = CheckConfiguration(request.configPath);
    page.installation = request.installation;
    page.weatherCharts = ClimbEveryWeather(request);
    page.live.weather = WeatherNames[weather];
    page.live.speed = request.speed;
    page.live.inVehicle = request.inVehicle;
    page.live.gameWind = request.gameWind;
    // The file as read for the run, for the page's live part to edit, and the
    // flight file, for it to fly again.
    page.live.configBytes = FileBytes(request.configPath);
    page.live.configName = PathFromText(request.configPath).filename().string();
    if (!request.flightFile.empty()) {
        page.live.flightName = request.flightFile;
        page.live.flightBytes = FileBytes(request.flightFile);
    }
    // And the files the module may read in its place, so that the page's
    // flights read what the tool's read. A name with a folder in it, or
    // beyond the page's share, is left out: there the page's module finds no
    // such file.
    const std::filesystem::path folder = std::filesystem::absolute(PathFromText(request.configPath)).parent_path();
    size_t besideBytes = 0;
    for (const std::string& name : FilesBeside(request.configPath)) {
        std::error_code error;
        const std::filesystem::path path = folder / PathFromText(name);
        const uintmax_t size = std::filesystem::file_size(path, error);
        if (error || name.find_first_of("/\\") != std::string::npos || besideBytes + size > MaxBesideBytes) continue;
        besideBytes += size;
        page.live.besideFiles.emplace_back(name, FileBytes(path.string()));
    }
    PreloadConfiguration(request.configPath);  // the page shows the file's settings
    const bool written =
        outputs.Write("chart.svg", page.chartSvg) && outputs.Write("report.html", RenderReportPage(page));
    if (!written || !outputs.Commit()) {
        err << "atmosphere-sim: cannot write the outputs into " << request.outputDirectory << '\n';
        return 2;
    }
    WriteSummary(summary, Settings, out);
    // Where the files went is a message: the summary alone is the result.
    // The report first: it holds the rest.
    err << "report:   " << outputs.PathOf("report.html").string() << '\n';
    err << "chart:    " << outputs.PathOf("chart.svg").string() << '\n';
    err << "timeline: " << outputs.PathOf("timeline.csv").string() << '\n';
    if (request.trace) err << "trace:    " << outputs.PathOf("trace.jsonl").string() << '\n';
    if (fs::exists(outputs.PathOf("atmosphere.log"))) {
        err << "log:      " << outputs.PathOf("atmosphere.log").string() << " (what the module logs in the game)\n";
    }
    const bool problems = std::any_of(page.findings.begin(), page.findings.end(),
                                      [](const Finding& finding) { return finding.severity != Severity::Note; });
    if (problems && !request.findingsShown) {
        err << "atmosphere-sim: " << CountFindings(page.findings) << " in " << request.configPath
            << ": the report lists them first, as does `atmosphere-sim check " << request.configPath << "`\n";
    }
    return 0;
}

bool StandardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int CheckCommand(const std::string& configPath, std::ostream& out, std::vector<Finding>* found) {
    bool unreadable = false;
    std::vector<Finding> findings = CheckConfiguration(configPath, &unreadable);
    for (const Finding& finding : findings) out << FormatFinding(finding) << '\n';
    if (findings.empty()) out << configPath << ": no problems found\n";
    const int status = unreadable ? 2 : HasErrors(findings) ? 1 : 0;
    if (found != nullptr) *found = std::move(findings);
    return status;
}

}  // namespace preview
