// The soak flight's generator. Each episode is one thing a player, another
// script or a modder does, followed by some frames; the episodes are drawn
// until the frame budget is spent. Toggles come in pairs within an episode,
// so the module spends most of the flight switched on whatever the keys of
// the file in use are.
#include "sim/soak.h"

#include <cstdio>
#include <random>
#include <string>

namespace sim {
namespace {

constexpr const char* WeatherNames[] = {"EXTRASUNNY", "CLEAR", "CLOUDS",   "SMOG", "NEUTRAL",
                                        "SNOWLIGHT",  "FOGGY", "OVERCAST", "RAIN", "THUNDER",
                                        "CLEARING",   "SNOW",  "BLIZZARD", "XMAS", "HALLOWEEN"};
// The configuration's cloud names, and one that matches none.
constexpr const char* CloudNames[] = {"ALTOSTRATUS", "CIRROCUMULUS",  "CIRRUS",   "NIMBUS1", "NIMBUS2",
                                      "CONTRAILS",   "HORIZON1",      "HORIZON2", "NIMBUS3", "HORIZON3",
                                      "NIMBUS4",     "PUFFS",         "RAINY",    "SHOWER",  "NO_CLOUDS",
                                      "STORMY",      "STRATOCUMULUS", "STRIPEY",  "WISPY",   "FOG"};
constexpr const char* Modifiers[] = {"nextgen", "cloudzone", "soak_haze", "soak_dusk", "soak_space", "soak_glow"};
// The configuration files: atmosphere.ini, then the numbered ones that
// "fileindex" and the alternate-file switch reach.
constexpr const char* Files[] = {"atmosphere.ini", "atmosphere2.ini", "atmosphere3.ini"};
// Hotkeys: the defaults (reload, on/off, debug) and the ones atmosphere3.ini
// sets in their place; a key of no file's is pressed too.
constexpr uint32_t DefaultKeys[] = {0x2E, 0x2D, 0x23};
constexpr uint32_t OtherKeys[] = {0x52, 0x4F, 0x44};
constexpr uint32_t UnusedKey = 0x41;
// Altitude bands a teleport lands in: the ground, around the clouds, above
// them, the space band and space.
constexpr int Bands[][2] = {{-20, 300}, {500, 1300}, {1200, 2300}, {1800, 3600}, {3000, 9000}};

template <typename T, size_t N> constexpr size_t Count(const T (&)[N]) { return N; }

class SoakWriter {
public:
    SoakWriter(uint32_t seed, uint32_t frames) : random_(seed), seed_(seed), budget_(frames) {}

    std::string Write() {
        Line("# soak flight: seed " + std::to_string(seed_) + ", at least " + std::to_string(budget_) + " frames");
        Weather();
        for (const char* file : Files) RewriteFile(file, Count(WeatherNames));
        Line("ini atmosphere3.ini KEYS ReloadKey " + Hex(OtherKeys[0]));
        Line("ini atmosphere3.ini KEYS OnOffKey " + Hex(OtherKeys[1]));
        Line("ini atmosphere3.ini KEYS DebugKey " + Hex(OtherKeys[2]));
        Line("ini atmosphere3.ini THUNDER EnableLightningInSpace 1");
        for (const char* tag : {"fileindex int", "\"reload\" bool", "\"enabled\" bool", "\"debugmode\" bool"}) {
            Line(std::string("tag-register ") + tag);
        }
        Line("load");
        while (frames_ < budget_) Episode();
        Line("unload");
        return text_;
    }

private:
    uint32_t Pick(uint32_t count) { return static_cast<uint32_t>(random_() % count); }
    int Between(int low, int high) { return low + static_cast<int>(Pick(static_cast<uint32_t>(high - low + 1))); }
    bool Chance(uint32_t percent) { return Pick(100) < percent; }

    void Line(const std::string& line) { text_ += line + "\n"; }

    static std::string Hex(uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
        return text;
    }

    // A real as the file would hold it: whole, or with a fraction of quarters.
    std::string Real(int whole) {
        static constexpr const char* Quarters[] = {"", ".25", ".5", ".75"};
        return std::to_string(whole) + Quarters[Pick(4)];
    }

