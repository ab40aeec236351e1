// The simulated host's process under wine: the script runs on a Windows
// fiber (coroutine_fiber.cpp), as in the real host, and game.exe loads the
// real atmosphere.asi and arranges its own image through the callbacks it
// hands to the stand-in.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#include "sim/backend.h"
#include "sim/windows/standin_internal.h"

namespace sim::backend {
namespace {

const StandInGame* game = nullptr;

const StandInGame& Game() {
    if (game == nullptr) Session::Fault("the stand-in host runs without a game");
    return *game;
}

}  // namespace

void SetStandInGame(const StandInGame* standInGame) { game = standInGame; }

void AttachGame(const SessionOptions&) {}

void DetachGame() {}

int EnterModule(ModuleEntry, ModuleHandle, uint32_t reason) {
    switch (reason) {
    case 1: Game().loadModule(game->context); break;
    case 0: Game().unloadModule(game->context); break;
    default: Session::Fault("the stand-in cannot send thread notifications to a loaded library"); break;
    }
    return 1;
}

void ArrangeImage(ImageMode mode) { Game().arrangeImage(game->context, static_cast<int>(mode)); }

ImageReport ReportImage() {
    ImageReport report;
    Game().reportImage(game->context, &report.signatures, &report.flag);
    return report;
}

std::string GameDirectory(const SessionOptions&) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    const size_t slash = directory.find_last_of('\\');
    return slash == std::string::npos ? std::string() : directory.substr(0, slash);
}

}  // namespace sim::backend
