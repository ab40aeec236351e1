// The preview's flight runner over the simulated host.
#include "tools/preview/runner.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>

#include "atmosphere/lightning.h"
#include "atmosphere/script.h"
#include "atmosphere/zone.h"
#include "config/configuration.h"
#include "config/configuration_reads.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "host/key_state.h"
#include "host/natives.h"
#include "platform/platform.h"
#include "platform/profile_reader.h"
#include "sim/path_text.h"
#include "sim/scenario.h"
#include "sim/session.h"
#include "sim/world.h"
#include "tools/common/configuration_path.h"

namespace preview {
namespace {

struct ConfigLocation {
    std::string directory;  // the game's folder as the simulated host is told it
    std::string fileName;   // the configuration file name the module reads
};

ConfigLocation Locate(const std::string& configPath) {
    const std::filesystem::path path = std::filesystem::absolute(PathFromText(configPath));
    return {path.parent_path().string(), path.filename().string()};
}

uint32_t HotkeyCode(const std::string& key) {
    if (key == "reload") return static_cast<uint32_t>(Settings.ReloadKey);
    if (key == "onoff") return static_cast<uint32_t>(Settings.OnOffKey);
    if (key == "debug") return static_cast<uint32_t>(Settings.DebugKey);
    return static_cast<uint32_t>(std::stoul(key, nullptr, 16));
}

std::string TextArgument(const sim::TraceRecord& event) {
    return event.arguments.empty() ? std::string() : event.arguments.front().text;
}

float FloatArgument(const sim::TraceRecord& event) {
    return event.arguments.empty() ? 0.0f : event.arguments.front().real;
}

// The game's hash of each weather name, by weather index.
const std::array<uint32_t, WeatherCount>& WeatherHashes() {
    static const std::array<uint32_t, WeatherCount> hashes = [] {
        std::array<uint32_t, WeatherCount> table{};
        for (int i = 0; i < WeatherCount; ++i) table[i] = sim::GameHash(WeatherNames[i]);
        return table;
    }();
    return hashes;
}

// The arrival actions and one-time hand-backs among a frame's native calls.
void CollectEvents(const sim::TraceRecord& call, FrameSample& sample) {
    switch (call.hash) {
    case natives::hash::SetTimecycleModifier:
        sample.events.push_back({EventKind::ModifierSet, TextArgument(call)});
        break;
    case natives::hash::StartTimecycleTransition:
        sample.events.push_back({EventKind::TimedTransition, TextArgument(call)});
        break;
    case natives::hash::SetOverrideWeatherByName:
        sample.events.push_back({EventKind::WeatherForced, TextArgument(call)});
        break;
    case natives::hash::ClearOverrideWeather: sample.events.push_back({EventKind::WeatherReleased, ""}); break;
    case natives::hash::UnloadCloudSets: sample.events.push_back({EventKind::CloudsReloaded, ""}); break;
    case natives::hash::SetWindSpeed:
        if (FloatArgument(call) == -1.0f) sample.events.push_back({EventKind::WindHandBack, ""});
        break;
    case natives::hash::SetWeatherEffectLevel:
        if (FloatArgument(call) == -1.0f) sample.events.push_back({EventKind::EffectHandBack, ""});
        break;
    case natives::hash::FlashLightning: sample.events.push_back({EventKind::Lightning, ""}); break;
    default: break;
    }
}

// Passes every event on and picks the markers out of the script's native calls.
class FrameEventSink final : public sim::TraceSink {
public:
    explicit FrameEventSink(sim::TraceSink* next) : next_(next) {}
    void Record(const sim::TraceRecord& record) override {
        if (next_ != nullptr) next_->Record(record);
        if (sample_ != nullptr && record.kind == sim::TraceKind::Native) CollectEvents(record, *sample_);
    }
    bool RecordsNative(uint64_t hash) const override {
        if (next_ != nullptr && next_->RecordsNative(hash)) return true;
        switch (hash) {
        case natives::hash::SetTimecycleModifier:
        case natives::hash::StartTimecycleTransition:
        case natives::hash::SetOverrideWeatherByName:
        case natives::hash::ClearOverrideWeather:
        case natives::hash::UnloadCloudSets:
        case natives::hash::SetWindSpeed:
        case natives::hash::SetWeatherEffectLevel:
        case natives::hash::FlashLightning: return true;
        default: return false;
        }
    }
    void CollectInto(FrameSample* sample) { sample_ = sample; }

private:
    sim::TraceSink* next_;
    FrameSample* sample_ = nullptr;
};

// The alternate file that the settings file in `directory` redirects to, as
// the module's own load decides it; empty when it redirects nowhere.
std::string AlternateOf(const std::string& directory, const std::string& fileName) {
    const auto batch = std::make_unique<ConfigurationReads>();
    PrepareConfigurationReads(*batch);
    platform::ReadProfileFile((directory + "/" + fileName).c_str(), batch->reads, ConfigurationReadCount);
    const char* alternate = ConfigurationRedirect(*batch);
    return alternate != nullptr ? alternate : "";
}

bool IsNumberedFile(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.size() > 14 && lower.rfind("atmosphere", 0) == 0 && lower.ends_with(".ini");
}

std::vector<std::string> FilesBeside(const ConfigLocation& location) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromText(location.directory), error)) {
        const std::string name = entry.path().filename().string();
        if (IsNumberedFile(name) && name != location.fileName && entry.is_regular_file(error)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());  // the folder's order is the file system's
    const std::string alternate = AlternateOf(location.directory, location.fileName);
    if (!alternate.empty() && alternate != location.fileName &&
        std::find(names.begin(), names.end(), alternate) == names.end()) {
        names.push_back(alternate);
    }
    return names;
}

