// The preview tool: flights of the real module on the simulated host, the
// chart, the timeline against the trace, flight files and the checker.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "atmosphere/zone.h"
#include "host/natives.h"
#include "tools/preview/chart.h"
#include "tools/preview/checker.h"
#include "tools/preview/commands.h"
#include "tools/preview/flight.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace fs = std::filesystem;

namespace {

const std::string ShippedIni = ATMOSPHERE_SOURCE_DIR "/atmosphere.ini";

class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() /
                ("preview-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& content) const {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }
    const fs::path& path() const { return path_; }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream stream(line);
    while (std::getline(stream, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

const preview::PreviewRun& DefaultClimb() {
    static const preview::PreviewRun run = [] {
        preview::PreloadConfiguration(ShippedIni);
        const auto flight = preview::BuildClimb(2, 10.0f, 3300.0f, false, 3.0f);
        return preview::RunFlight(ShippedIni, *flight);
    }();
    return run;
}

std::vector<std::string> Messages(const std::vector<preview::Finding>& findings) {
    std::vector<std::string> messages;
    for (const auto& finding : findings) messages.push_back(preview::FormatFinding(finding));
    return messages;
}

bool AnyContains(const std::vector<preview::Finding>& findings, const std::string& part, preview::Severity severity) {
    for (const auto& finding : findings) {
        if (finding.severity == severity && preview::FormatFinding(finding).find(part) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

TEST(PreviewFlight, ClimbVisitsEveryZoneUpAndDownWithTheActionsOfTheRoad) {
    const preview::Timeline& timeline = DefaultClimb().timeline;
    ASSERT_EQ(timeline.frames.size(), 661u);  // 330 steps up, the top, 330 down
    std::vector<std::string> order;
    for (const auto& sample : timeline.frames) {
        if (order.empty() || order.back() != sample.zone) order.push_back(sample.zone);
    }
    const std::vector<std::string> expected = {
        "normalzone",     "cloudzonestart", "cloudzoneend",   "abovecloudzonestart", "abovecloudzoneend",
        "spacezonestart", "spacezone",      "spacezonestart", "abovecloudzoneend",   "abovecloudzonestart",
        "cloudzoneend",   "cloudzonestart", "normalzone"};
    EXPECT_EQ(order, expected);

    std::multiset<preview::EventKind> kinds;
    for (const auto& sample : timeline.frames) {
        for (const auto& event : sample.events) kinds.insert(event.kind);
        if (sample.zone == "spacezone") {
            EXPECT_EQ(sample.forcedWeather, "HALLOWEEN") << sample.frame;
        }
        if (sample.zone == "normalzone" && sample.frame > 400) {
            EXPECT_EQ(sample.forcedWeather, "") << sample.frame;
        }
    }
    EXPECT_EQ(kinds.count(preview::EventKind::WeatherForced), 1u);
    EXPECT_EQ(kinds.count(preview::EventKind::WeatherReleased), 2u);  // leaving space, then the clouds
    EXPECT_EQ(kinds.count(preview::EventKind::CloudsReloaded), 1u);
    EXPECT_GE(kinds.count(preview::EventKind::TimedTransition), 2u);
    EXPECT_GE(kinds.count(preview::EventKind::WindHandBack), 1u);
}

// In the default climb the bands below the above-clouds zone keep the
// game's effect level on the way up and have the 0 of the zones above on
// the way down; the zones above have 0 both ways. The summary says so, and
// reads its ranges with three significant digits at most.
TEST(PreviewSummary, SaysBothWaysWhereTheyDifferAndRoundsItsRanges) {
    const preview::Timeline& timeline = DefaultClimb().timeline;
    preview::ZoneSummary summary(timeline.Info());
    for (const auto& sample : timeline.frames) summary.Frame(sample);
    for (int zone = 0; zone < ZoneCount; ++zone) {
        for (const preview::ZoneQuantity& quantity : preview::DescribeZone(summary.Zones()[zone])) {
            if (std::string(quantity.name) == "effect level") {
                if (zone >= 1 && zone <= 3) {
                    EXPECT_EQ(quantity.up, "the game's own") << Zones[zone].name;
                    EXPECT_EQ(quantity.down, "0 (switched off)") << Zones[zone].name;
                } else {
                    EXPECT_EQ(quantity.text, zone == 0 ? "the game's own" : "0 (switched off)") << Zones[zone].name;
                }
            }
            for (const std::string& text : {quantity.text, quantity.up, quantity.down}) {
                // Each number's significant digits: its digits past the leading zeros.
                for (size_t at = text.find_first_of("0123456789"); at != std::string::npos;) {
                    const size_t end = text.find_first_not_of("0123456789.", at);
                    std::string digits = text.substr(at, end - at);
                    std::erase(digits, '.');
                    digits.erase(0, digits.find_first_not_of('0'));
                    EXPECT_LE(digits.size(), 3u) << text;
                    at = end == std::string::npos ? end : text.find_first_of("0123456789", end);
                }
            }
        }
    }
}

TEST(PreviewFlight, CsvRowsAgreeWithTheNativeTrace) {
    const preview::PreviewRun& run = DefaultClimb();
    std::ostringstream csv;
    preview::WriteTimelineCsv(run.timeline, csv);
    const std::vector<std::string> lines = SplitLines(csv.str());
    ASSERT_EQ(lines.size(), run.timeline.frames.size() + 1);
    const std::vector<std::string> header = SplitCsv(lines[0]);
    ASSERT_EQ(header.size(), 19u);
    EXPECT_EQ(header[3], "weather_from");
    EXPECT_EQ(header[10], "strength");
    EXPECT_EQ(header[13], "flashes");
    EXPECT_EQ(header[18], "config_file");

    // The last strength and opacity the module pushed in a frame, and its
    // flashes, must be what the timeline row says for that frame.
    std::map<uint32_t, float> strength, opacity;
    std::map<uint32_t, int> flashes;
    for (const auto& event : run.trace) {
        if (event.kind != sim::TraceKind::Native || event.caller != sim::TraceCaller::Script) continue;
        if (event.hash == natives::hash::SetTimecycleModifierStrength) strength[event.frame] = event.arguments[0].real;
        if (event.hash == natives::hash::SetCloudOpacity) opacity[event.frame] = event.arguments[0].real;
        if (event.hash == natives::hash::FlashLightning) ++flashes[event.frame];
    }
    size_t checked = 0;
    for (size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> cells = SplitCsv(lines[row]);
        ASSERT_EQ(cells.size(), 19u) << lines[row];
        const int frame = std::stoi(cells[0]);
        const uint32_t traceFrame = static_cast<uint32_t>(frame + 1);  // the session counts frames from 1
        if (strength.count(traceFrame)) {
            EXPECT_NEAR(std::stof(cells[10]), strength[traceFrame], 1e-5) << lines[row];
            ++checked;
        }
        if (opacity.count(traceFrame)) {
            EXPECT_NEAR(std::stof(cells[8]), opacity[traceFrame], 1e-5) << lines[row];
        }
        EXPECT_EQ(std::stoi(cells[13]), flashes.count(traceFrame) ? flashes[traceFrame] : 0) << lines[row];
    }
    EXPECT_EQ(checked, run.timeline.frames.size());
}

TEST(PreviewChart, IsWellFormedSvgWithEverySeriesAndZoneBand) {
    const std::string svg = preview::RenderChart(DefaultClimb().timeline);
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(svg.c_str()), tinyxml2::XML_SUCCESS) << document.ErrorStr();
    const tinyxml2::XMLElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name(), "svg");

    std::set<std::string> series, zones, events;
    std::vector<const tinyxml2::XMLElement*> pending = {root};
    while (!pending.empty()) {
        const tinyxml2::XMLElement* element = pending.back();
        pending.pop_back();
        const char* cls = element->Attribute("class");
        if (cls && std::string(cls) == "series") series.insert(element->Attribute("id"));
        if (cls && std::string(cls) == "zone-band") zones.insert(element->Attribute("data-zone"));
        if (cls && std::string(cls) == "event") events.insert(element->Attribute("data-kind"));
        for (auto* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
            pending.push_back(child);
        }
    }
    EXPECT_EQ(series, (std::set<std::string>{"altitude", "strength", "opacity", "transition", "effect-level", "wind",
                                             "game-wind"}));
    EXPECT_EQ(zones.size(), 7u);
    EXPECT_TRUE(events.count("weather-forced"));
    EXPECT_TRUE(events.count("modifier-set"));
}

TEST(PreviewChart, EscapesTextThatWouldBreakTheDocument) {
    preview::Timeline timeline;
    timeline.configPath = "odd <name> & \"quotes\"\x01.ini";
    timeline.flightName = "flight";
    preview::FrameSample sample;
    sample.events.push_back({preview::EventKind::ModifierSet, "<mod&ifier>"});
    timeline.frames.push_back(sample);
    tinyxml2::XMLDocument document;
    EXPECT_EQ(document.Parse(preview::RenderChart(timeline).c_str()), tinyxml2::XML_SUCCESS) << document.ErrorStr();
}

TEST(PreviewFlightFile, ReplaysKeyFramesHotkeysAndTags) {
    TempDir dir;
    const std::string text =
        "# a short hop\n"
        "frame,altitude,weather,vehicle,keys,tags\n"
        "0,0,Thunder,0,,\n"  // weather names in any case
        "10,1000,,1,debug,fileindex=3\n"
        "20,500,,,reload;onoff,reload=1\n";
    const std::string path = dir.Write("flight.csv", text);
    const auto flight = preview::ReadFlightFile(path, 2, false, 3.0f);
    const std::vector<preview::FlightFrame> frames = preview::AllFrames(*flight);
    // Windows and old Mac line ends, and UTF-8's byte-order mark, read as the same flight.
    for (const auto& [start, end] : {std::pair{"", "\r\n"}, std::pair{"", "\r"}, std::pair{"\xEF\xBB\xBF", "\n"}}) {
        std::string ended = start;
        for (const char c : text) ended += c == '\n' ? std::string(end) : std::string(1, c);
        const auto other = preview::ReadFlightFile(dir.Write("ended.csv", ended), 2, false, 3.0f);
        const std::vector<preview::FlightFrame> same = preview::AllFrames(*other);
        ASSERT_EQ(same.size(), frames.size()) << "line end " << (end[1] ? "CR LF" : end[0] == '\r' ? "CR" : "BOM");
        for (size_t f = 0; f < frames.size(); ++f) {
            EXPECT_EQ(same[f].altitude, frames[f].altitude);
            EXPECT_EQ(same[f].weather, frames[f].weather);
            EXPECT_EQ(same[f].keys, frames[f].keys);
            EXPECT_EQ(same[f].tags, frames[f].tags);
        }
    }
    ASSERT_EQ(frames.size(), 21u);
    EXPECT_FLOAT_EQ(frames[5].altitude, 500.0f);
    EXPECT_FLOAT_EQ(frames[15].altitude, 750.0f);
    EXPECT_EQ(frames[0].weather, 9);
    EXPECT_EQ(frames[1].weather, -1);
    EXPECT_EQ(frames[10].vehicle, 1);
    EXPECT_EQ(frames[10].keys, std::vector<std::string>{"debug"});
    EXPECT_TRUE(frames[11].keys.empty());
    ASSERT_EQ(frames[20].tags.size(), 1u);
    EXPECT_EQ(frames[20].tags[0].first, "\"reload\"");
    EXPECT_EQ(frames[10].tags[0].first, "fileindex");

    // The replay reaches the module: fileindex and the reload tag are taken up.
    const preview::PreviewRun run = preview::RunFlight(ShippedIni, *flight);
    bool sawReloadTagCleared = false;
    for (const auto& event : run.trace) {
        if (event.hash == natives::hash::SetBooleanEntityTag) sawReloadTagCleared = true;
    }
    EXPECT_TRUE(sawReloadTagCleared);
}

TEST(PreviewFlightFile, MalformedLinesNameTheLineAndTheReason) {
    TempDir dir;
    const struct {
        std::string content;
        const char* expected;
    } cases[] = {
        {"0,0\n5,abc\n", ":2: altitude \"abc\""},
        {"0,0\r5,abc\r", ":2: altitude \"abc\""},
        {"0,0\n\n10,5\n5,7\n", ":4: frame 5 does not come after frame 10"},
        {"frame,altitude,colour\n", ":1: unknown column \"colour\""},
        {"0,0,RAINY\n", ":1: weather \"RAINY\""},
        {std::string("0,0,CLEAR\0X\n", 12), ":1: the line holds the byte 0x00, as a file saved as UTF-16 does"},
        {"\xFF\xFE" + std::string("f\0r\0", 4), ":1: the file is UTF-16 text"},
        {"0,0\n5,\x01\n", ":2: the line holds the byte 0x01: a flight file is text"},
        {"0,0,,2\n", ":1: vehicle must be 0 or 1"},
        {"0,0,,,jump\n", ":1: key \"jump\""},
        {"0,0,,,,teleport=1\n", ":1: tag \"teleport\""},
        {"0\n", ":1: a line needs at least a frame and an altitude"},
        {"# nothing\n", "holds no frame"},
        {"0,0\n" + std::string(70000, 'x') + "\n", ":2: the line is longer than 65536 characters"},
        {"0,0\n21600000,5\n", ":2: the flight is too long"},
        {"0,0,,,,,undo\n", ":1: edit \"undo\" is none of SECTION.Key=VALUE, delete, restore"},
        {"0,0,,,,,RAIN.CloudZoneStrat=5\n",
         ":1: edit \"RAIN.CloudZoneStrat=5\": the module reads no key CloudZoneStrat in [RAIN]"},
        {"0,0,,,,,KEYS.PosX=1\n", "no key PosX in [KEYS]"},
        {"0,0,,,,,.PosX=1\n", "is none of"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write("bad.csv", c.content);
        try {
            preview::ReadFlightFile(path, 2, false, 3.0f);
            ADD_FAILURE() << "accepted: " << c.content;
        } catch (const preview::FlightError& error) {
            EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
        }
    }
}

// A flight that saves the settings file: the module sees each save as it
// would in the game, on a copy, and the file given is never written.
TEST(PreviewFlightFile, SavesReachTheModuleThroughTheWatchOrTheKeyOnly) {
    TempDir dir;
    std::ifstream shipped(ShippedIni, std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    const auto flight = preview::ReadFlightFile(dir.Write("f.csv",
                                                          "frame,altitude,weather,keys,edits\n"
                                                          "0,1000,CLOUDS,,\n"
                                                          "60,1000,,,Clouds.CloudZoneStart=1500\n"
                                                          "150,1000,,,delete\n"
                                                          "250,1000,,,restore\n"
                                                          "300,1000,,,CLOUDS.CloudZoneStart=1500\n"
                                                          "340,1000,,reload,\n"
                                                          "345,1000,,,\n"),
                                                2, false, 3.0f);
    EXPECT_TRUE(flight->editsFile);
    // At 1000 the shipped CLOUDS is in the cloud zone; with the clouds from
    // 1500, in the band below them; with every default, in the cloud zone.
    const std::map<int, std::pair<const char*, const char*>> expected = {
        // frame: with AutoReload=1 (each save in force within 40 frames), and =0 (only the key reads)
        {59, {"cloudzoneend", "cloudzoneend"}},    {100, {"cloudzonestart", "cloudzoneend"}},
        {190, {"cloudzoneend", "cloudzoneend"}},   {290, {"cloudzoneend", "cloudzoneend"}},
        {339, {"cloudzonestart", "cloudzoneend"}}, {341, {"cloudzonestart", "cloudzonestart"}},
    };
    for (const bool watch : {true, false}) {
        std::string written = original;
        written.replace(written.find("AutoReload=1"), 12, watch ? "AutoReload=1" : "AutoReload=0");
        const std::string ini = dir.Write("atmosphere.ini", written);
        const preview::PreviewRun run = preview::RunFlight(ini, *flight);
        for (const auto& [frame, zones] : expected) {
            EXPECT_EQ(run.timeline.frames.at(frame).zone, watch ? zones.first : zones.second)
                << "frame " << frame << ", AutoReload=" << watch;
        }
        std::ifstream after(ini, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), written);
    }
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
        EXPECT_NE(entry.path().filename().string().rfind("atmosphere-preview-", 0), 0u) << "left: " << entry.path();
    }
}

TEST(PreviewRunCommand, BadInputWritesNothing) {
    TempDir dir;
    std::ostringstream out, err;
    preview::RunRequest request;
    request.configPath = ShippedIni;
    request.outputDirectory = (dir.path() / "out").string();

    request.weather = "Cloudy";
    EXPECT_EQ(preview::RunPreviewCommand(request, out, err), 2);
    EXPECT_NE(err.str().find("unknown weather \"Cloudy\""), std::string::npos);
    EXPECT_FALSE(fs::exists(request.outputDirectory));

    request.weather = "CLOUDS";
    request.flightFile = dir.Write("bad.csv", "0,0\n3,x\n");
    EXPECT_EQ(preview::RunPreviewCommand(request, out, err), 2);
    EXPECT_NE(err.str().find("bad.csv:2:"), std::string::npos);
    EXPECT_FALSE(fs::exists(request.outputDirectory));

    request.flightFile.clear();
    request.configPath = dir.Write(std::string(64, 'n') + ".ini", "[GLOBAL]\n");
    EXPECT_EQ(preview::RunPreviewCommand(request, out, err), 2);
    EXPECT_NE(err.str().find("longer than the 63 characters"), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(request.outputDirectory));

    request.configPath = ShippedIni;
    const std::string blocker = dir.Write("file", "not a folder");
    request.outputDirectory = blocker + "/out";
    EXPECT_EQ(preview::RunPreviewCommand(request, out, err), 2);
    EXPECT_NE(err.str().find("output folder"), std::string::npos);
}

TEST(PreviewRunCommand, WritesChartTimelineAndTrace) {
    TempDir dir;
    std::ostringstream out, err;
    preview::RunRequest request;
    request.configPath = ShippedIni;
    request.outputDirectory = (dir.path() / "out").string();
    request.speed = 25.0f;
    request.trace = true;
    ASSERT_EQ(preview::RunPreviewCommand(request, out, err), 0) << err.str();
    for (const char* name : {"chart.svg", "timeline.csv", "trace.jsonl", "report.html"}) {
        EXPECT_GT(fs::file_size(fs::path(request.outputDirectory) / name), 100u) << name;
    }
    EXPECT_NE(out.str().find("space zone [spacezone, SpaceZoneStart and up]: altitude"), std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("chart:"), std::string::npos) << "where the chart went is a message";
    for (const auto& entry : fs::directory_iterator(request.outputDirectory)) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << "left a temporary file: " << entry.path();
    }
}

TEST(PreviewCheck, ShippedFileIsClean) {
    const auto findings = preview::CheckConfiguration(ShippedIni);
    EXPECT_TRUE(findings.empty()) << ::testing::PrintToString(Messages(findings));
}

TEST(PreviewCheck, ReportsEachClassOfSilentSurprise) {
    TempDir dir;
    const std::string path = dir.Write("atmosphere.ini",
                                       "Stray=1\n"                         // 1
                                       "[GLOBAL]\n"                        // 2
                                       "DefaultWind=true\n"                // 3
                                       "DefaultWnd=1\n"                    // 4
                                       "[KEYS]\n"                          // 5
                                       "ReloadKey=46\n"                    // 6
                                       "OnOffKey=0x46\n"                   // 7
                                       "DebugKey=100\n"                    // 8
                                       "[CLOUD]\n"                         // 9
                                       "[CLOUDS]\n"                        // 10
                                       "NormalZoneEnd=800,5\n"             // 11
                                       "CloudZoneStart=700\n"              // 12
                                       "NormalZoneClouds=Puffs\n"          // 13
                                       "SpaceZoneWeatherOverride=Clear\n"  // 14
                                       "LightningFrequency=300\n"          // 15
                                       "NormalZoneTimecycleModifier=" +
                                           std::string(70, 'm') +
                                           "\n"                          // 16
                                           "CloudZoneEnd\n"              // 17
                                           "CloudZoneEnd=1200\n"         // 18
                                           "[RAIN]\n"                    // 19
                                           "LightningFrequency=0\n"      // 20
                                           "AboveCloudsZoneEnd=abc\n"    // 21
                                           "EnableLightningInSpace=1\n"  // 22
                                           "[clouds]\n"                  // 23
                                           "NormalZoneEnd=1\n");         // 24
    const auto findings = preview::CheckConfiguration(path);
    using preview::Severity;
    EXPECT_TRUE(AnyContains(findings, ":1: warning: \"Stray\" stands before any section", Severity::Warning));
    EXPECT_TRUE(
        AnyContains(findings, ":3: warning: DefaultWind = \"true\" reads as 0, which is off", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":4: warning: key \"DefaultWnd\" matches no key of [GLOBAL]", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, "did you mean DefaultWind?", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":6: note: ReloadKey = 46 is read as hexadecimal, 0x46", Severity::Note));
    EXPECT_TRUE(AnyContains(findings, ":7: warning: OnOffKey and ReloadKey are both 0x46", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":8: warning: DebugKey = \"100\" is 0x100", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":9: warning: section [CLOUD] matches no section", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, "did you mean [CLOUDS]?", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":11: warning: NormalZoneEnd = \"800,5\" reads as 800", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":12: error: [CLOUDS] zone thresholds out of order", Severity::Error));
    EXPECT_TRUE(AnyContains(findings, "the cloud-start band can no longer be reached", Severity::Error));
    EXPECT_TRUE(
        AnyContains(findings, ":13: warning: NormalZoneClouds = \"Puffs\" matches no cloud name", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, "did you mean PUFFS?", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":14: warning: SpaceZoneWeatherOverride = \"Clear\" matches no weather name",
                            Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":15: warning: LightningFrequency = 300 is outside 1..127", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, "low 8 bits are kept, 44", Severity::Warning));
    EXPECT_TRUE(
        AnyContains(findings, ":16: warning: NormalZoneTimecycleModifier is 70 characters long", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":17: warning: CloudZoneEnd has no \"=\"", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":18: warning: CloudZoneEnd repeats the one on line 17", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":20: warning: LightningFrequency = 0 is stored as 0", Severity::Warning));
    EXPECT_TRUE(AnyContains(findings, ":21: error: AboveCloudsZoneEnd = \"abc\" is no number", Severity::Error));
    EXPECT_TRUE(AnyContains(findings, ":23: warning: section [clouds] repeats the one on line 10", Severity::Warning));
    EXPECT_TRUE(preview::HasErrors(findings));
}

TEST(PreviewCheck, BlankLinesCountAlikeWithEveryLineEnd) {
    TempDir dir;
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        const std::string path = dir.Write("ends.ini", "[GLOBAL]" + end + end + end + "DefaultWnd=1" + end);
        EXPECT_TRUE(AnyContains(preview::CheckConfiguration(path), "ends.ini:4: warning: key \"DefaultWnd\"",
                                preview::Severity::Warning));
    }
}

TEST(PreviewCheck, AlternateFileRedirectIsExplainedAndFollowedOnce) {
    TempDir dir;
    const std::string first = dir.Write("atmosphere.ini",
                                        "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=second.ini\n"
                                        "[CLOUDS]\nCloudZoneStart=1\n");
    dir.Write("second.ini", "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=third.ini\n");
    const auto findings = preview::CheckConfiguration(first);
    EXPECT_TRUE(AnyContains(findings,
                            "atmosphere.ini:2: note: EnableAlternateConfigFile is 1: the module reads \"second.ini\"",
                            preview::Severity::Note));
    EXPECT_TRUE(AnyContains(findings, "second.ini:2: warning: this file redirects again, to \"third.ini\"",
                            preview::Severity::Warning));
    // The out-of-order threshold of the first file does not count: it is never read.
    EXPECT_FALSE(preview::HasErrors(findings)) << ::testing::PrintToString(Messages(findings));

    const std::string missing =
        dir.Write("lonely.ini", "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=gone.ini\n");
    EXPECT_TRUE(
        AnyContains(preview::CheckConfiguration(missing), "gone.ini\" is not there", preview::Severity::Warning));

    const std::string self = dir.Write("self.ini", "[GLOBAL]\nEnableAlternateConfigFile=1\n");
    EXPECT_TRUE(
        AnyContains(preview::CheckConfiguration(self), "the rest of this file is read", preview::Severity::Note));
}

TEST(PreviewCheck, MissingFileIsAnError) {
    const auto findings = preview::CheckConfiguration("/nonexistent/atmosphere.ini");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(preview::FormatFinding(findings[0]),
              "/nonexistent/atmosphere.ini: error: file not found: the module would use the default of every key; "
              "check the name and the folder");
}
