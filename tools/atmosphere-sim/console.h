// What atmosphere-sim asks of the operating system: how it was started, and
// how its standard streams write. console_win32.cpp and console_posix.cpp
// implement it; the build picks the file.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

// Whether the console window is this process's alone: Explorer opened it for
// a double-click or a drop and closes it when the tool ends, so the tool must
// wait before it ends. A terminal's window is shared with the shell: false.
bool OwnsConsoleWindow();

// The folder of the running executable ("" when it cannot be had).
std::string ExecutableDirectory();

// The first character a person answers with on `in`: in a console window
// of the tool's own, a single key press ('\n' for Enter, '\r' becomes
// '\n'); otherwise the first character of the next line ('\n' for an empty
// one). EOF at the end of input.
int ReadAnswer(std::istream& in);

// Opens `path` (a page) with the program the system gives such files, the
// web browser; false when none was started. Only a window of the tool's own
// offers it: on Linux the tool never owns one and opens nothing.
bool OpenWithDefaultProgram(const std::string& path);

// Standard output and error write "\n" as it is, not as "\r\n", so that what
// the tool prints is the same bytes on every system (a console shows both
// alike), and a console shows the tool's UTF-8 text as such while it runs.
void PrepareStandardStreams();

// Puts the file `from` in the place of `to`, which may exist, in one step:
// a reader of `to` finds the old file or the new one, never neither. Empty,
// or what stopped it.
std::string MoveOver(const std::filesystem::path& from, const std::filesystem::path& to);
