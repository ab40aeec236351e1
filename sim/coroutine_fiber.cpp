// The script coroutine on Windows: a fiber, as the real host runs scripts.
// Switching fibers stays in user mode, where a thread hand-off would cost two
// trips through the kernel (under wine, through its server) every frame. The
// stand-in host and the tool on Windows both use it; game and script share
// the thread that created the session.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sim/backend.h"

namespace sim::backend {
namespace {

class FiberCoroutine final : public StackfulCoroutine {
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

    // The game thread as a fiber, converted once: every session runs from
    // the main thread (game.exe's, or the tool's).
    static void* GameFiber() {
        static void* const gameFiber = ConvertThreadToFiber(nullptr);
        return gameFiber;
    }

    void (*script_)();
    void* fiber_ = nullptr;
    void* game_ = nullptr;  // the fiber Resume came from
    bool running_ = false;  // between switching to the script and its switching back
    bool finished_ = false;
};

}  // namespace

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<FiberCoroutine>(script);
}

}  // namespace sim::backend
