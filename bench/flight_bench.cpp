// The preview tool's `run` command as a modder runs it, outputs and report
// page included: the default climb, and flight files of one and ten hours
// at 60 frames a second. The hour "with events" changes the weather every
// 50 seconds, gets in and out of a vehicle, switches the module off and on,
// reloads the file, leaves a reload tag, and keeps the debug overlay on
// throughout (its six text blocks are most of the native calls).
//
// Peak memory is the process's: run one benchmark per process to read it,
//   build/release/bench/flight_bench --benchmark_filter=OneHourWithEvents
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "tools/preview/chart.h"
#include "tools/preview/commands.h"
#include "tools/preview/flight.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace {

namespace fs = std::filesystem;

const fs::path WorkFolder = fs::temp_directory_path() / "atmosphere-flight-bench";

// A flight file of `frames` frames: a key frame every half second, the
// altitude a sine from the ground to above the space zone every two minutes.
std::string WriteFlight(const std::string& name, long frames, bool events) {
    static const char* const weathers[] = {"CLOUDS", "RAIN",  "THUNDER",    "CLEAR",
                                           "SNOW",   "FOGGY", "EXTRASUNNY", "BLIZZARD"};
    fs::create_directories(WorkFolder);
    const fs::path path = WorkFolder / name;
    std::ofstream file(path);
    file << "frame,altitude,weather,vehicle,keys,tags\n";
    for (long frame = 0; frame < frames; frame += 30) {
        const double altitude = 1800 - 1800 * std::cos(2 * 3.14159265358979 * static_cast<double>(frame) / 7200);
        std::string_view weather, vehicle, keys, tags;
        if (events) {
            if (frame == 0) keys = "debug";
            if (frame % 3000 == 0) weather = weathers[(frame / 3000) % 8];
            if (frame % 9000 == 4500) vehicle = "1";
            if (frame % 9000 == 0 && frame > 0) vehicle = "0";
            if (frame % 20000 == 10000 || frame % 20000 == 10300) keys = "onoff";
            if (frame % 50000 == 25000) keys = "reload";
            if (frame % 40000 == 30000) tags = "reload=1";
        }
        file << frame << ',' << altitude << ',' << weather << ',' << vehicle << ',' << keys << ',' << tags << '\n';
    }
    file << frames - 1 << ",0,,,,\n";
    return path.string();
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Run(benchmark::State& state, const std::string& flightFile) {
    preview::RunRequest request;
    request.configPath = ATMOSPHERE_SOURCE_DIR "/atmosphere.ini";
    request.flightFile = flightFile;
    request.outputDirectory = (WorkFolder / "out").string();
    for (auto _ : state) {
        std::ostringstream out, err;
        if (preview::RunPreviewCommand(request, out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    state.counters["peak_MiB"] = PeakMiB();
    state.counters["chart_KB"] = static_cast<double>(fs::file_size(WorkFolder / "out" / "chart.svg")) / 1000.0;
    state.counters["report_KB"] = static_cast<double>(fs::file_size(WorkFolder / "out" / "report.html")) / 1000.0;
}

void DefaultClimb(benchmark::State& state) { Run(state, ""); }

void OneHourPlain(benchmark::State& state) {
    static const std::string flight = WriteFlight("hour_plain.csv", 216'000, false);
    Run(state, flight);
}

void OneHourWithEvents(benchmark::State& state) {
    static const std::string flight = WriteFlight("hour_events.csv", 216'000, true);
    Run(state, flight);
}

void TenHoursWithEvents(benchmark::State& state) {
    static const std::string flight = WriteFlight("ten_hours.csv", 2'160'000, true);
    Run(state, flight);
}

// What the report page does on each edit, natively: the default climb
// (CLOUDS, 2 units a frame, to a tenth above the space zone) with its chart
// and zone table, no output written. The page's own figure for the same
// flight: `ctest --preset web -V`.
void EditFlight(benchmark::State& state) {
    const std::string config = ATMOSPHERE_SOURCE_DIR "/atmosphere.ini";
    preview::PreloadConfiguration(config);
    const float top = Settings.Weather[2].SpaceZoneStart * 1.1f;
    size_t frames = 0;
    for (auto _ : state) {
        auto flight = preview::BuildClimb(2, 2.0f, top, false, 3.0f);
        const preview::RunInfo info{config, "climb in CLOUDS", flight->frameCount};
        preview::ZoneSummary summary(info);
        preview::ChartBuilder chart(info);
        preview::RunOptions options;
        options.observers = {&summary, &chart};
        preview::RunFlight(config, *flight, options);
        benchmark::DoNotOptimize(chart.Render());
        frames = flight->frameCount;
    }
    state.counters["frames"] = static_cast<double>(frames);
}

}  // namespace

BENCHMARK(EditFlight)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DefaultClimb)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OneHourPlain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(OneHourWithEvents)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(TenHoursWithEvents)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
