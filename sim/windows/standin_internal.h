// Between the stand-in's entry points and its backend: which game the
// backend serves during a scenario.
#pragma once

#include "sim/windows/standin.h"

namespace sim::backend {

void SetStandInGame(const StandInGame* game);

}  // namespace sim::backend