// A flight that saves the settings file works on a copy of it in a folder of
// its own, so that the modder's file (perhaps the one beside the game) is
// never written and every run starts from the same bytes. The copy holds the
// file, the alternate file it names and the numbered files "fileindex"
// chooses (atmosphere*.ini).
class WorkingCopy {
public:
    explicit WorkingCopy(const ConfigLocation& location) : fileName_(location.fileName) {
        namespace fs = std::filesystem;
        const fs::path from = PathFromText(location.directory);
        folder_ = MakeFolder();
        std::error_code error;
        for (const std::string& name : FilesBeside(location)) Copy(from, name);
        Copy(from, fileName_);
        // Only a file has bytes to restore (a folder reads as no file, as in the module).
        const fs::path original = from / PathFromText(fileName_);
        originalThere_ = fs::is_regular_file(original, error);
        if (originalThere_) {
            std::ifstream in(original, std::ios::binary);
            original_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    ~WorkingCopy() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    std::string Directory() const { return folder_.string(); }

    // The module's log of the run on the copy goes here first.
    std::string LogFile() const { return (folder_ / "atmosphere.log.run").string(); }

    // Copies the run's log to `path`, naming the folder of the file given
    // instead of the copy's: the log reads as the game's would.
    void DeliverLog(const std::string& path, const std::string& copyFolder, const std::string& givenFolder) const {
        std::ifstream in(LogFile(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string from = sim::Session::GameDirectoryFor(copyFolder);
        const std::string to = sim::Session::GameDirectoryFor(givenFolder);
        for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
        std::ofstream(PathFromText(path), std::ios::binary | std::ios::trunc) << text;
    }

    void Apply(const FileEdit& edit, const sim::Session& session) const {
        switch (edit.kind) {
        case FileEdit::Kind::Set: sim::EditGameFile(session, fileName_, edit.section, edit.key, edit.value); break;
        case FileEdit::Kind::Delete: sim::RemoveGameFile(session, fileName_); break;
        case FileEdit::Kind::Restore:
            if (originalThere_) {
                sim::WriteGameFile(session, fileName_, original_);
            } else {
                sim::RemoveGameFile(session, fileName_);
            }
            break;
        }
    }

private:
    static std::filesystem::path MakeFolder() {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; !error && attempt < 100; ++attempt) {
            const fs::path folder = base / ("atmosphere-preview-" + std::to_string(random()));
            if (fs::create_directory(folder, error)) return folder;
        }
        throw FlightError(
            "the flight saves the settings file, which it does on a copy, but no folder for the copy "
            "could be made in " +
            base.string());
    }

    void Copy(const std::filesystem::path& from, const std::string& name) const {
        std::error_code ignored;  // a file that is not there is not there in the copy either
        std::filesystem::copy_file(from / PathFromText(name), folder_ / PathFromText(name),
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }

    std::string fileName_;
    std::filesystem::path folder_;
    std::string original_;
    bool originalThere_ = false;
};

void ApplyInputs(const FlightFrame& input, sim::Session& session, FrameSample& sample, const WorkingCopy* copy) {
    sim::World& world = session.world();
    if (input.weather >= 0) {
        const uint32_t hash = WeatherHashes()[input.weather];
        sample.events.push_back({EventKind::WeatherChanged, WeatherNames[input.weather]});
        world.transitionFrom = hash;
        world.transitionTo = hash;
        world.transitionFraction = 0.0f;
    }
    if (input.vehicle == 1 && !world.inVehicle) world.EnterVehicle();
    if (input.vehicle == 0 && world.inVehicle) world.LeaveVehicle();
    world.SetPlayerAltitude(input.altitude);
    for (const std::string& key : input.keys) {
        session.PressKey(HotkeyCode(key));
        sample.events.push_back({EventKind::Hotkey, key});
    }
    for (const auto& [name, value] : input.tags) {
        const bool integer = name == "fileindex";
        world.RegisterTag(name, integer ? natives::EntityTagTypeInteger : natives::EntityTagTypeBoolean);
        world.SetTag(sim::PlayerCharacterHandle, name, value);
        sample.events.push_back({EventKind::EntityTag, name + "=" + std::to_string(value)});
    }
    for (const FileEdit& edit : input.edits) {
        if (copy != nullptr) copy->Apply(edit, session);
        sample.events.push_back({EventKind::FileSaved, edit.Text()});
    }
}

// The weather's name into `name`, reusing its storage.
void NameWeather(uint32_t hash, std::string& name) {
    const auto& hashes = WeatherHashes();
    for (int i = 0; i < WeatherCount; ++i) {
        if (hashes[i] == hash) {
            name.assign(WeatherNames[i]);
            return;
        }
    }
    name = WeatherNameOfHash(hash);
}

void SampleWorld(const sim::World& world, FrameSample& sample) {
    sample.altitude = world.EntityPosition(world.inVehicle ? sim::VehicleHandle : sim::PlayerCharacterHandle).z;
    NameWeather(world.transitionFrom, sample.weatherFrom);
    NameWeather(world.transitionTo, sample.weatherTo);
    sample.weatherFraction = world.transitionFraction;
    sample.forcedWeather = world.overrideWeather;
    sample.cloudSet = world.cloudSet;
    sample.cloudOpacity = world.cloudOpacity;
    sample.modifier = world.timecycleModifier;
    sample.strength = world.timecycleStrength;
    sample.wind = world.EffectiveWindSpeed();
    sample.gameWind = world.gameWindSpeed;
    sample.windOverridden = world.windSpeedOverride >= 0.0f;
    sample.effectLevel = world.effectLevel;
    sample.flashes = static_cast<int>(world.lightningFlashesThisFrame);
}

// The file the module reads, and the alternate file it redirects to, the
// way the module's own load decides it.
class ConfigFileInUse {
public:
    explicit ConfigFileInUse(std::string directory) : directory_(std::move(directory)) {}

    const std::string& Describe(const char* fileName) {
        if (fileName == read_) return described_;
        read_ = fileName;
        described_ = read_;
        if (const std::string alternate = AlternateOf(directory_, read_); !alternate.empty()) {
            described_ += " -> " + alternate;
        }
        return described_;
    }
    // The file was saved: what it redirects to may have changed.
    void Forget() { read_.assign(1, '\0'); }

private:
    std::string directory_;
    std::string read_ = std::string(1, '\0');  // no file name is this
    std::string described_;
};

void SampleModule(FrameSample& sample, ConfigFileInUse& configFile) {
    sample.enabled = Script.enabled;
    sample.debug = Script.debugMode;
    sample.zoneIndex = Script.enabled ? static_cast<int>(ZoneOf(Zone.ZoneState)) : -1;
    sample.zone.clear();
    if (sample.zoneIndex >= 0) {
        const char* label = Zones[sample.zoneIndex].label;
        sample.zone.assign(label, std::strlen(label) - 1);  // without the line break
    }
    const WeatherIndex row =
        Zone.currentWeatherIndex >= 0 && Zone.currentWeatherIndex < WeatherCount ? Zone.currentWeatherIndex : 0;
    const WeatherSettings& settings = Settings.Weather[row];
    sample.rowWeather.assign(WeatherNames[row]);
    for (int zone = 0; zone < ZoneCount - 1; ++zone) sample.thresholds[zone] = settings.*Zones[zone].upper;
    sample.configFile = configFile.Describe(ConfigFileName);
}

void ResetModule() {
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
}

}  // namespace

std::string WeatherNameOfHash(uint32_t hash) {
    const auto& hashes = WeatherHashes();
    for (int i = 0; i < WeatherCount; ++i) {
        if (hashes[i] == hash) return WeatherNames[i];
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", hash);
    return buffer;
}

std::vector<std::string> FilesBeside(const std::string& configPath) { return FilesBeside(Locate(configPath)); }

void PreloadConfiguration(const std::string& configPath) {
    ResetModule();
    LoadConfigurationFromPath(std::filesystem::absolute(PathFromText(configPath)).string());
}

void RunFlight(const std::string& configPath, Flight& flight, const RunOptions& options) {
    ConfigLocation location = Locate(configPath);
    ResetModule();
    CopyText(ConfigFileName, location.fileName.c_str());
    const std::string givenDirectory = location.directory;
    std::optional<WorkingCopy> copy;
    if (flight.editsFile) {
        copy.emplace(location);
        location.directory = copy->Directory();
    }

    FrameEventSink events(options.trace);
    sim::SessionOptions sessionOptions;
    sessionOptions.gameDirectory = location.directory;
    sessionOptions.traceSink = &events;
    sessionOptions.keepHistory = false;
    sessionOptions.logFile = copy && !options.logFile.empty() ? copy->LogFile() : options.logFile;
    sim::Session session(sessionOptions);
    sim::World& world = session.world();
    const uint32_t startHash = WeatherHashes()[flight.startWeather];
    world.transitionFrom = startHash;
    world.transitionTo = startHash;
    world.transitionFraction = 0.0f;
    world.gameWindSpeed = flight.gameWind;
    if (flight.startInVehicle) world.EnterVehicle();

    flight.Restart();
    FlightFrame input;
    bool haveInput = flight.Next(input);
    if (haveInput) world.SetPlayerAltitude(input.altitude);
    session.Load();

    ConfigFileInUse configFile(location.directory);
    FrameSample sample;  // one sample, reused: its texts keep their storage
    int previousRow = -1;
    size_t f = 0;
    // Before a frame: the flight's inputs.
    const auto begin = [&] {
        sample.frame = static_cast<int>(f);
        sample.events.clear();
        events.CollectInto(&sample);
        ApplyInputs(input, session, sample, copy ? &*copy : nullptr);
        if (!input.edits.empty()) configFile.Forget();
    };
    // After it: the sample for the observers, and the next frame's inputs.
    const auto next = [&] {
        SampleWorld(session.world(), sample);
        SampleModule(sample, configFile);
        if (previousRow >= 0 && Zone.currentWeatherIndex != previousRow) {
            sample.events.push_back({EventKind::RowChanged, sample.rowWeather});
        }
        previousRow = Zone.currentWeatherIndex;
        events.CollectInto(nullptr);
        for (FrameObserver* observer : options.observers) observer->Frame(sample);
        ++f;
        if (options.progress && f % 8192 == 0) options.progress(f);
        if (!flight.Next(input)) return false;
        begin();
        return true;
    };
    if (haveInput) {
        begin();
        session.RunFramesWhile(next);
    }
    session.Unload();
    session.CloseLog();
    if (copy && !options.logFile.empty()) copy->DeliverLog(options.logFile, location.directory, givenDirectory);
}

PreviewRun RunFlight(const std::string& configPath, Flight& flight) {
    PreviewRun run;
    run.timeline.configPath = configPath;
    run.timeline.flightName = flight.name;
    sim::MemoryTraceSink trace;
    RunOptions options;
    options.observers = {&run.timeline};
    options.trace = &trace;
    RunFlight(configPath, flight, options);
    run.trace = std::move(trace.events);
    return run;
}

}  // namespace preview
