// The simulated host's core: registration, frames, keyboard, clock, the
// native-call protocol and the trace. Portable; the process-specific parts
// (coroutine, module entry, image) go through sim/backend.h.
#include "sim/session.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <span>
#include <utility>

#include "host/host_api.h"
#include "sim/backend.h"
#include "sim/path_text.h"
#include "sim/wall_clock.h"

namespace sim {
namespace {

Session::FaultHandler faultHandler;

// The instance handle the module is given on Linux: any distinct address.
char moduleInstanceTag;

}  // namespace

struct Session::State {
    SessionOptions options;
    World world;
    std::vector<World> history;
    MemoryTraceSink memory;  // the events, unless the options name a sink
    TraceSink* sink = &memory;
    size_t errors = 0;
    NativeOutcome outcome;    // reused by every native call
    uint32_t frame = 0;       // frames begun
    uint32_t now = 0;         // the clock, ms
    uint32_t randomSeed = 1;  // the C runtime's generator, never seeded
    bool loaded = false;
    std::string gameDirectory;   // backslashes
    std::FILE* log = nullptr;    // the module's log, while open
    bool paced = false;          // frames at the wall clock's pace
    uint64_t nextFrameWall = 0;  // wall-clock ms the next paced frame may start

    // What the module has registered.
    ModuleHandle instance = nullptr;
    void (*script)() = nullptr;
    KeyboardHandler keyboardHandler = nullptr;
    std::unique_ptr<backend::ScriptCoroutine> coroutine;
    bool scriptFinishedReported = false;
    std::set<uint32_t> keysHeld;

    // The native call being built.
    bool callOpen = false;
    uint64_t callHash = 0;
    uint64_t callArguments[MaxNativeArguments] = {};
    size_t callArgumentCount = 0;
    uint64_t slots[NativeResultSlots] = {};

    void BeginFrame() {
        if (paced) {
            const uint64_t wall = WallMilliseconds();
            if (wall < nextFrameWall) SleepMilliseconds(static_cast<uint32_t>(nextFrameWall - wall));
            nextFrameWall = std::max(wall, nextFrameWall) + options.frameMilliseconds;
        }
        ++frame;
        now += options.frameMilliseconds;
        world.BeginFrame(options.frameMilliseconds);
        if (script != nullptr && !coroutine) coroutine = backend::CreateScriptCoroutine(script);
    }

    void EndFrame() {
        if (options.keepHistory) history.push_back(world);
    }

    TraceCaller Caller() const {
        return coroutine && coroutine->OnCoroutine() ? TraceCaller::Script : TraceCaller::Game;
    }

    void Record(TraceKind kind, std::string_view name, std::span<const TraceValue> arguments = {},
                std::span<const TraceValue> results = {}, uint64_t hash = 0) {
        if (kind == TraceKind::Error) ++errors;
        sink->Record({frame, Caller(), kind, name, hash, arguments, results});
    }

