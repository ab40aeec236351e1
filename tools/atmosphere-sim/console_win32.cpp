// How the tool was started, and its standard streams, on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

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
