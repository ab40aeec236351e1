// Flights written as text: a scenario is a list of steps (load the module,
// run frames, climb, get into a vehicle, force the weather, press keys, set
// entity tags, set the clock, edit the configuration, unload) that the Linux runner and game.exe
// under wine execute identically, each producing the same trace text.
// Portable C++; deterministic by construction (no wall clock, no hashing of
// pointers, the session's own random sequence).
//
// Format: one step per line; '#' starts a comment; words are separated by
// blanks and taken literally (a tag name may contain quotes: "reload").
// Numbers are decimal, or hexadecimal with 0x. Weather is a name (any case)
// or a 0x hash.
//
//   load                         process attach of the module
//   unload                       process detach (done at the end if still loaded)
//   frames N                     run N frames
//   climb FROM TO N              run N frames moving linearly from FROM to TO,
//                                frame i at FROM + (TO - FROM) * i / N
//   altitude Z                   the player (or the vehicle, when inside) at Z
//   vehicle-altitude Z           the vehicle at Z (the player too when inside)
//   enter | leave                get into / out of the vehicle
//   weather FROM TO FRACTION     force the game's weather transition
//   wind SPEED                   the game's own wind speed
//   timecycle NAME | none        the game's own timecycle modifier
//   tag-register NAME int|bool   register an entity tag name with its type
//   tag NAME VALUE               set the player's entity tag
//   key-down VK | key-up VK      one keyboard message
//   key VK                       press and release
//   clock MS                     set the millisecond clock
//   frame-ms MS                  the clock's advance per frame
//   image signature|none|readonly-target
//                                arrange the game image (before load)
//   image-flag                   record the flag byte and the signature count
//   ini FILE SECTION KEY VALUE   set KEY=VALUE in [SECTION] of FILE in the game
//                                folder, as a person editing it would: the
//                                key's line is replaced, or added to its
//                                section, or the section is added; the file is
//                                created when missing. FILE is a plain name.
//                                Each edit changes the file's last-write time.
//   remove FILE                  delete FILE from the game folder
//   pace on | off                frames at the wall clock's pace (each takes
//                                frame-ms of real time), for a writer in another
//                                process to race the module's reads
//   until-file FILE MAXFRAMES    run frames until FILE is in the game folder,
//                                at most MAXFRAMES
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/session.h"

namespace sim {

// One struct per command, its operands already converted and checked.
namespace step {
struct Load {};
struct Unload {};
struct Frames {
    uint32_t count;
};
struct Climb {
    double from;
    double to;
    uint32_t frames;
};  // frames > 0
struct Altitude {
    float z;
};
struct VehicleAltitude {
    float z;
};
struct Enter {};
struct Leave {};
struct Weather {
    uint32_t from;
    uint32_t to;
    float fraction;
};  // game hashes
struct Wind {
    float speed;
};
struct Timecycle {
    std::string modifier;
};  // empty for none
struct TagRegister {
    std::string name;
    int32_t type;
};  // 2 boolean, 3 integer
struct Tag {
    std::string name;
    int32_t value;
};
struct KeyDown {
    uint32_t key;
};
struct KeyUp {
    uint32_t key;
};
struct Key {
    uint32_t key;
};
struct Clock {
    uint32_t milliseconds;
};
struct FrameMilliseconds {
    uint32_t milliseconds;
};
struct Image {
    ImageMode mode;
};
struct ImageFlag {};
struct Remove {
    std::string file;
};
struct Pace {
    bool on;
};
struct UntilFile {
    std::string file;
    uint32_t maxFrames;
};

struct Ini {
    std::string file;
    std::string section;
    std::string key;
    std::string value;
};
}  // namespace step

using StepAction =
    std::variant<step::Load, step::Unload, step::Frames, step::Climb, step::Altitude, step::VehicleAltitude,
                 step::Enter, step::Leave, step::Weather, step::Wind, step::Timecycle, step::TagRegister, step::Tag,
                 step::KeyDown, step::KeyUp, step::Key, step::Clock, step::FrameMilliseconds, step::Image,
                 step::ImageFlag, step::Ini, step::Remove, step::Pace, step::UntilFile>;

struct ScenarioStep {
    uint32_t line = 0;               // 1-based line in the text
    std::string command;             // as written, which names the step's events
    std::vector<std::string> words;  // the command's operands as written
    StepAction action;               // what running the step does
};

struct Scenario {
    std::vector<ScenarioStep> steps;
};

// Parses every line once into its step, checking the command, the operand
// count and every operand. On failure returns false with "line N: reason" in
// `error`.
bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error);

// Runs the steps on the session in order, recording each as a game event,
// and unloads the module at the end if it is still loaded.
void RunScenario(const Scenario& scenario, Session& session);

// The `ini` step: sets KEY=VALUE in [SECTION] of the game folder's file
// `name`, as a person editing it would, and gives the file a last-write time
// later than any edit's before.
void EditGameFile(const Session& session, const std::string& name, const std::string& section, const std::string& key,
                  const std::string& value);

// Writes `bytes` as the game folder's file `name`, stamped as an edit is.
void WriteGameFile(const Session& session, const std::string& name, const std::string& bytes);

// The `remove` step: deletes the game folder's file `name`, if it is there.
void RemoveGameFile(const Session& session, const std::string& name);

}  // namespace sim
