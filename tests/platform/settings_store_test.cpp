// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using platform::ParseRegistryExport;
using platform::RegistryProblem;
using platform::SettingsStore;

const fs::path kFixtures = QUARIX_PLATFORM_FIXTURES;

using testing_support::EnvScope;

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/settings_store_test_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path_); }
    fs::path Write(const std::string& name, const std::string& bytes) const {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadValue(const std::string& file, const std::string& key, const std::string& name) {
    SettingsStore store(file);
    if (!store.OpenKey(key)) return "<no key>";
    return store.ReadText(name);
}

std::string TypeError(const std::function<void()>& fn) {
    return testing_support::ErrorOf<platform::ERegistryException>(fn);
}

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
}  // namespace

TEST(SettingsStore, ReadsAnEditorExportInUtf16WithContinuedExpandableText) {
    const std::string file = (kFixtures / "export_utf16.reg").string();
    SettingsStore store(file);
    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Branzo\\AppPath"));
    EXPECT_EQ(store.ReadText("AppPath"), "C:\\Program Files (x86)\\Corvane\\Branzo\\");
    store.CloseKey();

    // Key paths and value names compare without regard to case.
    ASSERT_TRUE(store.OpenKey("\\SOFTWARE\\corvane\\TRAKOVA\\Calibration\\quarix6"));
    EXPECT_EQ(store.ReadText("speed1"), "18,5");
    EXPECT_EQ(store.ReadText("Speed3"), "36,25");
    EXPECT_EQ(store.ReadText("Resist3"), "0");
    EXPECT_EQ(store.ReadText("Note"), "Rider \"Zo\xC3\xAB\" uses C:\\Trakova");
    EXPECT_EQ(store.ReadText("Missing"), "");
    store.CloseKey();

    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Branzo\\Versions"));
    EXPECT_EQ(store.ReadText("Soft. version"), "6.2.0.114");
    EXPECT_EQ(TypeError([&] { store.ReadText("Installed"); }), "Type de données incorrect pour 'Installed'");
    store.CloseKey();

    // Another hive's keys are not the user's.
    EXPECT_FALSE(store.OpenKey("SOFTWARE\\Corvane\\Branzo\\Machine"));
    EXPECT_EQ(ReadValue(file, "Software\\Corvane\\Branzo", "AppPath"), "");
}

TEST(SettingsStore, ValueForms) {
    struct Case {
        const char* what;
        std::string body;  // lines below [HKEY_CURRENT_USER\K]
        std::string expected;
    } cases[] = {
        {"plain text", "\"V\"=\"22\"", "22"},
        {"escapes", R"("V"="a\\b\"c")", "a\\b\"c"},
        {"unknown escape kept as written", R"("V"="C:\Program Files")", "C:\\Program Files"},
        {"blanks around =", "\"V\" = \"x\"  ", "x"},
        {"empty text", "\"V\"=\"\"", ""},
        {"hex(1) is a text too", "\"V\"=hex(1):31,00,38,00,00,00", "18"},
        {"hex(2) ends at its NUL", "\"V\"=hex(2):41,00,00,00,42,00", "A"},
        {"hex(2) across lines", "\"V\"=hex(2):31,00,\\\r\n  38,00,2c,00,\\\r\n  35,00,00,00", "18,5"},
        {"later line wins", "\"V\"=\"1\"\r\n\"v\"=\"2\"", "2"},
        {"deleted value", "\"V\"=\"1\"\r\n\"V\"=-", ""},
        {"surrogate pair in hex(2)", "\"V\"=hex(2):3d,d8,b4,dc,00,00", "\xF0\x9F\x92\xB4"},
        {"lone surrogate", "\"V\"=hex(2):3d,d8,41,00,00,00", "\xEF\xBF\xBD" "A"},
    };
    for (const auto& c : cases) {
        std::vector<RegistryProblem> problems;
        const auto content = ParseRegistryExport(kHeader + "[HKEY_CURRENT_USER\\K]\r\n" + c.body + "\r\n", &problems);
        EXPECT_TRUE(problems.empty()) << c.what << ": " << (problems.empty() ? "" : problems[0].reason);
        const auto& values = content.keys.at("k");
        const auto it = values.find("v");
        EXPECT_EQ(it == values.end() ? "" : it->second.text, c.expected) << c.what;
    }
}

