// An editor that holds the configuration file open must not keep the module
// from reading it: every way of holding it open that still lets others read
// (even for writing, or for deleting or renaming it on save) leaves the load
// its values. And the module's log, open while the game runs, can be read,
// and deleted, by anyone. Windows only: the sharing rules are the system's.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/configuration.h"
#include "config/settings.h"
#include "platform/platform.h"
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

TEST(FileSharing, TheLogCanBeReadAndDeletedWhileTheModuleWritesIt) {
    ScratchDirectory directory;
    const std::string path = directory.path() + "atmosphere.log";
    directory.Write("atmosphere.log", "last session\r\n");
    ASSERT_TRUE(platform::OpenLogFile(path.c_str(), true));
    ASSERT_TRUE(platform::AppendLogFile("one\r\n", 5));

    // An editor (or the tool) reads it as the game runs, without asking to write.
    const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char text[32] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(reader, text, sizeof text - 1, &got, nullptr));
    EXPECT_STREQ(text, "one\r\n");  // emptied at the start, then each line at once
    CloseHandle(reader);

    // A player deletes it: the next writes go on without an error, and the
    // next start creates it afresh.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_TRUE(platform::AppendLogFile("two\r\n", 5));
    platform::CloseLogFile();
    ASSERT_TRUE(platform::OpenLogFile(path.c_str(), true));
    ASSERT_TRUE(platform::AppendLogFile("three\r\n", 7));
    platform::CloseLogFile();
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
