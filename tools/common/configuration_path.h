// Points the module's configuration reader at a file given by its path, the
// way the module itself would find it beside the game: the path's directory
// as ModuleDirectory, its name as the file name. Shared by the tools.
#pragma once

#include <string>

enum class PathLoad {
    Loaded,            // the file was there and has been read
    FileMissing,       // no such file: every key took its default
    NotAFile,          // a folder, a device or a pipe: the module reads no file there, every key took its default
    DirectoryTooLong,  // the module cannot hold the directory: every key took its default
};

// Puts the settings back to their start values and loads `path` as the
// module would, the alternate-file redirect followed. A directory the
// module's 260-byte buffer cannot hold is never cut (a cut path could name
// another folder): the load then reads nothing.
PathLoad LoadConfigurationFromPath(const std::string& path);

// What stands at `path` when it is no regular file, for a message: "a
// folder", "a device", "a pipe", "a socket" or "no regular file".
std::string DescribeNonFile(const std::string& path);