    void Frames(uint32_t count) {
        Line("frames " + std::to_string(count));
        frames_ += count;
    }

    void Ini(const char* file, const std::string& section, const char* key, const std::string& value) {
        Line(std::string("ini ") + file + " " + section + " " + key + " " + value);
    }

    // A new ladder and new effects for the weather in play and a few others
    // (or all of them), so that the reload that follows shows.
    void RewriteFile(const char* file, uint32_t weathers) {
        const bool all = weathers == Count(WeatherNames);
        for (uint32_t i = 0; i < weathers; ++i) {
            const std::string section = WeatherNames[all ? i : i == 0 ? weather_ : Pick(Count(WeatherNames))];
            int bound = Between(500, 900);
            for (const char* key : {"NormalZoneEnd", "CloudZoneStart", "CloudZoneEnd", "AboveCloudsZoneStart",
                                    "AboveCloudsZoneEnd", "SpaceZoneStart"}) {
                Ini(file, section, key, Real(bound));
                bound += Between(60, 900);
            }
            Ini(file, section, "NormalZoneClouds", CloudNames[Pick(Count(CloudNames))]);
            Ini(file, section, "CloudZoneWindMultiplier", Real(Between(0, 4)));
            Ini(file, section, "AboveCloudsZoneWindMultiplier", Real(Between(0, 2)));
            Ini(file, section, "AboveCloudsZoneWeatherOverride", WeatherNames[Pick(Count(WeatherNames))]);
            Ini(file, section, "SpaceZoneWeatherOverride", WeatherNames[Pick(Count(WeatherNames))]);
            for (const char* key : {"NormalZoneTimecycleModifier", "CloudZoneTimecycleModifier",
                                    "AboveCloudsZoneTimecycleModifier", "SpaceZoneTimecycleModifier"}) {
                if (Chance(50)) Ini(file, section, key, Modifiers[Pick(Count(Modifiers))]);
            }
            Ini(file, section, "AboveCloudsZoneTimecycleTransitionTime", Real(Between(0, 40)));
            Ini(file, section, "EnableLightningAboveClouds", std::to_string(Pick(3)));
            Ini(file, section, "LightningFrequency", std::to_string(Between(-4, 300)));
        }
        if (Chance(30)) Ini(file, "GLOBAL", "DefaultWind", std::to_string(Pick(2)));
        if (Chance(30)) {
            Ini(file, "DEBUG", "PosX", "0." + std::to_string(Between(0, 99)));
            Ini(file, "DEBUG", "TextScale", "0." + std::to_string(Between(1, 9)));
            Ini(file, "DEBUG", "TextColorGreen", std::to_string(Between(0, 255)));
        }
    }

    // A transition between two weathers; the module plays the nearer one.
    void Weather() {
        static constexpr const char* Fractions[] = {"0", "0.25", "0.4999", "0.5", "0.75", "1"};
        const uint32_t fraction = Pick(Count(Fractions));
        const uint32_t from = Pick(Count(WeatherNames));
        const uint32_t to = Pick(Count(WeatherNames));
        weather_ = fraction >= 3 ? to : from;
        Line(std::string("weather ") + WeatherNames[from] + " " + WeatherNames[to] + " " + Fractions[fraction]);
    }

    // The module follows: on/off and debug toggles stay paired, so the
    // keys of whichever file is in use decide nothing about the long run.
    uint32_t Key(uint32_t which) { return Chance(70) ? DefaultKeys[which] : OtherKeys[which]; }

    void Toggle(uint32_t which, const char* tag) {
        const bool byKey = Chance(60);
        const uint32_t key = Key(which);
        for (int twice = 0; twice < 2; ++twice) {
            if (byKey)
                Line("key " + Hex(key));
            else
                Line(std::string("tag ") + tag + " 1");
            Frames(1 + Pick(twice == 0 ? 40 : 3));
        }
    }

