// The script coroutine on x86-64 Linux: the script runs on a stack of its
// own, and the game and the script hand over by swapping the stack pointer
// and the callee-saved registers, a few instructions with no system call.
// A thread hand-over (coroutine_thread.cpp, kept for other processors) costs
// two trips through the kernel scheduler per frame, which dominated long
// flights; swapcontext still makes a signal-mask system call per switch.
//
// When the coroutine is destroyed while the script waits, Suspend throws an
// exception of ours that unwinds the script's stack up to its entry here, so
// every destructor on it runs. AddressSanitizer is told of every switch, so
// it checks the script's stack as it checks a thread's.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sim/backend.h"

#if defined(__SANITIZE_ADDRESS__)
#define ATMOSPHERE_SIM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ATMOSPHERE_SIM_ASAN 1
#endif
#endif
#ifdef ATMOSPHERE_SIM_ASAN
#include <sanitizer/common_interface_defs.h>
#endif

// Saves the callee-saved registers, MXCSR and the x87 control word on the
// current stack, stores the stack pointer in *save, loads `next` and restores
// the same set from there. System V AMD64 calling convention.
extern "C" void atmosphere_sim_switch_stack(void** save, void* next);
// First code on a new stack: calls r13(r12) and never returns.
extern "C" void atmosphere_sim_stack_start();

asm(R"(
    .text
    .globl atmosphere_sim_switch_stack
    .type atmosphere_sim_switch_stack, @function
atmosphere_sim_switch_stack:
    .cfi_startproc
    pushq %rbp
    pushq %rbx
    pushq %r12
    pushq %r13
    pushq %r14
    pushq %r15
    subq $8, %rsp
    stmxcsr (%rsp)
    fnstcw 4(%rsp)
    movq %rsp, (%rdi)
    movq %rsi, %rsp
    ldmxcsr (%rsp)
    fldcw 4(%rsp)
    addq $8, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rbx
    popq %rbp
    ret
    .cfi_endproc
    .size atmosphere_sim_switch_stack, .-atmosphere_sim_switch_stack

    .globl atmosphere_sim_stack_start
    .type atmosphere_sim_stack_start, @function
atmosphere_sim_stack_start:
    .cfi_startproc
    .cfi_undefined rip
    movq %r12, %rdi
    callq *%r13
    ud2
    .cfi_endproc
    .size atmosphere_sim_stack_start, .-atmosphere_sim_stack_start
)");

namespace sim::backend {
namespace {

// Thrown out of Suspend when the host stops the script; caught at the stack's entry.
struct ScriptStopped {};

// Room for the module's deepest call (a configuration load) many times over,
// and for the sanitizers' larger frames. Pages are committed only when used.
constexpr size_t StackBytes = size_t{8} << 20;

class StackCoroutine final : public StackfulCoroutine {
public:
    explicit StackCoroutine(void (*script)()) : script_(script) {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        mappingBytes_ = StackBytes + page;
        mapping_ =
            mmap(nullptr, mappingBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapping_ == MAP_FAILED) std::abort();
        // The lowest page stays inaccessible: an overflow faults at once.
        mprotect(mapping_, page, PROT_NONE);
        stackBottom_ = static_cast<char*>(mapping_) + page;
        char* top = stackBottom_ + StackBytes;  // page-aligned, so 16-byte aligned
        // The frame atmosphere_sim_switch_stack pops: control words, r15, r14,
        // r13 (entry), r12 (argument), rbx, rbp, and the return address.
        auto* slots = reinterpret_cast<uint64_t*>(top) - 8;
        const uint64_t controlWords = 0x1F80u | (uint64_t{0x037Fu} << 32);  // the ABI's start values
        const uint64_t initial[8] = {controlWords,
                                     0,
                                     0,
                                     reinterpret_cast<uint64_t>(&Entry),
                                     reinterpret_cast<uint64_t>(this),
                                     0,
                                     0,
                                     reinterpret_cast<uint64_t>(&atmosphere_sim_stack_start)};
        for (int i = 0; i < 8; ++i) slots[i] = initial[i];
        scriptStack_ = slots;
    }

    ~StackCoroutine() override {
        if (started_ && !finished_) {
            stopping_ = true;
            SwitchToScript();
        }
        munmap(mapping_, mappingBytes_);
    }

    void Resume() override {
        if (finished_) return;
        started_ = true;
        SwitchToScript();
    }

    void Suspend() override {
        SwitchToGame(false);
        if (stopping_) throw ScriptStopped{};
    }

    bool Finished() const override { return finished_; }

    bool OnCoroutine() const override { return onScript_; }

private:
    static void Entry(StackCoroutine* self) {
#ifdef ATMOSPHERE_SIM_ASAN
        __sanitizer_finish_switch_fiber(nullptr, &self->gameStackBottom_, &self->gameStackSize_);
#endif
        try {
            self->script_();
        } catch (const ScriptStopped&) {
            // The host stopped the script: its stack is unwound, nothing more to do.
        }
        self->finished_ = true;
        self->SwitchToGame(true);
        std::abort();  // a finished script is never resumed
    }

    void SwitchToScript() {
        onScript_ = true;
#ifdef ATMOSPHERE_SIM_ASAN
        void* fakeStack = nullptr;
        __sanitizer_start_switch_fiber(&fakeStack, stackBottom_, StackBytes);
#endif
        atmosphere_sim_switch_stack(&gameStack_, scriptStack_);
#ifdef ATMOSPHERE_SIM_ASAN
        __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
        onScript_ = false;
    }

    void SwitchToGame(bool last) {
#ifdef ATMOSPHERE_SIM_ASAN
        void* fakeStack = nullptr;
        __sanitizer_start_switch_fiber(last ? nullptr : &fakeStack, gameStackBottom_, gameStackSize_);
#else
        (void)last;
#endif
        atmosphere_sim_switch_stack(&scriptStack_, gameStack_);
#ifdef ATMOSPHERE_SIM_ASAN
        __sanitizer_finish_switch_fiber(fakeStack, &gameStackBottom_, &gameStackSize_);
#endif
    }

    void (*script_)();
    void* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    char* stackBottom_ = nullptr;
    void* scriptStack_ = nullptr;  // the script's saved stack pointer while the game runs
    void* gameStack_ = nullptr;    // the game's saved stack pointer while the script runs
    bool started_ = false;
    bool stopping_ = false;  // the host is destroying the coroutine
    bool finished_ = false;  // the script's function has returned or was unwound
    bool onScript_ = false;
    [[maybe_unused]] const void* gameStackBottom_ = nullptr;
    [[maybe_unused]] size_t gameStackSize_ = 0;
};

}  // namespace

std::unique_ptr<ScriptCoroutine> CreateScriptCoroutine(void (*script)()) {
    return std::make_unique<StackCoroutine>(script);
}

}  // namespace sim::backend
