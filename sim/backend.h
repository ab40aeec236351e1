// The seam between the portable simulated host and the process it runs in.
// Module linked in, on Linux and in the Windows tool (backend_linked.cpp):
// the module is entered through its DllMain, the game image is pages of our
// own (pages_*.cpp), and the script runs on a coroutine of the system's
// (coroutine_stack.cpp on x86-64 Linux, coroutine_thread.cpp on other
// processors, coroutine_fiber.cpp on Windows; in the browser, which cannot
// switch stacks, web/coroutine_inline.cpp runs it on the caller's stack).
// Windows stand-in (windows/backend_win32.cpp): the script runs on a fiber,
// and game.exe loads the real DLL and owns the image.
// Internal to sim/; tests and tools use sim/session.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/host_api.h"
#include "sim/image.h"
#include "sim/session.h"

namespace sim::backend {

// The registered script as a coroutine. Created by the game thread on the
// first frame after registration; destroyed by the game thread, which stops
// the script where it waits (on Linux by unwinding the script's stack; a
// fiber is simply deleted, as the real host drops a script).
class ScriptCoroutine {
public:
    virtual ~ScriptCoroutine() = default;
    // Game side: the script's part of the frame that has begun. A coroutine
    // with a stack of its own returns at the script's next Suspend, or when
    // it returns, and the caller ends the frame. The browser's cannot switch
    // stacks: the script runs on the caller's, which cannot be returned to
    // while the script waits. There, each Suspend calls `betweenFrames`,
    // which ends the frame and begins the next, and the script goes on while
    // that returns true. When it returns false, the script is left where it
    // waits, for good, and RunFrame returns false: the frames have ended.
    // It returns true when the script has returned.
    virtual bool RunFrame(const std::function<bool()>& betweenFrames) = 0;
    // Script side: gives control back to the game until the next frame.
    // When the coroutine is being destroyed it does not return normally.
    virtual void Suspend() = 0;
    // The script's function has returned.
    virtual bool Finished() const = 0;
    // The caller is running on this coroutine.
    virtual bool OnCoroutine() const = 0;
};

// A coroutine with a stack of its own (Linux, Windows): its part of a frame
// ends at the script's next Suspend.
class StackfulCoroutine : public ScriptCoroutine {
public:
    bool RunFrame(const std::function<bool()>&) final {
        Resume();
        return true;
    }
    // Runs the script until its next Suspend or until it returns.
    virtual void Resume() = 0;
};

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)());

// Called by the session's constructor and destructor.
void AttachGame(const SessionOptions& options);
void DetachGame();

// The module's entry with a reason; `entry` is the session's option.
// Linked: entry, or the linked module's DllMain. The stand-in: process
// attach and detach are game.exe's LoadLibrary and FreeLibrary; other
// reasons are a fault there.
int EnterModule(ModuleEntry entry, ModuleHandle instance, uint32_t reason);

void ArrangeImage(ImageMode mode);
ImageReport ReportImage();

// The game's directory as the module sees it (backslashes, no trailing one).
std::string GameDirectory(const SessionOptions& options);

}  // namespace sim::backend