TEST(SettingsStore, ValuesOfAnotherTypeAreReadErrors) {
    TempDir dir;
    const auto file = dir.Write("user.reg", kHeader +
                                                "[HKEY_CURRENT_USER\\K]\r\n"
                                                "\"D\"=dword:0000000a\r\n"
                                                "\"B\"=hex:01,02\r\n"
                                                "\"M\"=hex(7):41,00,00,00,00,00\r\n"
                                                "\"Q\"=hex(b):00,00,00,00,00,00,00,00\r\n"
                                                "@=\"default\"\r\n");
    SettingsStore store(file.string());
    ASSERT_TRUE(store.OpenKey("K"));
    for (const char* name : {"D", "B", "M", "Q"})
        EXPECT_EQ(TypeError([&] { store.ReadText(name); }), std::string("Type de données incorrect pour '") + name + "'");
    EXPECT_EQ(store.ReadText(""), "default");
}

TEST(SettingsStore, FileEncodings) {
    const std::string body = "[HKEY_CURRENT_USER\\K]\r\n\"V\"=\"Zo\xC3\xAB\"\r\n";
    auto utf16 = [](const std::string& ascii_or_utf8) {
        // Enough for these fixtures: ASCII plus U+00EB.
        std::string out;
        for (size_t i = 0; i < ascii_or_utf8.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(ascii_or_utf8[i]);
            if (c == 0xC3) c = static_cast<unsigned char>(0xC0 | (ascii_or_utf8[++i] & 0x3F));
            out += static_cast<char>(c);
            out += '\0';
        }
        return out;
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8", kHeader + body},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + kHeader + body},
        {"UTF-16LE with BOM", "\xFF\xFE" + utf16(kHeader + body)},
        {"UTF-16LE without BOM", utf16(kHeader + body)},
        {"REGEDIT4 in an 8-bit code page", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"V\"=\"Zo\xEB\"\r\n"},
        {"REGEDIT4 with 8-bit hex(2)", "REGEDIT4\n\n[HKCU\\K]\n\"V\"=hex(2):5a,6f,eb,00\n"},
        {"LF line ends", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"Zo\xC3\xAB\"\n"},
    };
    for (const auto& c : cases) {
        std::vector<RegistryProblem> problems;
        const auto content = ParseRegistryExport(c.bytes, &problems);
        EXPECT_TRUE(problems.empty()) << c.what;
        ASSERT_TRUE(content.keys.count("k")) << c.what;
        EXPECT_EQ(content.keys.at("k").at("v").text, "Zo\xC3\xAB") << c.what;
    }
}

TEST(SettingsStore, KeyPathsFollowTheRegistryRules) {
    TempDir dir;
    const auto file = dir.Write("user.reg", kHeader +
                                                "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
                                                "\"AppPath\"=\"C:\\\\Trakova\"\r\n"
                                                "[HKCU\\Software\\Gone]\r\n"
                                                "[HKEY_CURRENT_USER\\Software\\Gone\\Below]\r\n"
                                                "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n");
    SettingsStore store(file.string());
    // A parent that only exists through its subkeys still opens.
    ASSERT_TRUE(store.OpenKey("Software\\Corvane"));
    // Without a leading '\' the path continues from the open key...
    ASSERT_TRUE(store.OpenKey("Trakova\\AppPath"));
    EXPECT_EQ(store.CurrentPath(), "software\\corvane\\trakova\\apppath");
    EXPECT_EQ(store.ReadText("AppPath"), "C:\\Trakova");
    // ...a failed open keeps it...
    EXPECT_FALSE(store.OpenKey("Nothing"));
    EXPECT_EQ(store.ReadText("AppPath"), "C:\\Trakova");
    // ...and a leading '\' starts again from the root.
    EXPECT_FALSE(store.OpenKey("Software\\Corvane"));
    ASSERT_TRUE(store.OpenKey("\\Software\\Corvane\\"));
    store.CloseKey();
    EXPECT_EQ(store.CurrentPath(), "");
    // Without an open key, a plain path is the same place as a rooted one.
    EXPECT_TRUE(store.OpenKey("software\\corvane\\trakova\\apppath"));
    store.CloseKey();
    // A removed key takes its subkeys with it; a prefix of a name is no key.
    EXPECT_FALSE(store.OpenKey("Software\\Gone"));
    EXPECT_FALSE(store.OpenKey("Software\\Gone\\Below"));
    EXPECT_FALSE(store.OpenKey("Software\\Corv"));
}

