// The version resource of a Windows program or library (a PE file), read
// without loading it: what tells the module apart from any other .asi or
// .dll, whatever it is named. Reads the headers and the resource section
// only, never the whole file, so a folder of large libraries is quick.
#pragma once

#include <filesystem>
#include <string>

namespace doctor {

enum class PeKind {
    NotPe,      // no PE headers: not a program or library at all
    Truncated,  // PE headers, but the file ends before what they describe
    NoVersion,  // a PE file without a version resource
    Versioned,  // a PE file with one
};

struct PeVersion {
    PeKind kind = PeKind::NotPe;
    // The version resource's strings (ASCII as written; empty when absent).
    std::string productName;
    std::string originalFilename;
    std::string fileVersion;
};

// Reads `file`'s version resource. Every input is answered in time bounded
// by the resource section's size (at most a few MB are read); a file that
// cannot be opened reads as NotPe.
PeVersion ReadPeVersion(const std::filesystem::path& file);

// The same from bytes in memory (the whole file), for tests.
PeVersion ReadPeVersionFromBytes(const std::string& bytes);

}  // namespace doctor
