// What atmosphere-sim asks of the operating system: how it was started, and
// how its standard streams write. console_win32.cpp and console_posix.cpp
// implement it; the build picks the file.
#pragma once

#include <string>

// Whether the console window is this process's alone: Explorer opened it for
// a double-click or a drop and closes it when the tool ends, so the tool must
// wait before it ends. A terminal's window is shared with the shell: false.
bool OwnsConsoleWindow();

// The folder of the running executable ("" when it cannot be had).
std::string ExecutableDirectory();

// Standard output and error write "\n" as it is, not as "\r\n", so that what
// the tool prints is the same bytes on every system (a console shows both
// alike), and a console shows the tool's UTF-8 text as such while it runs.
void PrepareStandardStreams();