    void Episode() {
        switch (Pick(16)) {
        case 0:
        case 1:
        case 2: {  // the altitude walk
            const int to = Between(altitude_ - 700, altitude_ + 700);
            const uint32_t steps = 20 + Pick(300);
            Line("climb " + std::to_string(altitude_) + " " + std::to_string(to) + " " + std::to_string(steps));
            frames_ += steps;
            altitude_ = to;
            return;
        }
        case 3: {  // a teleport into another band, up or down
            const int* band = Bands[Pick(Count(Bands))];
            altitude_ = Between(band[0], band[1]);
            Line((inVehicle_ && Chance(50) ? "vehicle-altitude " : "altitude ") + std::to_string(altitude_));
            break;
        }
        case 4: Weather(); break;
        case 5:
            if (Chance(50))
                Line("wind " + Real(Between(0, 20)));
            else
                Line(std::string("timecycle ") + (Chance(25) ? "none" : Modifiers[Pick(Count(Modifiers))]));
            break;
        case 6:
            inVehicle_ = !inVehicle_;
            Line(inVehicle_ ? "enter" : "leave");
            break;
        case 7:  // rewrite the file in use (mostly) and reload it
        case 8: {
            const char* file = Chance(75) ? Files[file_] : Files[Pick(Count(Files))];
            RewriteFile(file, 1 + Pick(3));
            Frames(1 + Pick(5));
            if (Chance(60))
                Line("key " + Hex(Key(0)));
            else
                Line("tag \"reload\" 1");
            break;
        }
        case 9:  // a reload of the unchanged file
            Line(Chance(50) ? "key " + Hex(Key(0)) : std::string("tag \"reload\" 1"));
            break;
        case 10: Toggle(1, "\"enabled\""); break;
        case 11: Toggle(2, "\"debugmode\""); break;
        case 12: {  // "fileindex": another numbered file, or a value that changes nothing
            static constexpr int Indexes[] = {2, 3, 2, 0, -3};
            const int index = Indexes[Pick(Count(Indexes))];
            Line("tag fileindex " + std::to_string(index));
            if (index > 0) file_ = static_cast<uint32_t>(index - 1);
            Frames(1 + Pick(10));
            Line("tag \"reload\" 1");
            break;
        }
        case 13:  // the alternate file: switched on in atmosphere2.ini, or off again
            if (Chance(50)) {
                Ini(Files[1], "GLOBAL", "EnableAlternateConfigFile", "1");
                Ini(Files[1], "GLOBAL", "AlternateConfigFile", Chance(80) ? Files[2] : Files[0]);
            } else {
                Ini(Files[1], "GLOBAL", "EnableAlternateConfigFile", "0");
            }
            break;
        case 14: {  // keys as a hand gives them: held, another key, a command tag that reads 2
            const uint32_t key = Key(Chance(50) ? 0 : 2);  // the on/off key would break the pairs
            Line("key-down " + Hex(key));
            Frames(1 + Pick(20));
            Line("key-up " + Hex(key));
            Line("key " + Hex(UnusedKey));
            if (Chance(30)) {
                Line("tag \"debugmode\" 2");
                Frames(1);
                Line("tag \"debugmode\" 0");
            }
            break;
        }
        default: {  // the clock: slow frames that let a release go stale, or near its wrap
            if (Chance(50)) {
                Line("frame-ms 120");
                Line("key " + Hex(Key(2)));
                Frames(2);
                Line("frame-ms 16");
            } else {
                Line("clock 0xFFFFFF00");
            }
            break;
        }
        }
        Frames(1 + Pick(Chance(20) ? 200 : 30));
    }

    std::mt19937 random_;
    uint32_t seed_;
    uint32_t budget_;
    uint32_t frames_ = 0;
    int altitude_ = 40;
    uint32_t weather_ = 0;  // the weather the game moves to, by index
    uint32_t file_ = 0;     // the file "fileindex" names, by index into Files
    bool inVehicle_ = false;
    std::string text_;
};

}  // namespace

std::string SoakScenario(uint32_t seed, uint32_t frames) { return SoakWriter(seed, frames).Write(); }

}  // namespace sim