    void Record(TraceKind kind, std::string_view name, std::initializer_list<TraceValue> arguments,
                std::initializer_list<TraceValue> results = {}) {
        Record(kind, name, std::span<const TraceValue>(arguments.begin(), arguments.size()),
               std::span<const TraceValue>(results.begin(), results.size()));
    }
};

Session::Session(SessionOptions options) : state_(std::make_unique<State>()) {
    if (current_ != nullptr) Fault("a second simulated session while one is live");
    current_ = this;
    state_->options = std::move(options);
    if (state_->options.traceSink != nullptr) state_->sink = state_->options.traceSink;
    state_->now = state_->options.startTick;
    state_->instance = reinterpret_cast<ModuleHandle>(&moduleInstanceTag);
    backend::AttachGame(state_->options);
    state_->gameDirectory = backend::GameDirectory(state_->options);
}

Session::~Session() {
    // Stops the script where it waits; the module is not told (a process
    // that is killed does not unload its libraries either).
    state_->coroutine.reset();
    CloseLog();
    backend::DetachGame();
    if (current_ == this) current_ = nullptr;
}

void Session::SetFaultHandler(FaultHandler handler) { faultHandler = std::move(handler); }

void Session::Fault(const std::string& message) {
    if (faultHandler) {
        faultHandler(message);
        return;
    }
    std::fprintf(stderr, "sim: fault: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

// --- The module ---------------------------------------------------------------

void Session::Load() {
    if (state_->loaded) {
        Fault("Load while the module is loaded");
        return;
    }
    state_->Record(TraceKind::Event, "Load");
    state_->loaded = true;
    backend::EnterModule(state_->options.moduleEntry, state_->instance, DllProcessAttach);
}

void Session::Unload() {
    if (!state_->loaded) {
        Fault("Unload while the module is not loaded");
        return;
    }
    state_->Record(TraceKind::Event, "Unload");
    backend::EnterModule(state_->options.moduleEntry, state_->instance, DllProcessDetach);
    state_->loaded = false;
}

bool Session::Loaded() const { return state_->loaded; }

int Session::CallEntry(uint32_t reason) {
    const int result = backend::EnterModule(state_->options.moduleEntry, state_->instance, reason);
    state_->Record(TraceKind::Event, "Entry", {TraceValue::Int(static_cast<int32_t>(reason))},
                   {TraceValue::Int(result)});
    return result;
}

// --- Frames -------------------------------------------------------------------

void Session::RunFrames(uint32_t count) {
    if (count == 0) return;
    RunFramesWhile([&count] { return --count > 0; });
}

void Session::RunFramesWhile(const std::function<bool()>& next) {
    State& s = *state_;
    // Ends the frame, and begins the next while `next` wants one.
    const std::function<bool()> betweenFrames = [&s, &next] {
        s.EndFrame();
        if (!next()) return false;
        s.BeginFrame();
        return true;
    };
    s.BeginFrame();
    for (;;) {
        if (s.coroutine && !s.coroutine->Finished()) {
            if (!s.coroutine->RunFrame(betweenFrames)) return;  // the frames ended in the script's waits
            if (s.coroutine->Finished() && !s.scriptFinishedReported) {
                s.scriptFinishedReported = true;
                s.Record(TraceKind::Event, "ScriptReturned");
            }
        }
        if (!betweenFrames()) return;
    }
}

uint32_t Session::Frame() const { return state_->frame; }

// --- The module's log ------------------------------------------------------------

bool Session::OpenLog(const char* path, bool empty) {
    CloseLog();
    std::string file = state_->options.logFile.value_or(path);
    if (file.empty()) return false;
    if (!state_->options.logFile) {
        // The module's own path, with the Windows separators the game's path has.
        for (char& c : file) c = c == '\\' ? '/' : c;
    }
    state_->log = std::fopen(PathFromText(file).string().c_str(), empty ? "wb" : "ab");
    return state_->log != nullptr;
}

bool Session::AppendLog(const char* bytes, size_t size) {
    if (state_->log == nullptr) return false;
    // Flushed line by line, as the module's writes reach the system at once.
    return std::fwrite(bytes, 1, size, state_->log) == size && std::fflush(state_->log) == 0;
}

void Session::CloseLog() {
    if (state_->log != nullptr) std::fclose(state_->log);
    state_->log = nullptr;
}

platform::LocalTime LocalTimeAt(uint32_t tick) {
    constexpr uint32_t MillisecondsPerDay = 86400000u;
    uint32_t days = tick / MillisecondsPerDay;
    uint32_t within = tick % MillisecondsPerDay;
    uint16_t year = 2026;
    uint16_t month = 1;
    const auto daysInMonth = [](uint16_t y, uint16_t m) -> uint32_t {
        constexpr uint32_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        return m == 2 && leap ? 29 : lengths[m - 1];
    };
    while (days >= daysInMonth(year, month)) {
        days -= daysInMonth(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    platform::LocalTime time{};
    time.year = year;
    time.month = month;
    time.day = static_cast<uint16_t>(days + 1);
    time.hour = static_cast<uint16_t>(within / 3600000u);
    time.minute = static_cast<uint16_t>(within / 60000u % 60);
    time.second = static_cast<uint16_t>(within / 1000u % 60);
    time.millisecond = static_cast<uint16_t>(within % 1000u);
    return time;
}

// --- Keyboard -------------------------------------------------------------------

void Session::KeyDown(uint32_t key) {
    const bool repeat = state_->keysHeld.count(key) != 0;
    state_->keysHeld.insert(key);
    state_->Record(TraceKind::Event, "KeyDown", {TraceValue::Hex(key)});
    if (state_->keyboardHandler != nullptr) state_->keyboardHandler(key, 1, 0, 0, 0, repeat ? 1 : 0, 0);
}

void Session::KeyUp(uint32_t key) {
    state_->keysHeld.erase(key);
    state_->Record(TraceKind::Event, "KeyUp", {TraceValue::Hex(key)});
    if (state_->keyboardHandler != nullptr) state_->keyboardHandler(key, 1, 0, 0, 0, 1, 1);
}

void Session::PressKey(uint32_t key) {
    KeyDown(key);
    KeyUp(key);
}

void Session::SendKeyMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                             int32_t wasDownBefore, int32_t isUpNow) {
    state_->Record(
        TraceKind::Event, "KeyMessage",
        {TraceValue::Hex(key), TraceValue::Int(repeats), TraceValue::Int(scanCode), TraceValue::Int(isExtended),
         TraceValue::Int(isWithAlt), TraceValue::Int(wasDownBefore), TraceValue::Int(isUpNow)});
    if (state_->keyboardHandler != nullptr) {
        state_->keyboardHandler(key, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
    }
}

// --- Clock and random numbers ------------------------------------------------------

uint32_t Session::Now() const { return state_->now; }

void Session::SetNow(uint32_t milliseconds) { state_->now = milliseconds; }

void Session::SetFrameMilliseconds(uint32_t milliseconds) { state_->options.frameMilliseconds = milliseconds; }

void Session::SetPaced(bool paced) {
    state_->paced = paced;
    state_->nextFrameWall = WallMilliseconds();
}

int Session::Random() {
    state_->randomSeed = state_->randomSeed * 214013u + 2531011u;
    return static_cast<int>((state_->randomSeed >> 16) & 0x7FFFu);
}

// --- The game -------------------------------------------------------------------------

World& Session::world() { return state_->world; }
const World& Session::world() const { return state_->world; }
const std::vector<World>& Session::History() const { return state_->history; }

void Session::ArrangeImage(ImageMode mode) { backend::ArrangeImage(mode); }

ImageReport Session::Image() const { return backend::ReportImage(); }

const std::string& Session::GameDirectory() const { return state_->gameDirectory; }

std::string Session::GameDirectoryFor(const std::string& gameDirectory) {
    SessionOptions options;
    options.gameDirectory = gameDirectory;
    return backend::GameDirectory(options);
}

std::string Session::GameExecutablePath() const { return state_->gameDirectory + "\\game.exe"; }

// --- What the host holds -------------------------------------------------------------------

bool Session::ScriptRegistered() const { return state_->script != nullptr; }

bool Session::ScriptFinished() const { return state_->coroutine && state_->coroutine->Finished(); }

KeyboardHandler Session::RegisteredKeyboardHandler() const { return state_->keyboardHandler; }

ModuleHandle Session::Instance() const { return state_->instance; }

// --- Trace --------------------------------------------------------------------------------

const std::vector<TraceEvent>& Session::Trace() const { return state_->memory.events; }

std::string Session::TraceText() const { return FormatTrace(state_->memory.events); }

void Session::ClearTrace() { state_->memory.events.clear(); }

void Session::RecordEvent(std::string name, std::vector<TraceValue> arguments, std::vector<TraceValue> results) {
    state_->Record(TraceKind::Event, name, arguments, results);
}

size_t Session::ErrorCount() const { return state_->errors; }

// --- Host functions ---------------------------------------------------------------------------

void Session::HostScriptRegister(ModuleHandle module, void (*script)()) {
    State& s = *state_;
    s.Record(TraceKind::Host, "scriptRegister");
    if (script == nullptr) {
        Fault("scriptRegister with a null script");
        return;
    }
    if (s.script != nullptr) {
        s.Record(TraceKind::Error, "scriptRegister", {TraceValue::Text("a script is already registered")});
        return;
    }
    // The host keeps the handle it was given: under wine that is the DLL's own.
    s.instance = module;
    s.script = script;
    s.scriptFinishedReported = false;
}

void Session::HostScriptUnregister(ModuleHandle module) {
    State& s = *state_;
    s.Record(TraceKind::Host, "scriptUnregister");
    if (s.script == nullptr || module != s.instance) {
        s.Record(TraceKind::Error, "scriptUnregister", {TraceValue::Text("no script registered for this module")});
        return;
    }
    if (s.coroutine && s.coroutine->OnCoroutine()) {
        Fault("scriptUnregister called from the script itself");
        return;
    }
    s.coroutine.reset();
    s.script = nullptr;
}

void Session::HostKeyboardHandlerRegister(KeyboardHandler handler) {
    State& s = *state_;
    s.Record(TraceKind::Host, "keyboardHandlerRegister");
    if (handler == nullptr) {
        Fault("keyboardHandlerRegister with a null handler");
        return;
    }
    if (s.keyboardHandler != nullptr) {
        s.Record(TraceKind::Error, "keyboardHandlerRegister", {TraceValue::Text("a handler is already registered")});
        return;
    }
    s.keyboardHandler = handler;
}

void Session::HostKeyboardHandlerUnregister(KeyboardHandler handler) {
    State& s = *state_;
    s.Record(TraceKind::Host, "keyboardHandlerUnregister");
    if (handler == nullptr || handler != s.keyboardHandler) {
        s.Record(TraceKind::Error, "keyboardHandlerUnregister", {TraceValue::Text("handler not registered")});
        return;
    }
    s.keyboardHandler = nullptr;
}

void Session::HostScriptWait(uint32_t milliseconds) {
    State& s = *state_;
    if (!s.coroutine || !s.coroutine->OnCoroutine()) {
        Fault("scriptWait called outside the script coroutine");
        return;
    }
    if (s.callOpen) Fault("scriptWait inside an unfinished native call");
    s.Record(TraceKind::Host, "scriptWait", {TraceValue::Int(static_cast<int32_t>(milliseconds))});
    s.coroutine->Suspend();
}

void Session::HostNativeInit(uint64_t hash) {
    State& s = *state_;
    if (s.callOpen) {
        char message[96];
        std::snprintf(message, sizeof message, "nativeInit(0x%016" PRIX64 ") while 0x%016" PRIX64 " is not called",
                      hash, s.callHash);
        Fault(message);
    }
    s.callOpen = true;
    s.callHash = hash;
    s.callArgumentCount = 0;
    // A stale result must not survive into the next call.
    for (uint64_t& slot : s.slots) slot = ResultNoise;
}

void Session::HostNativePush64(uint64_t value) {
    State& s = *state_;
    if (!s.callOpen) {
        Fault("nativePush64 without nativeInit");
        return;
    }
    if (s.callArgumentCount == MaxNativeArguments) {
        Fault("nativePush64: too many arguments");
        return;
    }
    s.callArguments[s.callArgumentCount++] = value;
}

uint64_t* Session::HostNativeCall() {
    State& s = *state_;
    if (!s.callOpen) {
        Fault("nativeCall without nativeInit");
        return s.slots;
    }
    s.callOpen = false;
    const NativeDescriptor* native = FindNative(s.callHash);
    char message[128];
    if (native == nullptr) {
        std::snprintf(message, sizeof message, "unknown native 0x%016" PRIX64 " (%zu arguments)", s.callHash,
                      s.callArgumentCount);
        Fault(message);
        return s.slots;
    }
    if (s.callArgumentCount != native->argumentCount) {
        std::snprintf(message, sizeof message, "%s (0x%016" PRIX64 ") takes %u arguments, %zu were pushed",
                      native->name, native->hash, static_cast<unsigned>(native->argumentCount), s.callArgumentCount);
        Fault(message);
        return s.slots;
    }
    std::string fault;
    s.outcome.record = s.sink->RecordsNative(native->hash);
    RunNative(s.world, *native, s.callArguments, s.slots, s.outcome, fault);
    if (!fault.empty()) {
        Fault(fault);
        return s.slots;
    }
    if (s.outcome.record) {
        s.Record(TraceKind::Native, native->name, s.outcome.Arguments(), s.outcome.Results(), native->hash);
    }
    if (s.outcome.error != nullptr) s.Record(TraceKind::Error, native->name, {TraceValue::Text(s.outcome.error)});
    return s.slots;
}

}  // namespace sim