TEST(SettingsStore, MalformedLinesAreSkippedAndNamed) {
    const std::string text = kHeader +                                  // lines 1-2
                             "\"Early\"=\"x\"\r\n"                      // 3: before any key
                             "[HKEY_CURRENT_USER\\K]\r\n"               // 4
                             "\"A\"=\"1\"\r\n"                          // 5
                             "garbage\r\n"                              // 6
                             "\"B\"=\"unterminated\r\n"                 // 7
                             "\"C\"=dword:xyz\r\n"                      // 8
                             "\"D\"=hex(2):4g,00\r\n"                   // 9
                             "\"E\" \"2\"\r\n"                          // 10
                             "[Software\\NoHive]\r\n"                   // 11
                             "\"Skipped\"=\"quietly\"\r\n"              // 12
                             "[HKEY_CURRENT_USER\\K\r\n"                // 13
                             "[HKEY_CURRENT_USER\\K]\r\n"               // 14
                             "; a comment\r\n"                          // 15
                             "\"F\"=\"3\"\r\n"                          // 16
                             "\"G\"=hex(2):41,00,\\";                   // 17: continued past the end
    std::vector<RegistryProblem> problems;
    const auto content = ParseRegistryExport(text, &problems);
    std::vector<int> lines;
    for (const auto& p : problems) lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 6, 7, 8, 9, 10, 11, 13, 17}));
    EXPECT_EQ(problems[1].text, "garbage");
    const auto& k = content.keys.at("k");
    EXPECT_EQ(k.size(), 2u);
    EXPECT_EQ(k.at("a").text, "1");
    EXPECT_EQ(k.at("f").text, "3");

    std::vector<RegistryProblem> no_header;
    ParseRegistryExport("[HKCU\\K]\n\"A\"=\"1\"\n", &no_header);
    ASSERT_EQ(no_header.size(), 1u);
    EXPECT_EQ(no_header[0].line, 1);
}

TEST(SettingsStore, ArbitraryBytesNeverBreakTheParser) {
    std::mt19937 random(7);
    const std::string alphabet = "[]\\\"=:,-@;()hexdword0123456789abcdefHKCU \r\n\t\xFF\xFE";
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = round % 2 ? kHeader : std::string();
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i)
            bytes += round % 3 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        std::vector<RegistryProblem> problems;
        const auto content = ParseRegistryExport(bytes, &problems);
        for (const auto& p : problems) EXPECT_GE(p.line, 1);
        (void)content;
    }
}

TEST(SettingsStore, BrokenFileIsReportedOnceWithFileAndLine) {
    TempDir dir;
    const auto file = dir.Write("user.reg", kHeader + "[HKEY_CURRENT_USER\\K]\r\nnonsense here\r\n\"A\"=\"1\"\r\n");
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadValue(file.string(), "K", "A"), "1");
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string expected = file.string() + ", line 4: ";
    ASSERT_NE(err.find(expected), std::string::npos) << err;
    EXPECT_EQ(err.find(expected), err.rfind(expected)) << err;
    EXPECT_NE(err.find("nonsense here"), std::string::npos) << err;
}

TEST(SettingsStore, MissingOrUnreadableFileMeansEveryKeyAbsent) {
    TempDir dir;
    EXPECT_EQ(ReadValue((dir.path() / "none.reg").string(), "K", "A"), "<no key>");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadValue(dir.path().string(), "K", "A"), "<no key>");  // a folder
    // A pipe where the file should be is no file: never waited on.
    const fs::path fifo = dir.path() / "fifo.reg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadValue(fifo.string(), "K", "A"), "<no key>");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(dir.path().string() + " exists but cannot be read (Is a directory)"), std::string::npos) << err;
    EXPECT_NE(err.find(fifo.string() + " exists but cannot be read (not a regular file)"), std::string::npos) << err;
}
