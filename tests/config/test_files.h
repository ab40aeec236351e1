// Scratch files for the configuration tests: a fresh directory per test,
// files written byte for byte, and loads that run exactly as the module's.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory with a trailing '/'.
    const std::string& path() const { return path_; }
    // Writes `bytes` (NULs included) to `name` inside the directory.
    void Write(const std::string& name, std::string_view bytes) const;

private:
    std::string path_;
};

// Sets ModuleDirectory to `directory` and loads `name` as the script does
// (alternate file allowed). The record keeps whatever it held before, as in
// the module; call ResetSettingsToStartValues() first for a first load.
const AtmosphereSettings& LoadFrom(const std::string& directory, const char* name = "atmosphere.ini");

// Reads the whole file at `path`.
std::string ReadWholeFile(const std::string& path);
