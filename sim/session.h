// The simulated host: one session is one run of the game with the module in
// it. It implements the eight host functions (host/host_api.h) over a
// simulated world (sim/world.h), runs the registered script as a coroutine
// resumed once per frame, delivers keyboard messages through the registered
// handler, keeps the millisecond clock and the C runtime's random sequence,
// and records every call in a trace (sim/trace.h).
//
// Where the module is linked in (Linux, and the tool on Windows) it is also
// the platform (platform/platform.h): the game executable's path, the tick
// count, Random and the game image come from the current session. Under
// wine the same core runs inside the stand-in ScriptHookV.dll and game.exe
// supplies the image and loads the real DLL.
//
// At most one session exists at a time; the host functions reach it through
// Session::Current(). Not thread-safe beyond the host's own hand-off: call it
// from the thread that created it (the "game" thread).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "platform/platform.h"
#include "sim/image.h"
#include "sim/trace.h"
#include "sim/world.h"

namespace sim {

// The module's library entry, DllMain's shape.
using ModuleEntry = int (*)(ModuleHandle instance, uint32_t reason, void* reserved);

struct SessionOptions {
    // A real directory standing for the game's folder: the module is told the
    // game runs "<directory with \ for />\game.exe" and reads its
    // configuration from there. Empty: the current directory.
    std::string gameDirectory;
    uint32_t startTick = 100000;      // the clock at the start, ms
    uint32_t frameMilliseconds = 16;  // the clock's advance per frame, ms
    // The entry Load and Unload call. nullptr: the module's own DllMain
    // (Linux). Tests may pass a probe of their own.
    ModuleEntry moduleEntry = nullptr;
    ImageSpec image;  // the game image (Linux; game.exe has its own)
    // Where every event goes as it happens. nullptr: the session keeps them
    // in memory for Trace() and TraceText(). With a sink of the caller's,
    // Trace() stays empty and nothing grows with the length of the run.
    TraceSink* traceSink = nullptr;
    // Keep a copy of the world after every frame for History(). Long runs
    // that only look at the live world switch it off.
    bool keepHistory = true;
    // Where the module's log goes. Unset: where the module asks (its
    // atmosphere.log in the game folder), as in the game. A path: that file
    // instead (a preview must not touch the log of the game whose file it
    // reads). Empty: nowhere; the module finds the log cannot be opened.
    std::optional<std::string> logFile;
};

// The simulated game's local calendar: tick 0 of the clock is 2026-01-01
// 00:00:00.000, and the clock's 2^32 milliseconds span 49 days and a bit.
platform::LocalTime LocalTimeAt(uint32_t tick);

class Session {
public:
    explicit Session(SessionOptions options = {});
    ~Session();  // stops the script coroutine; does not call the module's entry
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The live session, or nullptr. Inline: every host function call asks.
    static Session* Current() { return current_; }

    // --- The module -----------------------------------------------------
    // Process attach and detach through the module's entry (traced as the
    // events "Load" and "Unload" around the entry's own calls).
    void Load();
    void Unload();
    bool Loaded() const;
    // Calls the entry with any reason (2 and 3 are thread attach and detach)
    // and returns its result; traced as the event "Entry".
    int CallEntry(uint32_t reason);

    // --- Frames -------------------------------------------------------------
    // Each frame advances the clock by frameMilliseconds, starts the world's
    // frame, resumes the registered script until its next scriptWait, and
    // keeps a copy of the world in History() (unless keepHistory is off).
    void RunFrames(uint32_t count = 1);
    // Runs frames while `next`, called after each, returns true: the game's
    // work between two frames (a flight's inputs and samples). In the
    // browser the script runs on the caller's stack and `next` inside the
    // script's wait, so the frames of one session run in one call: the
    // script cannot wait across two calls there (the simulator tools and the
    // page make one call a flight).
    void RunFramesWhile(const std::function<bool()>& next);
    uint32_t Frame() const;  // frames begun so far

    // --- Keyboard, as a real keyboard sends it ---------------------------------
    // Key-down: release flag 0, was-down flag 1 for the auto-repeats of a held
    // key. Key-up: was-down 1, release flag 1. Press: down then up.
    void KeyDown(uint32_t key);
    void KeyUp(uint32_t key);
    void PressKey(uint32_t key);
    // One raw message with every argument the handler takes.
    void SendKeyMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                        int32_t wasDownBefore, int32_t isUpNow);

    // --- Clock and random numbers ----------------------------------------------
    uint32_t Now() const;  // the tick count, ms, wraps modulo 2^32
    void SetNow(uint32_t milliseconds);
    void SetFrameMilliseconds(uint32_t milliseconds);
    // Paced: each frame takes frameMilliseconds of wall-clock time too, at
    // least (a frame that runs longer is not made up for).
    void SetPaced(bool paced);
    // The C runtime's never-seeded rand(): seed 1, seed = seed * 214013 +
    // 2531011, result (seed >> 16) & 0x7FFF. One sequence per session.
    int Random();

    // --- The game -------------------------------------------------------------
    World& world();
    const World& world() const;
    // The world after each finished frame, index = frame - 1.
    const std::vector<World>& History() const;
    // Re-arranges the game image (before Load: the module scans at start-up).
    void ArrangeImage(ImageMode mode);
    ImageReport Image() const;
    // The directory and path handed to the module (backslashes).
    const std::string& GameDirectory() const;
    std::string GameExecutablePath() const;
    // The directory a session given `gameDirectory` would hand to the module.
    static std::string GameDirectoryFor(const std::string& gameDirectory);

    // --- The module's log (the platform seam's log functions forward here) ---
    bool OpenLog(const char* path, bool empty);
    bool AppendLog(const char* bytes, size_t size);
    void CloseLog();

    // --- What the host holds ---------------------------------------------------
    bool ScriptRegistered() const;
    bool ScriptFinished() const;                        // the script's function returned
    KeyboardHandler RegisteredKeyboardHandler() const;  // nullptr when none
    ModuleHandle Instance() const;                      // the handle the entry is given

    // --- Trace ------------------------------------------------------------------
    // The events kept in memory; empty when the options name a sink.
    const std::vector<TraceEvent>& Trace() const;
    std::string TraceText() const;
    void ClearTrace();
    // Appends a game-side event (the scenario runner records its steps so).
    void RecordEvent(std::string name, std::vector<TraceValue> arguments = {}, std::vector<TraceValue> results = {});
    size_t ErrorCount() const;  // TraceKind::Error events so far, whatever the sink

    // A fault (unknown native, wrong argument count, malformed argument,
    // scriptWait off the script, a second session) calls this handler. The
    // default prints "sim: fault: ..." to stderr and aborts: a test run with a
    // faulty module fails loudly. Tests of the sim itself install one that
    // records; after it returns, the faulty call does nothing.
    using FaultHandler = std::function<void(const std::string& message)>;
    static void SetFaultHandler(FaultHandler handler);  // empty: the default
    static void Fault(const std::string& message);

    // --- Host functions (host_api.h forwards here) ----------------------------------
    void HostScriptRegister(ModuleHandle module, void (*script)());
    void HostScriptUnregister(ModuleHandle module);
    void HostKeyboardHandlerRegister(KeyboardHandler handler);
    void HostKeyboardHandlerUnregister(KeyboardHandler handler);
    void HostScriptWait(uint32_t milliseconds);
    void HostNativeInit(uint64_t hash);
    void HostNativePush64(uint64_t value);
    uint64_t* HostNativeCall();

private:
    struct State;
    std::unique_ptr<State> state_;
    static inline Session* current_ = nullptr;
};

}  // namespace sim
