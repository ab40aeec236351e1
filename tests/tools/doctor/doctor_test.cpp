// The installation check on game folders made for each mistake, with module
// files built here byte by byte (a PE file with a version resource, as the
// release's atmosphere.asi carries one), and the readers it rests on fed
// damaged input. The Windows tool runs the same folders under wine
// (tests/windows/tool/doctor.cmake).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/doctor/doctor.h"
#include "tools/doctor/pe_version.h"
#include "tools/doctor/session_log.h"

namespace {

namespace fs = std::filesystem;

// --- A PE file with a version resource -------------------------------------------

void Put16(std::string& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
void Put32(std::string& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}
void Align(std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t{3}, '\0'); }
void AppendUtf16(std::string& bytes, const std::string& text) {
    for (char c : text) bytes += std::string{c, '\0'};
    bytes += std::string(2, '\0');
}

// One block of a version resource: length, value length, type, key, value, children.
std::string Block(const std::string& key, const std::string& value, bool text, const std::string& children = "") {
    std::string block(6, '\0');
    AppendUtf16(block, key);
    Align(block);
    block += value;
    Align(block);
    block += children;
    Put16(block, 0, static_cast<uint32_t>(block.size()));
    Put16(block, 2, static_cast<uint32_t>(text ? value.size() / 2 : value.size()));
    Put16(block, 4, text ? 1 : 0);
    return block;
}

std::string Text(const std::string& text) {
    std::string bytes;
    AppendUtf16(bytes, text);
    return bytes;
}

std::string VersionResource(const std::string& product, const std::string& fileName, const std::string& version) {
    std::string strings = Block("ProductName", Text(product), true);
    Align(strings);
    strings += Block("OriginalFilename", Text(fileName), true);
    Align(strings);
    strings += Block("FileVersion", Text(version), true);
    const std::string table = Block("040904B0", "", true, strings);
    return Block("VS_VERSION_INFO", std::string(52, '\0'), false, Block("StringFileInfo", "", true, table));
}

// A 64-bit PE file: headers, one section ".rsrc" at 0x1000 whose resource
// tree holds one version resource.
std::string PeFile(const std::string& product, const std::string& fileName, const std::string& version) {
    constexpr uint32_t SectionRva = 0x1000, SectionOffset = 0x200;
    std::string resource(16 + 8 + 16 + 8 + 16 + 8 + 16, '\0');  // three directories of one entry, one data entry
    Put16(resource, 14, 1);                                      // root: one entry, type 16
    Put32(resource, 16, 16);
    Put32(resource, 20, 0x80000000u | 24);
    Put16(resource, 24 + 14, 1);  // name level
    Put32(resource, 24 + 16, 1);
    Put32(resource, 24 + 20, 0x80000000u | 48);
    Put16(resource, 48 + 14, 1);  // language level
    Put32(resource, 48 + 16, 0x409);
    Put32(resource, 48 + 20, 72);
    const std::string block = VersionResource(product, fileName, version);
    Put32(resource, 72, SectionRva + static_cast<uint32_t>(resource.size()));
    Put32(resource, 76, static_cast<uint32_t>(block.size()));
    resource += block;

    std::string file(SectionOffset, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    Put16(file, 0x44, 0x8664);
    Put16(file, 0x46, 1);           // one section
    Put16(file, 0x54, 240);         // optional header size
    Put16(file, 0x58, 0x20B);       // PE32+
    Put32(file, 0x58 + 108, 16);    // data directories
    Put32(file, 0x58 + 112 + 16, SectionRva);  // the resource directory
    Put32(file, 0x58 + 112 + 20, static_cast<uint32_t>(resource.size()));
    const size_t section = 0x58 + 240;
    file.replace(section, 5, ".rsrc");
    Put32(file, section + 8, static_cast<uint32_t>(resource.size()));
    Put32(file, section + 12, SectionRva);
    Put32(file, section + 16, static_cast<uint32_t>(resource.size()));
    Put32(file, section + 20, SectionOffset);
    return file + resource;
}

std::string Module(const std::string& version = ATMOSPHERE_VERSION) {
    return PeFile("Atmosphere", "atmosphere.asi", version);
}

// --- Game folders --------------------------------------------------------------

class Doctor : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("atmosphere-doctor-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& bytes) {
        fs::create_directories((folder / name).parent_path());
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }
    // The script host, its loader and the module, as installed.
    void Install() {
        Write("ScriptHookV.dll", PeFile("ScriptHookV", "ScriptHookV.dll", "1.0"));
        Write("dinput8.dll", PeFile("ASI Loader", "dinput8.dll", "1.0"));
        Write("atmosphere.asi", Module());
        Write("atmosphere.ini", "[CLOUDS]\r\nNormalZoneEnd=700\r\n");
    }

    doctor::Examination Examine() { return doctor::ExamineInstallation(folder.string(), ATMOSPHERE_VERSION); }

    fs::path folder;
};

struct Expected {
    std::string path;  // the finding's file, relative to the folder ("" the folder)
    preview::Severity severity;
    std::string words;
};

// Every expected finding is there, and no error beyond them.
void ExpectFindings(const doctor::Examination& examination, const fs::path& folder,
                    const std::vector<Expected>& expected) {
    std::string all;
    for (const preview::Finding& finding : examination.findings) all += preview::FormatFinding(finding) + "\n";
    for (const Expected& want : expected) {
        bool found = false;
        const std::string path = want.path.empty() ? folder.string() : (folder / want.path).string();
        for (const preview::Finding& finding : examination.findings) {
            found = found || (finding.file == path && finding.severity == want.severity &&
                              finding.message.find(want.words) != std::string::npos);
        }
        EXPECT_TRUE(found) << "missing: " << path << ": " << want.words << "\nfindings:\n" << all;
    }
    for (const preview::Finding& finding : examination.findings) {
        if (finding.severity != preview::Severity::Error) continue;
        bool wanted = false;
        for (const Expected& want : expected) {
            wanted = wanted || (want.severity == preview::Severity::Error &&
                                finding.message.find(want.words) != std::string::npos);
        }
        EXPECT_TRUE(wanted) << "unexpected: " << preview::FormatFinding(finding);
    }
}

using preview::Severity;

TEST_F(Doctor, AnEmptyFolderLacksEverything) {
    const auto examination = Examine();
    EXPECT_EQ(examination.status, 1);
    ExpectFindings(examination, folder,
                   {{"ScriptHookV.dll", Severity::Error, "script host ScriptHookV.dll is not in the game's folder"},
                    {"dinput8.dll", Severity::Error, "no .asi module is loaded"},
                    {"atmosphere.asi", Severity::Error, "the module is not in the game's folder"},
                    {"atmosphere.ini", Severity::Warning, "the default of every setting"}});
}

TEST_F(Doctor, ACompleteInstallationThatHasNotRunYet) {
    Install();
    const auto examination = Examine();
    EXPECT_EQ(examination.status, 0);
    ExpectFindings(examination, folder,
                   {{"atmosphere.ini", Severity::Note, "the check finds no problems"},
                    {"atmosphere.log", Severity::Warning, "has not run since it was installed"}});
}

TEST_F(Doctor, FilesInTheWrongPlaceOrUnderTheWrongName) {
    Write("bin/ScriptHookV.dll", "host");
    Write("bin/dinput8.dll", "loader");
    Write("scripts/atmosphere.asi", Module());
    Write("atmosphere-1.2.0-win64/atmosphere.ini", "[CLOUDS]\r\n");
    Write("atmosphere.asi.dll", Module());
    Write("atmosphere (1).asi", Module());
    Write("atmosphere.ini.txt", "[CLOUDS]\r\n");
    const auto examination = Examine();
    EXPECT_EQ(examination.status, 1);
    ExpectFindings(examination, folder,
                   {{"bin/ScriptHookV.dll", Severity::Error, "is in the folder bin, where the game does not load it"},
                    {"bin/dinput8.dll", Severity::Error, "is in the folder bin"},
                    {"scripts/atmosphere.asi", Severity::Error, "the module is in the folder scripts"},
                    {"atmosphere.asi.dll", Severity::Error, "only files that end in .asi"},
                    {"atmosphere (1).asi", Severity::Error, "the module under another name"},
                    {"", Severity::Error, "3 copies of the module"},
                    {"atmosphere.ini.txt", Severity::Error, "rename it to atmosphere.ini"},
                    {"atmosphere-1.2.0-win64/atmosphere.ini", Severity::Warning, "from the game's folder only"}});
}

TEST_F(Doctor, AModuleThatIsNotOneOrOfAnotherVersion) {
    Install();
    for (const auto& [bytes, words] : std::vector<std::pair<std::string, std::string>>{
             {"not a program", "is not a Windows module at all"},
             {Module().substr(0, 0x200 + 40), "is cut short"},
             {PeFile("Other", "other.asi", "1.0"), "another module under this module's name"}}) {
        Write("atmosphere.asi", bytes);
        ExpectFindings(Examine(), folder, {{"atmosphere.asi", Severity::Error, words}});
    }
    Write("atmosphere.asi", Module("0.9.0"));
    const auto examination = Examine();
    EXPECT_EQ(examination.status, 0);
    ExpectFindings(examination, folder,
                   {{"atmosphere.asi", Severity::Warning, "the module is version 0.9.0, this tool " ATMOSPHERE_VERSION}});
}

TEST_F(Doctor, TheLastSessionFromTheLog) {
    Install();
    Write("atmosphere.log",
          "2026-12-09 20:01:02.345  start: atmosphere " ATMOSPHERE_VERSION " started in the game's folder C:\\G\\\r\n"
          "2026-12-09 20:01:02.346  flag byte: not found: this game version is one the module does not know\r\n"
          "2026-12-09 20:01:02.347  settings: C:\\G\\atmosphere.ini not found: every setting takes its default\r\n"
          "2026-12-09 20:01:02.347  settings: 0 from the file, 326 take their default; hotkeys: ...\r\n"
          "2026-12-09 20:05:00.000  reload: the reload key (the Delete key)\r\n"
          "2026-12-09 20:05:00.000  settings: read C:\\G\\atmosphere.ini (31 bytes)\r\n");
    // Written after the module: it has run since it was installed.
    fs::last_write_time(folder / "atmosphere.log", fs::last_write_time(folder / "atmosphere.asi") + std::chrono::hours(1));
    fs::remove(folder / "dinput8.dll");  // another loader runs it, then
    auto examination = Examine();
    EXPECT_EQ(examination.status, 0);
    ExpectFindings(examination, folder,
                   {{"dinput8.dll", Severity::Warning, "another ASI loader"},
                    {"atmosphere.log", Severity::Note, "the last session started 2026-12-09 20:01:02"},
                    {"atmosphere.log", Severity::Note, "its first load: C:\\G\\atmosphere.ini not found"},
                    {"atmosphere.log", Severity::Note, "the flag byte: not found"},
                    {"atmosphere.log", Severity::Note, "1 reload in that session"},
                    {"atmosphere.log", Severity::Warning, "it did not end with an unload"}});

    // A log older than the module: the loader has not loaded it since.
    fs::last_write_time(folder / "atmosphere.log", fs::last_write_time(folder / "atmosphere.asi") - std::chrono::hours(1));
    examination = Examine();
    ExpectFindings(examination, folder,
                   {{"dinput8.dll", Severity::Error, "no .asi module is loaded"},
                    {"atmosphere.log", Severity::Warning, "older than atmosphere.asi"}});

    // Megabytes of anything: a clear answer, quickly.
    std::string noise(3u << 20, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 >> 3);
    Write("atmosphere.log", noise);
    ExpectFindings(Examine(), folder,
                   {{"dinput8.dll", Severity::Error, "no .asi module is loaded"},
                    {"atmosphere.log", Severity::Warning, "holds no start of the module"}});
}

TEST_F(Doctor, NoFolderToExamine) {
    Write("atmosphere.ini", "");
    for (const fs::path& path : {folder / "atmosphere.ini", folder / "nothing"}) {
        const auto examination = doctor::ExamineInstallation(path.string(), ATMOSPHERE_VERSION);
        EXPECT_EQ(examination.status, 2) << path;
        ASSERT_EQ(examination.findings.size(), 1u);
    }
    // A folder inside that cannot be read is passed over with a note.
    fs::create_directory_symlink("scripts", folder / "scripts");
    Install();
    const auto examination = Examine();
    EXPECT_EQ(examination.status, 0);
    ExpectFindings(examination, folder, {{"scripts", Severity::Note, "cannot be read"}});
}

TEST(PeVersion, AnyBytesGiveAnAnswer) {
    const std::string module = Module();
    const doctor::PeVersion version = doctor::ReadPeVersionFromBytes(module);
    EXPECT_EQ(version.kind, doctor::PeKind::Versioned);
    EXPECT_EQ(version.productName, "Atmosphere");
    EXPECT_EQ(version.originalFilename, "atmosphere.asi");
    EXPECT_EQ(version.fileVersion, ATMOSPHERE_VERSION);
    // Every cut of the file, and every byte of its headers and resources
    // spoiled in turn, ends in an answer.
    for (size_t length = 0; length < module.size(); length += 3) {
        const doctor::PeKind kind = doctor::ReadPeVersionFromBytes(module.substr(0, length)).kind;
        EXPECT_NE(kind, doctor::PeKind::Versioned) << length;
    }
    for (size_t at = 0; at < module.size(); ++at) {
        std::string spoiled = module;
        spoiled[at] = static_cast<char>(~spoiled[at]);
        doctor::ReadPeVersionFromBytes(spoiled);
    }
}

TEST(SessionLog, TakesTheLastSessionAndPassesOverOtherLines) {
    const doctor::SessionLog log = doctor::ParseSessionLog(
        "2026-12-01 10:00:00.000  start: atmosphere 1.0.0 started in the game's folder C:\\G\\\r\n"
        "2026-12-01 10:00:00.000  unload: the weather ...\r\n"
        "garbage\n\n\x01\x02 2026-12-09\r\n"
        "2026-12-09 20:01:02.345  start: atmosphere 1.2.0 started in the game's folder C:\\G\\\n"
        "2026-12-09 20:01:02.345  settings: read C:\\G\\atmosphere.ini (10 bytes)\n"
        "2026-12-09 20:01:02.345  settings: 1 from the file\n"
        "2026-12-09 20:01:03.000  switch: off\n"
        "2026-12-09 20:01:04.000  settings: read C:\\G\\atmosphere.ini (11 bytes)\n"
        "2026-12-09 20:01:05.000  the log stops here: it has reached 256 KB for this session");
    EXPECT_TRUE(log.looksLikeTheLog);
    EXPECT_EQ(log.started, "2026-12-09 20:01:02");
    EXPECT_EQ(log.version, "1.2.0");
    EXPECT_EQ(log.settings, (std::vector<std::string>{"read C:\\G\\atmosphere.ini (10 bytes)", "1 from the file"}));
    EXPECT_FALSE(log.unloaded);
    EXPECT_TRUE(log.full);
}

}  // namespace
