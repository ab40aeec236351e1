// game.exe: the "game executable" of the end-to-end tests under wine. It
// carries the flag test the module looks for in its own writable data, loads
// the module beside the stand-in ScriptHookV.dll, and lets the stand-in run a
// scenario and write the trace.
//   game.exe [--module FILE] [--cycles N MEMORY_LOG] SCENARIO TRACE
// The module defaults to atmosphere.asi beside game.exe. With --cycles the
// scenario runs N times in this one process, each run as a fresh game
// session that loads and frees the module; every run must write the first
// run's trace (the module starts fresh each time), the module must be gone
// after each run, and MEMORY_LOG gets one line per run: the run's number and
// the process's committed private bytes after it. Exit status 0; 2 for a bad
// scenario; 3 when the module or a file cannot be had; 4 when a run's trace
// differs from the first or the module stays mapped.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// After <windows.h>, whose types it uses.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/image.h"
#include "sim/windows/standin.h"

namespace {

// The flag test lives here at run time only: written from a masked copy, so
// that no other place in the image holds the 17 bytes.
unsigned char signatureArea[64];
// Three pages, so that one whole page inside can be made read-only without
// touching any other variable; the flag byte sits 16 bytes into it.
unsigned char flagArea[3 * sim::ImagePageSize];
constexpr uint32_t FlagOffsetInPage = 0x10;
constexpr unsigned char SignatureMask = 0x5A;

unsigned char* FlagPage() {
    const auto address = reinterpret_cast<uintptr_t>(flagArea);
    const uintptr_t page = (address + sim::ImagePageSize - 1) & ~uintptr_t{sim::ImagePageSize - 1};
    return reinterpret_cast<unsigned char*>(page);
}

unsigned char* FlagByte() { return FlagPage() + FlagOffsetInPage; }
unsigned char* SignatureStart() { return signatureArea + 7; }  // not aligned, as code is not

void ProtectFlagPage(DWORD protection) {
    DWORD previous = 0;
    VirtualProtect(FlagPage(), sim::ImagePageSize, protection, &previous);
}

void ArrangeImage(void*, int mode) {
    ProtectFlagPage(PAGE_READWRITE);
    *FlagByte() = 1;
    std::memset(signatureArea, 0, sizeof signatureArea);
    if (mode == static_cast<int>(sim::ImageMode::NoSignature)) return;
    // The pattern, masked so that it lies in this program only once, unmasked here.
    unsigned char masked[sim::SignatureLength];
    for (uint32_t i = 0; i < sim::SignatureLength; ++i) masked[i] = sim::SignatureBytes[i] ^ SignatureMask;
    for (uint32_t i = 0; i < sim::SignatureLength; ++i) SignatureStart()[i] = masked[i] ^ SignatureMask;
    const auto displacement = static_cast<int32_t>(FlagByte() - (SignatureStart() + 13));
    sim::WriteSignature(SignatureStart(), displacement);
    if (mode == static_cast<int>(sim::ImageMode::ReadOnlyTarget)) ProtectFlagPage(PAGE_READONLY);
}

bool Readable(DWORD protection) {
    if (protection & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protection & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                          PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Counts the signature in every readable run of the image, as the module sees it.
void ReportImage(void*, int32_t* signatures, int32_t* flag) {
    MODULEINFO info{};
    K32GetModuleInformation(GetCurrentProcess(), GetModuleHandleA(nullptr), &info, sizeof info);
    const auto* at = static_cast<const unsigned char*>(info.lpBaseOfDll);
    const unsigned char* end = at + info.SizeOfImage;
    int32_t count = 0;
    while (at < end) {
        const unsigned char* runStart = at;
        MEMORY_BASIC_INFORMATION region{};
        while (at < end && VirtualQuery(at, &region, sizeof region) == sizeof region && region.State == MEM_COMMIT &&
               Readable(region.Protect)) {
            at = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
        }
        if (at > end) at = end;
        if (at > runStart) count += sim::CountSignatures(runStart, static_cast<uint32_t>(at - runStart));
        if (at == runStart) at += sim::ImagePageSize;
    }
    *signatures = count;
    *flag = *FlagByte();
}

void WINAPI SimulatedLocalTime(SYSTEMTIME* time) { StandInLocalTime(reinterpret_cast<uint16_t*>(time)); }
static_assert(sizeof(SYSTEMTIME) == 8 * sizeof(uint16_t));

// Points the module's clock and calendar (GetTickCount, GetLocalTime) at the
// simulated ones, so that key timing and the log's times follow the
// scenario under wine exactly as on Linux.
void RedirectClock(HMODULE module) {
    struct Redirect {
        const char* name;
        ULONGLONG function;
    };
    const Redirect redirects[] = {{"GetTickCount", reinterpret_cast<ULONGLONG>(&StandInTickCount)},
                                  {"GetLocalTime", reinterpret_cast<ULONGLONG>(&SimulatedLocalTime)}};
    auto* base = reinterpret_cast<unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), "KERNEL32.dll") != 0) continue;
        const DWORD namesAt = import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + namesAt);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Redirect& redirect : redirects) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), redirect.name) != 0) continue;
                DWORD previous = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &previous);
                slots->u1.Function = redirect.function;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
            }
        }
    }
}

