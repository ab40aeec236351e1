// The writer of the reload-on-save torture test: saves atmosphere.ini in a
// game folder over and over, as an editor that truncates the file and then
// writes it in two parts with a pause between them, alternating two
// versions and now and then deleting the file first. First a storm of
// STORM saves a few milliseconds apart (the game presses the reload key all
// the while), then phase1.done; then CALM saves a few hundred milliseconds
// apart (the watch alone), then writer.done.
//   save_torture_writer FOLDER STORM CALM SEED
//   save_torture_writer FOLDER first      the first version, before the game starts
// The two versions put one setting at the top
// of [CLOUDS] and one at its end, some 16 KB later, so that a read caught
// between the two parts of a save would take the first and default the
// second: a mixture the test can see.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Version(int which) {
    const char* name = which == 0 ? "versionA" : "versionB";
    const char* end = which == 0 ? "740" : "760";
    std::string text = "[GLOBAL]\r\nAutoReload=1\r\n\r\n[CLOUDS]\r\nNormalZoneTimecycleModifier=";
    text += name;
    text += "\r\n";
    // The second version is the longer: every save changes the size.
    for (int line = 0; line < 400 + which * 7; ++line) text += "; padding between the first and the last setting\r\n";
    text += "NormalZoneEnd=";
    text += end;
    text += "\r\n";
    return text;
}

// A small generator of our own, the same on every system.
unsigned Next(unsigned& state) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
}

bool Save(const std::string& path, const std::string& text, size_t split, DWORD pause) {
    HANDLE file = INVALID_HANDLE_VALUE;
    // The module may hold the file open for a moment: an editor tries again.
    for (int attempt = 0; attempt < 200 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) Sleep(1);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole = WriteFile(file, text.data(), static_cast<DWORD>(split), &written, nullptr) && written == split;
    Sleep(pause);
    whole = whole && WriteFile(file, text.data() + split, static_cast<DWORD>(text.size() - split), &written, nullptr) &&
            written == text.size() - split;
    CloseHandle(file);
    return whole;
}

void Touch(const std::string& path) {
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[2]) == "first") {
        const std::string text = Version(0);
        return Save(std::string(argv[1]) + "\\atmosphere.ini", text, text.size(), 0) ? 0 : 1;
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: save_torture_writer FOLDER STORM CALM SEED\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string path = folder + "\\atmosphere.ini";
    const int storm = std::atoi(argv[2]);
    const int saves = storm + std::atoi(argv[3]);
    unsigned state = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10));
    for (int wait = 0; wait < 3000 && GetFileAttributesA((folder + "\\atmosphere.log").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait) {
        Sleep(10);
    }
    int deletions = 0;
    const ULONGLONG start = GetTickCount64();
    for (int save = 0; save < saves; ++save) {
        if (save == storm) Touch(folder + "\\phase1.done");
        const bool calm = save >= storm;
        const std::string text = Version(save % 2);
        if (Next(state) % (calm ? 10 : 20) == 0) {
            DeleteFileA(path.c_str());
            ++deletions;
            Sleep(Next(state) % (calm ? 400 : 60));
        }
        const size_t split = 1 + Next(state) % (text.size() - 1);
        if (!Save(path, text, split, 1 + Next(state) % 5)) {
            std::fprintf(stderr, "save %d: cannot write %s\n", save, path.c_str());
            return 1;
        }
        Sleep(calm ? 150 + Next(state) % 350 : Next(state) % 10);
    }
    std::printf("%d saves in %.1f s, %d deletions, the last version %c\n", saves,
                static_cast<double>(GetTickCount64() - start) / 1000.0, deletions, saves % 2 == 1 ? 'A' : 'B');
    Touch(folder + "\\writer.done");
    return 0;
}
