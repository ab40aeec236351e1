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
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/session.h"

namespace sim {

struct ScenarioStep {
    uint32_t line = 0;                 // 1-based line in the text
    std::string command;
    std::vector<std::string> words;    // the command's operands
};

struct Scenario {
    std::vector<ScenarioStep> steps;
};

// Parses and checks every step (command known, operand count and numbers
// valid). On failure returns false with "line N: reason" in `error`.
bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error);

// Runs the steps on the session in order, recording each as a game event,
// and unloads the module at the end if it is still loaded.
void RunScenario(const Scenario& scenario, Session& session);

}  // namespace sim
