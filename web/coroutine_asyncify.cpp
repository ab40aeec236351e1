// The script coroutine in the browser: an emscripten fiber, whose stack the
// ASYNCIFY transform unwinds and rewinds at each switch (WebAssembly has no
// stack switching of its own). Like a Windows fiber, a coroutine destroyed
// while the script waits is simply dropped, as the real host drops a script.
#include <emscripten/fiber.h>

#include <memory>
#include <vector>

#include "sim/backend.h"

namespace sim::backend {
namespace {

constexpr size_t ScriptStackBytes = 256 * 1024;   // the script's C stack
constexpr size_t AsyncifyStackBytes = 64 * 1024;  // each side's saved call chain

class AsyncifyCoroutine final : public ScriptCoroutine {
public:
    explicit AsyncifyCoroutine(void (*script)())
        : script_(script), stack_(ScriptStackBytes), scriptSaved_(AsyncifyStackBytes), gameSaved_(AsyncifyStackBytes) {}

    void Resume() override {
        if (!started_) {
            started_ = true;
            emscripten_fiber_init(&scriptFiber_, &Start, this, stack_.data(), stack_.size(), scriptSaved_.data(),
                                  scriptSaved_.size());
            emscripten_fiber_init_from_current_context(&gameFiber_, gameSaved_.data(), gameSaved_.size());
        }
        if (finished_) return;
        onCoroutine_ = true;
        emscripten_fiber_swap(&gameFiber_, &scriptFiber_);
        onCoroutine_ = false;
    }

    void Suspend() override { emscripten_fiber_swap(&scriptFiber_, &gameFiber_); }

    bool Finished() const override { return finished_; }

    bool OnCoroutine() const override { return onCoroutine_; }

private:
    static void Start(void* self) {
        auto& coroutine = *static_cast<AsyncifyCoroutine*>(self);
        coroutine.script_();
        coroutine.finished_ = true;
        // A fiber's function must never return: hand back to the game for good.
        for (;;) emscripten_fiber_swap(&coroutine.scriptFiber_, &coroutine.gameFiber_);
    }

    void (*script_)();
    std::vector<char> stack_, scriptSaved_, gameSaved_;
    emscripten_fiber_t scriptFiber_{}, gameFiber_{};
    bool started_ = false;
    bool finished_ = false;
    bool onCoroutine_ = false;  // the script runs (the game waits in Resume)
};

}  // namespace

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<AsyncifyCoroutine>(script);
}

}  // namespace sim::backend