struct Game {
    std::string modulePath;
    HMODULE module = nullptr;
};

void LoadModule(void* context) {
    auto* game = static_cast<Game*>(context);
    game->module = LoadLibraryA(game->modulePath.c_str());
    if (game->module == nullptr) {
        std::fprintf(stderr, "game: cannot load %s (error %lu)\n", game->modulePath.c_str(), GetLastError());
        std::exit(3);
    }
    RedirectClock(game->module);
}

void UnloadModule(void* context) {
    auto* game = static_cast<Game*>(context);
    if (game->module != nullptr) FreeLibrary(game->module);
    game->module = nullptr;
}

// The process's committed private memory: heaps, stacks, the data the
// loader allocates; what a module that does not clean up leaves behind.
uint64_t CommittedPrivateBytes() {
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return total;
}

std::string ReadWholeFile(const char* path) {
    std::ifstream input(path, std::ios::binary);
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

std::string ExecutableDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    const size_t slash = directory.find_last_of('\\');
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    Game game;
    game.modulePath = ExecutableDirectory() + "atmosphere.asi";
    const char* scenarioPath = nullptr;
    const char* tracePath = nullptr;
    const char* memoryLogPath = nullptr;
    unsigned long cycles = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            game.modulePath = name.find_first_of("\\/:") == std::string::npos ? ExecutableDirectory() + name : name;
        } else if (std::strcmp(argv[i], "--cycles") == 0 && i + 2 < argc) {
            cycles = std::strtoul(argv[++i], nullptr, 10);
            memoryLogPath = argv[++i];
        } else if (scenarioPath == nullptr) {
            scenarioPath = argv[i];
        } else if (tracePath == nullptr) {
            tracePath = argv[i];
        } else {
            tracePath = nullptr;
            break;
        }
    }
    if (scenarioPath == nullptr || tracePath == nullptr || cycles == 0) {
        std::fprintf(stderr, "usage: game.exe [--module FILE] [--cycles N MEMORY_LOG] SCENARIO TRACE\n");
        return 2;
    }
    std::ifstream input(scenarioPath, std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "game: cannot read %s\n", scenarioPath);
        return 3;
    }
    std::stringstream text;
    text << input.rdbuf();
    std::FILE* memoryLog = nullptr;
    if (memoryLogPath != nullptr && (memoryLog = std::fopen(memoryLogPath, "w")) == nullptr) {
        std::fprintf(stderr, "game: cannot write %s\n", memoryLogPath);
        return 3;
    }

    const StandInGame callbacks{&game, LoadModule, UnloadModule, ArrangeImage, ReportImage};
    std::string firstTrace;
    int status = 0;
    for (unsigned long cycle = 1; cycle <= cycles && status == 0; ++cycle) {
        // As in a fresh process: the flag set again, the C runtime's
        // generator at its start.
        ArrangeImage(nullptr, static_cast<int>(sim::ImageMode::Signature));
        std::srand(1);
        char error[256] = {};
        status = StandInRunScenario(text.str().c_str(), &callbacks, tracePath, error, sizeof error);
        if (status != 0) {
            std::fprintf(stderr, "game: %s: %s\n", scenarioPath, error);
            break;
        }
        if (cycles == 1) break;
        if (GetModuleHandleA(game.modulePath.c_str()) != nullptr) {
            std::fprintf(stderr, "game: run %lu: %s is still mapped after FreeLibrary\n", cycle,
                         game.modulePath.c_str());
            status = 4;
        } else if (cycle == 1) {
            firstTrace = ReadWholeFile(tracePath);
        } else if (ReadWholeFile(tracePath) != firstTrace) {
            std::fprintf(stderr, "game: run %lu wrote another trace than run 1: the module did not start fresh\n",
                         cycle);
            status = 4;
        }
        std::fprintf(memoryLog, "%lu %llu\n", cycle, static_cast<unsigned long long>(CommittedPrivateBytes()));
    }
    if (memoryLog != nullptr) std::fclose(memoryLog);
    return status;
}
