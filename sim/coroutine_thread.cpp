// The script coroutine on Linux: a thread that takes turns with the game
// thread, so exactly one of them runs at any moment. When the coroutine is
// destroyed while the script waits, scriptWait throws an exception of ours
// that unwinds the script's stack to its thread's start, so the thread ends
// cleanly and leak checkers see nothing. AddressSanitizer follows real
// threads far better than swapped stacks.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "sim/backend.h"

namespace sim::backend {
namespace {

// Thrown out of Suspend when the host stops the script; caught at the thread's start.
struct ScriptStopped {};

class ThreadCoroutine final : public StackfulCoroutine {
public:
    explicit ThreadCoroutine(void (*script)()) : script_(script) {}

    ~ThreadCoroutine() override {
        if (thread_.joinable()) {
            std::unique_lock lock(mutex_);
            if (!finished_) {
                stopping_ = true;
                turn_ = Turn::Script;
                changed_.notify_all();
                changed_.wait(lock, [this] { return turn_ == Turn::Game; });
            }
            lock.unlock();
            thread_.join();
        }
    }

    void Resume() override {
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        std::unique_lock lock(mutex_);
        turn_ = Turn::Script;
        changed_.notify_all();
        changed_.wait(lock, [this] { return turn_ == Turn::Game; });
    }

    void Suspend() override {
        std::unique_lock lock(mutex_);
        turn_ = Turn::Game;
        changed_.notify_all();
        changed_.wait(lock, [this] { return turn_ == Turn::Script; });
        if (stopping_) throw ScriptStopped{};
    }

    bool Finished() const override {
        std::lock_guard lock(mutex_);
        return finished_;
    }

    bool OnCoroutine() const override {
        std::lock_guard lock(mutex_);
        return scriptThreadKnown_ && std::this_thread::get_id() == scriptThread_;
    }

private:
    enum class Turn { Game, Script };

    void Run() {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return turn_ == Turn::Script; });
            scriptThread_ = std::this_thread::get_id();
            scriptThreadKnown_ = true;
        }
        try {
            script_();
        } catch (const ScriptStopped&) {
            // The host stopped the script: its stack is unwound, nothing more to do.
        }
        std::lock_guard lock(mutex_);
        finished_ = true;
        turn_ = Turn::Game;
        changed_.notify_all();
    }

    void (*script_)();
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Turn turn_ = Turn::Game;  // who may run now
    bool stopping_ = false;   // the host is destroying the coroutine
    bool finished_ = false;   // the script's function has returned or was unwound
    bool scriptThreadKnown_ = false;
    std::thread::id scriptThread_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<ThreadCoroutine>(script);
}

}  // namespace sim::backend
