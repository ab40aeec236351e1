// The preview's flight runner over the simulated host.
#include "tools/preview/runner.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "atmosphere/lightning.h"
#include "atmosphere/script.h"
#include "atmosphere/zone.h"
#include "config/configuration.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "host/key_state.h"
#include "host/natives.h"
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

std::string LowerCase(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

const char* ZoneName(const ZoneFlags& flags) {
    if (flags.inNormalZone) return "normalzone";
    if (flags.inCloudZoneStart) return "cloudzonestart";
    if (flags.inCloudZoneEnd) return "cloudzoneend";
    if (flags.inAboveCloudZoneStart) return "abovecloudzonestart";
    if (flags.inAboveCloudZoneEnd) return "abovecloudzoneend";
    if (flags.inSpaceZoneStart) return "spacezonestart";
    if (flags.inSpaceZone) return "spacezone";
    return "";
}

uint32_t HotkeyCode(const std::string& key) {
    if (key == "reload") return static_cast<uint32_t>(Settings.ReloadKey);
    if (key == "onoff") return static_cast<uint32_t>(Settings.OnOffKey);
    if (key == "debug") return static_cast<uint32_t>(Settings.DebugKey);
    return static_cast<uint32_t>(std::stoul(key, nullptr, 16));
}

std::string TextArgument(const sim::TraceEvent& event) {
    return event.arguments.empty() ? std::string() : event.arguments.front().text;
}

float FloatArgument(const sim::TraceEvent& event) {
    return event.arguments.empty() ? 0.0f : event.arguments.front().real;
}

// The arrival actions and one-time hand-backs among a frame's native calls.
void CollectEvents(const sim::TraceEvent& call, FrameSample& sample) {
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
    case natives::hash::ClearOverrideWeather:
        sample.events.push_back({EventKind::WeatherReleased, ""});
        break;
    case natives::hash::UnloadCloudSets:
        sample.events.push_back({EventKind::CloudsReloaded, ""});
        break;
    case natives::hash::SetWindSpeed:
        if (FloatArgument(call) == -1.0f) sample.events.push_back({EventKind::WindHandBack, ""});
        break;
    case natives::hash::SetWeatherEffectLevel:
        if (FloatArgument(call) == -1.0f) sample.events.push_back({EventKind::EffectHandBack, ""});
        break;
    case natives::hash::FlashLightning:
        sample.events.push_back({EventKind::Lightning, ""});
        break;
    default:
        break;
    }
}

void ApplyInputs(const FlightFrame& input, sim::Session& session, FrameSample& sample) {
    sim::World& world = session.world();
    if (input.weather >= 0) {
        const uint32_t hash = sim::GameHash(LowerCase(WeatherNames[input.weather]));
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

void SampleWorld(const sim::World& world, FrameSample& sample) {
    sample.altitude = world.EntityPosition(world.inVehicle ? sim::VehicleHandle : sim::PlayerCharacterHandle).z;
    sample.weatherFrom = WeatherNameOfHash(world.transitionFrom);
    sample.weatherTo = WeatherNameOfHash(world.transitionTo);
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

void SampleModule(FrameSample& sample) {
    sample.enabled = Script.enabled;
    sample.zone = Script.enabled ? ZoneName(Zone.ZoneState) : "";
    const WeatherIndex row = Zone.currentWeatherIndex;
    const WeatherSettings& settings = Settings.Weather[row >= 0 && row < WeatherCount ? row : 0];
    sample.rowWeather = WeatherNames[row >= 0 && row < WeatherCount ? row : 0];
    sample.thresholds = {settings.NormalZoneEnd,      settings.CloudZoneStart,     settings.CloudZoneEnd,
                         settings.AboveCloudsZoneStart, settings.AboveCloudsZoneEnd, settings.SpaceZoneStart};
}

void ResetModule() {
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
}

}  // namespace

std::string WeatherNameOfHash(uint32_t hash) {
    for (const auto& name : WeatherNames) {
        if (sim::GameHash(LowerCase(name)) == hash) return name;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", hash);
    return buffer;
}

void PreloadConfiguration(const std::string& configPath) {
    ResetModule();
    LoadConfigurationFromPath(std::filesystem::absolute(PathFromText(configPath)).string());
}

PreviewRun RunFlight(const std::string& configPath, const Flight& flight) {
    const ConfigLocation location = Locate(configPath);
    ResetModule();
    CopyText(ConfigFileName, location.fileName.c_str());

    sim::SessionOptions options;
    options.gameDirectory = location.directory;
    sim::Session session(options);
    sim::World& world = session.world();
    const uint32_t startHash = sim::GameHash(LowerCase(WeatherNames[flight.startWeather]));
    world.transitionFrom = startHash;
    world.transitionTo = startHash;
    world.transitionFraction = 0.0f;
    world.gameWindSpeed = flight.gameWind;
    if (flight.startInVehicle) world.EnterVehicle();
    if (!flight.frames.empty()) world.SetPlayerAltitude(flight.frames.front().altitude);
    session.Load();

    PreviewRun run;
    run.timeline.configPath = configPath;
    run.timeline.flightName = flight.name;
    run.timeline.frames.reserve(flight.frames.size());
    size_t traceSeen = session.Trace().size();
    for (size_t f = 0; f < flight.frames.size(); ++f) {
        FrameSample sample;
        sample.frame = static_cast<int>(f);
        ApplyInputs(flight.frames[f], session, sample);
        session.RunFrames(1);
        const auto& trace = session.Trace();
        for (; traceSeen < trace.size(); ++traceSeen) {
            if (trace[traceSeen].kind == sim::TraceKind::Native) CollectEvents(trace[traceSeen], sample);
        }
        SampleWorld(session.world(), sample);
        SampleModule(sample);
        run.timeline.frames.push_back(std::move(sample));
    }
    session.Unload();
    run.trace = session.Trace();
    return run;
}

}  // namespace preview
