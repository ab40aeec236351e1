// How the tool was started, and its standard streams, on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <conio.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <istream>
#include <string>
#include <system_error>

#include "tools/atmosphere-sim/console.h"

bool OwnsConsoleWindow() {
    // A shell (cmd, PowerShell, a batch file) shares its console with the
    // programs it starts; Explorer gives a console program one of its own.
    // No console at all (a service, a pipe under wine) is no window either.
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

std::string ExecutableDirectory() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return "";
    const std::string full(path, length);
    const size_t separator = full.find_last_of("\\/");
    return separator == std::string::npos ? "" : full.substr(0, separator);
}

void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The manifest makes UTF-8 the tool's code page; the console's own
    // comes back when the tool ends, for the shell that shares it.
    static const UINT consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        std::atexit([] { SetConsoleOutputCP(consoleCodePage); });
    }
}

int ReadAnswer(std::istream& in) {
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) {
        const int key = _getch();
        // A function or arrow key comes as two codes; the second is no answer.
        if (key == 0 || key == 0xE0) {
            _getch();
            return 0;
        }
        return key == '\r' ? '\n' : key;
    }
    std::string line;
    if (!std::getline(in, line)) return EOF;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line.empty() ? '\n' : static_cast<unsigned char>(line.front());
}

bool OpenWithDefaultProgram(const std::string& path) {
    // The shell is loaded only when asked: the tool imports nothing beyond
    // KERNEL32 and the C runtime, so that it starts on any Windows as is.
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    const HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (shell == nullptr) return false;
    const auto shellExecute =
        reinterpret_cast<ShellExecuteFunction>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")));
    // The tool's texts are UTF-8 (its manifest's code page); the shell takes UTF-16.
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    bool opened = false;
    if (shellExecute != nullptr && length > 0) {
        std::wstring wide(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
        const auto result =
            reinterpret_cast<INT_PTR>(shellExecute(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        opened = result > 32;
    }
    FreeLibrary(shell);
    return opened;
}

std::string MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The C library's rename refuses a name that exists.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return "";
    return std::system_category().message(static_cast<int>(GetLastError()));
}
