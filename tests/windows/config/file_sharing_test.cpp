// An editor that holds the configuration file open must not keep the module
// from reading it: every way of holding it open that still lets others read
// (even for writing, or for deleting or renaming it on save) leaves the load
// its values. Windows only: the sharing rules are the system's.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/configuration.h"
#include "config/settings.h"
#include "tests/config/test_files.h"

namespace {

TEST(FileSharing, AFileHeldOpenByAnEditorStillLoads) {
    const DWORD accesses[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE | DELETE, DELETE};
    for (const DWORD access : accesses) {
        ScratchDirectory directory;
        directory.Write("atmosphere.ini", "[KEYS]\r\nReloadKey=0x41\r\n");
        const std::string path = directory.path() + "atmosphere.ini";
        const HANDLE editor = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(editor, INVALID_HANDLE_VALUE);
        ResetSettingsToStartValues();
        EXPECT_EQ(LoadFrom(directory.path()).ReloadKey, 0x41) << "editor access " << access;
        CloseHandle(editor);
    }
}

}  // namespace
