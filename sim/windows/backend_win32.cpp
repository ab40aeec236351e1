// The simulated host's process under wine: the script runs on a Windows
// fiber, as in the real host, and game.exe loads the real atmosphere.dll and
// arranges its own image through the callbacks it hands to the stand-in.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#include "sim/backend.h"
#include "sim/windows/standin_internal.h"

namespace sim::backend {
namespace {

const StandInGame* game = nullptr;

class FiberCoroutine final : public ScriptCoroutine {
public:
    explicit FiberCoroutine(void (*script)()) : script_(script) {
        fiber_ = CreateFiber(0, &FiberCoroutine::Start, this);
        if (fiber_ == nullptr) Session::Fault("CreateFiber failed");
    }

    ~FiberCoroutine() override {
        // The script's stack simply goes away, as when the real host unloads a script.
        if (fiber_ != nullptr) DeleteFiber(fiber_);
    }

    void Resume() override {
        game_ = GameFiber();
        running_ = true;
        SwitchToFiber(fiber_);
        running_ = false;
    }

    void Suspend() override { SwitchToFiber(game_); }

    bool Finished() const override { return finished_; }

    // Game and script share one thread and take turns, so "the script is
    // running" is exactly "the caller is on the script's fiber".
    bool OnCoroutine() const override { return running_; }

private:
    static void WINAPI Start(void* self) {
        auto* coroutine = static_cast<FiberCoroutine*>(self);
        coroutine->script_();
        coroutine->finished_ = true;
        // A fiber must never return from its start routine.
        for (;;) SwitchToFiber(coroutine->game_);
    }

    // The game thread as a fiber, converted once: the stand-in runs every
    // script from game.exe's main thread.
    static void* GameFiber() {
        static void* const gameFiber = ConvertThreadToFiber(nullptr);
        return gameFiber;
    }

    void (*script_)();
    void* fiber_ = nullptr;
    void* game_ = nullptr;     // the fiber Resume came from
    bool running_ = false;     // between switching to the script and its switching back
    bool finished_ = false;
};

const StandInGame& Game() {
    if (game == nullptr) Session::Fault("the stand-in host runs without a game");
    return *game;
}

}  // namespace

void SetStandInGame(const StandInGame* standInGame) { game = standInGame; }

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<FiberCoroutine>(script);
}

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
