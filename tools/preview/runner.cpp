// The preview's flight runner over the simulated host.
#include "tools/preview/runner.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

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

void ApplyInputs(const FlightFrame& input, sim::Session& session, FrameSample& sample) {
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
        const auto batch = std::make_unique<ConfigurationReads>();
        PrepareConfigurationReads(*batch);
        platform::ReadProfileFile((directory_ + "/" + read_).c_str(), batch->reads, ConfigurationReadCount);
        if (const char* alternate = ConfigurationRedirect(*batch); alternate != nullptr) {
            described_ += " -> ";
            described_ += alternate;
        }
        return described_;
    }

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

void PreloadConfiguration(const std::string& configPath) {
    ResetModule();
    LoadConfigurationFromPath(std::filesystem::absolute(PathFromText(configPath)).string());
}

void RunFlight(const std::string& configPath, Flight& flight, const RunOptions& options) {
    const ConfigLocation location = Locate(configPath);
    ResetModule();
    CopyText(ConfigFileName, location.fileName.c_str());

    FrameEventSink events(options.trace);
    sim::SessionOptions sessionOptions;
    sessionOptions.gameDirectory = location.directory;
    sessionOptions.traceSink = &events;
    sessionOptions.keepHistory = false;
    sessionOptions.logFile = options.logFile;
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
    for (size_t f = 0; haveInput; ++f) {
        sample.frame = static_cast<int>(f);
        sample.events.clear();
        events.CollectInto(&sample);
        ApplyInputs(input, session, sample);
        session.RunFrames(1);
        SampleWorld(session.world(), sample);
        SampleModule(sample, configFile);
        if (previousRow >= 0 && Zone.currentWeatherIndex != previousRow) {
            sample.events.push_back({EventKind::RowChanged, sample.rowWeather});
        }
        previousRow = Zone.currentWeatherIndex;
        events.CollectInto(nullptr);
        for (FrameObserver* observer : options.observers) observer->Frame(sample);
        if (options.progress && (f + 1) % 8192 == 0) options.progress(f + 1);
        haveInput = flight.Next(input);
    }
    session.Unload();
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
