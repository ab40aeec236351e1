// The preview over flights of any length: outputs made frame by frame stay
// the same as the whole-flight ones were, the chart stays small without
// losing a spike or a marker, and a flight longer than memory once allowed runs.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tools/preview/chart.h"
#include "tools/preview/commands.h"
#include "tools/preview/flight.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace fs = std::filesystem;

namespace {

const std::string ShippedIni = ATMOSPHERE_SOURCE_DIR "/atmosphere.ini";

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every element of `svg` with the class, by its attributes.
std::vector<const tinyxml2::XMLElement*> ElementsOfClass(const tinyxml2::XMLDocument& svg, const std::string& cls) {
    std::vector<const tinyxml2::XMLElement*> found, pending = {svg.RootElement()};
    while (!pending.empty()) {
        const tinyxml2::XMLElement* element = pending.back();
        pending.pop_back();
        if (const char* c = element->Attribute("class"); c && cls == c) found.push_back(element);
        for (auto* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
            pending.push_back(child);
        }
    }
    return found;
}

// The y values of an SVG path of M and L commands.
std::vector<double> PathYs(const char* d) {
    std::vector<double> ys;
    double x = 0, y = 0;
    int used = 0;
    for (const char* at = d; *at && std::sscanf(at + 1, "%lf %lf%n", &x, &y, &used) == 2; at += 1 + used) {
        ys.push_back(y);
    }
    return ys;
}

class TempDir {
public:
    TempDir() : path_(fs::temp_directory_path() / ("streaming-test-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

}  // namespace

// The reference is what the tool wrote for its default run before it
// streamed: trace.jsonl whole, and the timeline's columns of that time (the
// first 14, its reals with six digits; the run has since gained columns
// after them and writes its reals exactly), with the unload's
// hand-back of the wind and the effect level. The files are 7 MB and 260 KB,
// so only their FNV-1a hashes are kept here.
TEST(PreviewStreaming, DefaultClimbWritesTheSameTraceAndTimelineAsBefore) {
    TempDir dir;
    preview::RunRequest request;
    request.configPath = (dir.path() / "atmosphere.ini").string();
    fs::copy_file(ShippedIni, request.configPath);
    request.outputDirectory = (dir.path() / "out").string();
    request.trace = true;
    std::ostringstream out, err;
    ASSERT_EQ(preview::RunPreviewCommand(request, out, err), 0) << err.str();

    EXPECT_EQ(Fnv1a(ReadFile(dir.path() / "out" / "trace.jsonl")), 0x3c2f74077e826ab6ull);
    std::istringstream timeline(ReadFile(dir.path() / "out" / "timeline.csv"));
    std::string oldColumns;
    bool header = true;
    for (std::string line; std::getline(timeline, line); header = false) {
        // The reals were written with six digits then; each exact value now
        // must give that text again.
        std::istringstream cells(line);
        std::string cell;
        for (int column = 0; column < 14 && std::getline(cells, cell, ','); ++column) {
            const bool real = column == 1 || column == 5 || column == 8 || (column >= 10 && column <= 12);
            if (real && !header) {
                char text[32];
                const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(std::stof(cell)),
                                               std::chars_format::general, 6);
                cell.assign(text, end.ptr);
            }
            oldColumns += (column == 0 ? "" : ",") + cell;
        }
        oldColumns += '\n';
    }
    EXPECT_EQ(Fnv1a(oldColumns), 0xa83ef537f76367e2ull);
}

TEST(PreviewChart, EnvelopeKeepsAOneFrameSpikeAndTheChartStaysSmall) {
    constexpr size_t Frames = 1'000'000;
    constexpr int Spike = 612'345;
    preview::ChartBuilder chart({"a.ini", "long", Frames});
    preview::FrameSample sample;
    sample.thresholds = {800, 900, 1200, 1400, 2000, 3000};
    sample.modifier = "m";
    for (size_t f = 0; f < Frames; ++f) {
        sample.frame = static_cast<int>(f);
        sample.altitude = sample.frame == Spike ? 3000.0f : 100.0f;
        sample.strength = static_cast<float>(f % 7) / 7.0f;
        chart.Frame(sample);
    }
    const std::string svg = chart.Render();
    EXPECT_LT(svg.size(), 1'000'000u);
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(svg.c_str()), tinyxml2::XML_SUCCESS) << document.ErrorStr();
    std::map<std::string, std::vector<double>> ys;
    for (const auto* series : ElementsOfClass(document, "series"))
        ys[series->Attribute("id")] = PathYs(series->Attribute("d"));
    ASSERT_FALSE(ys["altitude"].empty());
    const auto [top, bottom] = std::minmax_element(ys["altitude"].begin(), ys["altitude"].end());
    EXPECT_GT(*bottom - *top, 200.0) << "the spike to 3000 is lost";
    // The strength swings within every column: its envelope spans 0 to 6/7.
    const auto [high, low] = std::minmax_element(ys["strength"].begin(), ys["strength"].end());
    EXPECT_GT(*low - *high, 100.0);
}

TEST(PreviewChart, MergedMarkersKeepTheirCount) {
    constexpr size_t Frames = 50'000;
    preview::ChartBuilder chart({"a.ini", "busy", Frames});
    preview::FrameSample sample;
    std::map<std::string, size_t> expected;
    for (size_t f = 0; f < Frames; ++f) {
        sample.frame = static_cast<int>(f);
        sample.events.clear();
        if (f % 3 == 0) sample.events.push_back({preview::EventKind::Lightning, ""});
        if (f % 1000 == 0) sample.events.push_back({preview::EventKind::Hotkey, "debug"});
        if (f == 25'000) sample.events.push_back({preview::EventKind::WeatherForced, "HALLOWEEN"});
        for (const auto& event : sample.events) ++expected[preview::EventKindName(event.kind)];
        chart.Frame(sample);
    }
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(chart.Render().c_str()), tinyxml2::XML_SUCCESS);
    std::map<std::string, size_t> counted;
    size_t markers = 0;
    for (const auto* marker : ElementsOfClass(document, "event")) {
        counted[marker->Attribute("data-kind")] += marker->UnsignedAttribute("data-count");
        ++markers;
    }
    EXPECT_EQ(counted, expected);
    EXPECT_LT(markers, 500u) << "markers that overlap are merged";
}

TEST(PreviewStreaming, FlightLongerThanOnceFitInMemoryRuns) {
    // 1.2 million frames: once refused outright, and at 8 KB a frame once
    // beyond this machine's memory. Three key frames, read from memory.
    auto flight = preview::ReadFlight(std::make_unique<std::istringstream>("0,0\n600000,3500\n1199999,0,RAIN\n"),
                                      "long.csv", 2, false, 3.0f);
    ASSERT_EQ(flight->frameCount, 1'200'000u);
    preview::RunInfo info{ShippedIni, flight->name, flight->frameCount};
    preview::ZoneSummary summary(info);
    preview::ChartBuilder chart(info);
    preview::RunOptions options;
    options.observers = {&summary, &chart};
    size_t lastProgress = 0;
    options.progress = [&](size_t done) { lastProgress = done; };
    preview::RunFlight(ShippedIni, *flight, options);
    size_t frames = 0;
    for (const auto& zone : summary.Zones()) {
        EXPECT_GT(zone.frames, 0u);
        frames += zone.frames;
    }
    EXPECT_EQ(frames, 1'200'000u);
    EXPECT_GT(lastProgress, 1'190'000u);
    EXPECT_LT(chart.Render().size(), 1'000'000u);
}

TEST(PreviewSummary, WeatherChangedAboveTheNormalZoneIsExplained) {
    // THUNDER comes at frame 20, at 1000 (in the cloud zone), where the module
    // sets the weather itself: it stays with CLOUDS, also once back down. Set
    // on the ground at frame 70, THUNDER is taken up at once.
    auto flight = preview::ReadFlight(
        std::make_unique<std::istringstream>("0,0\n10,1000\n20,1000,THUNDER\n40,800\n60,0\n70,0,THUNDER\n"), "late.csv",
        2, false, 3.0f);
    const preview::PreviewRun run = preview::RunFlight(ShippedIni, *flight);
    preview::ZoneSummary summary(run.timeline.Info());
    for (const auto& sample : run.timeline.frames) summary.Frame(sample);
    ASSERT_EQ(summary.LateWeathers().size(), 1u);
    const auto& late = summary.LateWeathers()[0];
    EXPECT_EQ(late.frame, 20);
    EXPECT_EQ(late.weather, "THUNDER");
    EXPECT_EQ(late.row, "CLOUDS");
    EXPECT_EQ(run.timeline.frames[69].rowWeather, "CLOUDS");
    EXPECT_EQ(run.timeline.frames[70].rowWeather, "THUNDER");
}

TEST(PreviewReport, PageIsSelfContainedWithEveryWeatherAndTheFindings) {
    TempDir dir;
    const fs::path config = dir.path() / "atmosphere.ini";
    std::ofstream(config) << "[CLOUDS]\nNormalZoneEnd=800,5\n";
    preview::RunRequest request;
    request.configPath = config.string();
    request.outputDirectory = (dir.path() / "out").string();
    request.speed = 20.0f;
    std::ostringstream out, err;
    ASSERT_EQ(preview::RunPreviewCommand(request, out, err), 0) << err.str();
    const std::string page = ReadFile(dir.path() / "out" / "report.html");
    EXPECT_LT(page.size(), 3'000'000u);
    size_t weathers = 0;
    for (size_t at = page.find("<section class=\"weather\""); at != std::string::npos;
         at = page.find("<section class=\"weather\"", at + 1)) {
        ++weathers;
    }
    EXPECT_EQ(weathers, 15u);
    EXPECT_NE(page.find("atmosphere.ini:2: warning: NormalZoneEnd"), std::string::npos);
    EXPECT_NE(page.find("NO_CLOUDS (Snowy 01)"), std::string::npos);
    for (const char* outside : {"src=", "http:", "https:", "@import", "url("}) {
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
    // Links go only to places on the page: the contents' to every weather.
    size_t links = 0;
    for (size_t at = page.find("href="); at != std::string::npos; at = page.find("href=", at + 1), ++links) {
        const std::string target = page.substr(at + 7, page.find('"', at + 6) - at - 7);
        EXPECT_EQ(page.substr(at, 7), "href=\"#") << page.substr(at, 40);
        EXPECT_NE(page.find("id=\"" + target + "\""), std::string::npos) << target;
    }
    EXPECT_GE(links, 18u);
    // The verdict and the findings come before the flight.
    EXPECT_LT(page.find("1 warning, 2 notes in "), page.find("atmosphere.ini:2: warning"));
    EXPECT_LT(page.find("atmosphere.ini:2: warning"), page.find("id=\"flight\""));
}
