// Starts a console program the way Windows does for a person, so that the
// wine tests see both of the tool's behaviours:
//   console_launcher explorer PROGRAM [ARGUMENT...]
//     as Explorer does for a double-click or a drop: a console of its own;
//   console_launcher shell PROGRAM [ARGUMENT...]
//     as cmd does: the program shares the launcher's console.
// The program reads and writes the launcher's standard handles either way,
// so the test sees its output and can give it input. Exit status: the
// program's, or 125 when it cannot be started.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Quotes an argument for the command line as the C runtime splits it back:
// backslashes are literal unless they precede a quote.
std::string Quote(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    const bool explorer = argc >= 3 && std::strcmp(argv[1], "explorer") == 0;
    const bool shell = argc >= 3 && std::strcmp(argv[1], "shell") == 0;
    if (!explorer && !shell) {
        std::fprintf(stderr, "usage: console_launcher explorer|shell PROGRAM [ARGUMENT...]\n");
        return 125;
    }
    std::string commandLine;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) commandLine += ' ';
        commandLine += Quote(argv[i]);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // A shell owns a console that its programs inherit.
    if (shell && GetConsoleWindow() == nullptr) AllocConsole();
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, explorer ? CREATE_NEW_CONSOLE : 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "console_launcher: cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return 125;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 125;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
