// A deliberately faulty module for the import-table test's own test: it
// exports a name, pulls in the shared C++ runtime, imports only three of
// the host's eight functions and takes a TLS index as the threads runtime does.
#include <string>

#include "host/host_api.h"

extern "C" __declspec(dllimport) unsigned long __stdcall TlsAlloc();

extern "C" __declspec(dllexport) int ExportedByMistake(const char* text) {
    scriptWait(0);
    nativeInit(0);
    return static_cast<int>(nativeCall()[0] + std::string(text).size() + TlsAlloc());
}
