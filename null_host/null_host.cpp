// The answering, non-recording host. Every answer is computed from a few
// fixed values; nothing grows, so a pass through it allocates nothing of its own.
#include "null_host/null_host.h"

#include <cmath>
#include <cstring>

#include "host/host_api.h"
#include "host/natives.h"
#include "platform/platform.h"

namespace {

constexpr int MaxArguments = 8;

struct NullHostState {
    uint64_t hash;                     // native being called
    uint64_t arguments[MaxArguments];  // its pushed arguments
    int argumentCount;
    uint64_t slots[4];  // the result of the last call
    float altitude;     // entity z reported to the module
    uint32_t fromHash;  // weather transition reported to the module
    uint32_t toHash;
    float fraction;
    uint32_t randomState;             // msvcrt-style LCG, never seeded
    KeyboardHandler keyboardHandler;  // the module's, once registered
};

NullHostState host{0, {}, 0, {}, 0.0f, 0, 0, 0.0f, 1, nullptr};

// FNV-1a: any stable 32-bit hash serves as the game's weather-name hash.
uint32_t NameHash(const char* name) {
    uint32_t hash = 2166136261u;
    for (; *name != '\0'; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
    return hash;
}

template <typename T> T* Pointer(uint64_t argument) { return reinterpret_cast<T*>(static_cast<uintptr_t>(argument)); }

void SetFloatResult(size_t byteOffset, float value) {
    std::memcpy(reinterpret_cast<unsigned char*>(host.slots) + byteOffset, &value, sizeof value);
}

}  // namespace

namespace null_host {

void SetAltitude(float altitude) { host.altitude = altitude; }

void SetWeatherTransition(const char* fromName, const char* toName, float fraction) {
    host.fromHash = NameHash(fromName);
    host.toHash = NameHash(toName);
    host.fraction = fraction;
}

void ReleaseKey(uint32_t key) {
    if (host.keyboardHandler != nullptr) host.keyboardHandler(key, 1, 0, 0, 0, 1, 1);
}

}  // namespace null_host

extern "C" {
void scriptRegister(ModuleHandle, void (*)()) {}
void scriptUnregister(ModuleHandle) {}
void keyboardHandlerRegister(KeyboardHandler handler) { host.keyboardHandler = handler; }
void keyboardHandlerUnregister(KeyboardHandler handler) {
    if (host.keyboardHandler == handler) host.keyboardHandler = nullptr;
}
void scriptWait(uint32_t) {}

void nativeInit(uint64_t hash) {
    host.hash = hash;
    host.argumentCount = 0;
}

void nativePush64(uint64_t value) {
    if (host.argumentCount < MaxArguments) host.arguments[host.argumentCount++] = value;
}

uint64_t* nativeCall() {
    namespace hash = natives::hash;
    const uint64_t* argument = host.arguments;
    std::memset(host.slots, 0, sizeof host.slots);
    switch (host.hash) {
    case hash::WeatherNameHash: host.slots[0] = NameHash(Pointer<const char>(argument[0])); break;
    case hash::GetWeatherTransition:
        *Pointer<uint32_t>(argument[0]) = host.fromHash;
        *Pointer<uint32_t>(argument[1]) = host.toHash;
        *Pointer<float>(argument[2]) = host.fraction;
        break;
    case hash::GetWindSpeed: SetFloatResult(0, 3.0f); break;
    case hash::SineDegrees: {
        float degrees;
        const uint32_t bits = static_cast<uint32_t>(argument[0]);
        std::memcpy(&degrees, &bits, sizeof degrees);
        SetFloatResult(0, std::sin(degrees * 0.017453292f));
        break;
    }
    case hash::PlayerCharacter: host.slots[0] = 1; break;
    case hash::EntityPosition: SetFloatResult(16, host.altitude); break;
    default:  // every other native answers 0: no vehicle, modifier 0, no tags
        break;
    }
    return host.slots;
}
}

namespace platform {

uint32_t GameExecutablePath(char* buffer, uint32_t capacity) {
    static const char path[] = "C:\\Games\\Null\\game.exe";
    if (capacity < sizeof path) return 0;
    std::memcpy(buffer, path, sizeof path);
    return sizeof path - 1;
}

uint32_t TickCount() { return 1000; }

LocalTime LocalTimeNow() { return {2026, 1, 1, 0, 0, 1, 0}; }

// No file: the module finds its log cannot be opened and writes none.
bool OpenLogFile(const char*, bool) { return false; }
bool AppendLogFile(const char*, size_t) { return false; }
void CloseLogFile() {}

int Random() {
    host.randomState = host.randomState * 214013u + 2531011u;
    return static_cast<int>((host.randomState >> 16) & 0x7FFF);
}

MemoryRange GameImage() { return {nullptr, nullptr}; }

MemoryRange ReadableRangeAt(const unsigned char* address, const unsigned char*) { return {address, address}; }

bool WriteImageByte(unsigned char*, unsigned char) { return false; }

}  // namespace platform
