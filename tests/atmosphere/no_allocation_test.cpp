// A pass of the loop must not touch the heap: the module runs inside the
// game's frame. Every operator new of this test program is counted, and the
// module is driven through the whole ladder, up and down, with debug mode on,
// a reload and a switch off and on, on the answering null host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "atmosphere/script.h"
#include "config/settings.h"
#include "host/host_api.h"
#include "host/key_state.h"
#include "null_host/null_host.h"

namespace {
// Plain integer: the module and this test share one thread.
unsigned long allocationCount = 0;
}  // namespace

// These replace the global pair, so malloc and free do match; the compiler
// only sees free() called on what a new-expression returned.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

TEST(PassAllocation, CountingSeesAnAllocation) {
    const unsigned long before = allocationCount;
    auto* probe = new int(7);
    EXPECT_EQ(allocationCount, before + 1);
    delete probe;
}

TEST(PassAllocation, NoPassAllocatesThroughTheWholeLadder) {
    ResetAtmosphereModule();
    ResetSettingsToStartValues();
    ResetKeyStateTable();
    DllMain(nullptr, DllProcessAttach, nullptr);  // registers the keyboard handler
    null_host::SetWeatherTransition("rain", "rain", 0.0f);
    null_host::SetAltitude(0.0f);
    AtmosphereStartup();
    null_host::ReleaseKey(static_cast<uint32_t>(Settings.DebugKey));
    AtmospherePass();
    ASSERT_TRUE(Script.debugMode);

    const unsigned long before = allocationCount;
    for (int step = 0; step <= 80; ++step) {  // up to 4000 and down again
        const int height = step <= 40 ? step * 100 : (80 - step) * 100;
        null_host::SetAltitude(static_cast<float>(height));
        if (step == 20) null_host::ReleaseKey(static_cast<uint32_t>(Settings.ReloadKey));
        if (step == 30 || step == 31) null_host::ReleaseKey(static_cast<uint32_t>(Settings.OnOffKey));
        AtmospherePass();
    }
    RestoreDefaults();
    EXPECT_EQ(allocationCount, before);
}

}  // namespace
