// The script in the browser. WebAssembly cannot switch stacks, so the
// script runs on the caller's own: the first frame calls the script, and
// each scriptWait ends the frame and begins the next inside the wait (the
// game's work between two frames runs there), then returns to the script.
// When the frames are over, the script's stack is left where it waits by an
// exception caught where the script was called: no frame of the module's
// between holds anything to clean up (it keeps plain state), just as a real
// host drops a script where it waits. No code is transformed for this, and
// nothing is copied per frame.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "sim/backend.h"
#include "sim/session.h"

namespace sim::backend {
namespace {

struct ScriptLeft {};  // thrown through the script's wait when the frames are over

class InlineCoroutine final : public ScriptCoroutine {
public:
    explicit InlineCoroutine(void (*script)()) : script_(script) {}

    ~InlineCoroutine() override {
        // Its caller's frames are below the script's: dropping it there would
        // leave the script running on a coroutine that is gone.
        if (betweenFrames_ != nullptr) {
            std::fputs("atmosphere: the script's coroutine was destroyed while its frames ran\n", stderr);
            std::abort();
        }
    }

    bool RunFrame(const std::function<bool()>& betweenFrames) override {
        if (left_) {
            if (!refused_) {
                refused_ = true;  // said once; the frames go on without the script
                Session::Fault(
                    "the script was left waiting when its frames ended; it cannot wait across two "
                    "runs of frames in the browser");
            }
            return true;
        }
        betweenFrames_ = &betweenFrames;
        onCoroutine_ = true;
        try {
            script_();
            finished_ = true;
        } catch (const ScriptLeft&) {
            left_ = true;
        } catch (...) {
            // From the game's work between frames (a flight file's bad
            // line): the script is left as well, and the caller told.
            left_ = true;
            Reset();
            throw;
        }
        Reset();
        return finished_;
    }

    void Suspend() override {
        onCoroutine_ = false;
        const bool more = (*betweenFrames_)();
        onCoroutine_ = true;
        if (!more) throw ScriptLeft{};
    }

    bool Finished() const override { return finished_; }

    bool OnCoroutine() const override { return onCoroutine_; }

private:
    void Reset() {
        betweenFrames_ = nullptr;
        onCoroutine_ = false;
    }

    void (*script_)();
    const std::function<bool()>* betweenFrames_ = nullptr;  // while the script runs
    bool finished_ = false;
    bool left_ = false;         // the frames ended while it waited
    bool refused_ = false;      // and it was asked to run again
    bool onCoroutine_ = false;  // the script runs (not the game's work inside its wait)
};

}  // namespace

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<InlineCoroutine>(script);
}

}  // namespace sim::backend
