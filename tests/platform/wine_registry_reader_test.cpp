// The Wine prefix's registry file, read through the same store as an export.
#include "platform/wine_registry_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/settings_store.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using platform::ParseWineRegistry;
using platform::RegistryProblem;
using platform::SettingsStore;

const fs::path kFixture = fs::path(QUARIX_PLATFORM_FIXTURES) / "wine_user.reg";
const std::string kHeader = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n";

std::string TypeError(const std::function<void()>& fn) {
    return testing_support::ErrorOf<platform::ERegistryException>(fn);
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(WineRegistryReader, ReadsAPrefixsUserFileAsWineWritesIt) {
    std::vector<RegistryProblem> problems;
    ParseWineRegistry(Slurp(kFixture), &problems);
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first on line "
                                  << (problems.empty() ? 0 : problems[0].line);

    SettingsStore store(kFixture.string());
    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Trakova\\AppPath"));
    // str(2): an expandable text, with a four-digit \x escape before a hex letter.
    EXPECT_EQ(store.ReadText("AppPath"), "%ProgramFiles%\\Corvane\\Trakova \xC3\x89" "ditions");
    store.CloseKey();

    ASSERT_TRUE(store.OpenKey("\\SOFTWARE\\corvane\\branzo\\APPPATH"));
    EXPECT_EQ(store.ReadText("apppath"), "C:\\Branzo");  // hex(2): a text too
    store.CloseKey();

    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Trakova\\Calibration\\Quarix6"));
    EXPECT_EQ(store.ReadText("Speed1"), "18.5");
    EXPECT_EQ(store.ReadText("Resist1"), "90");
    EXPECT_EQ(store.ReadText("Speed2"), "");
    EXPECT_EQ(store.ReadText(""), "default text");
    for (const char* name : {"LastRun", "Riders", "Blob"})
        EXPECT_EQ(TypeError([&] { store.ReadText(name); }), std::string("Type de données incorrect pour '") + name + "'");
    store.CloseKey();

    // A surrogate pair in a key's name, as two escapes.
    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\\xF0\x9F\x8C\x8E globe"));
    EXPECT_EQ(store.ReadText("Note"), "line one\nline \"two\"\tend");
    store.CloseKey();

    ASSERT_TRUE(store.OpenKey("Software\\Classes\\Wine"));
    EXPECT_EQ(TypeError([&] { store.ReadText("SymbolicLinkValue"); }),
              "Type de données incorrect pour 'SymbolicLinkValue'");
    // The metadata lines are no values.
    EXPECT_EQ(store.ReadText("#link"), "");
    store.CloseKey();
    EXPECT_TRUE(store.OpenKey("Control Panel\\International"));
}

TEST(WineRegistryReader, ValueFormsAndEscapes) {
    struct Case {
        const char* what;
        std::string line;      // below [K]
        bool is_text;
        std::string expected;  // the text
    } cases[] = {
        {"plain text", R"("V"="22")", true, "22"},
        {"backslash and quote", R"("V"="a\\b\"c")", true, "a\\b\"c"},
        {"new line, return, tab", R"("V"="\n\r\t")", true, "\n\r\t"},
        {"a text ends at \\0", R"("V"="ab\0cd")", true, "ab"},
        {"\\x with two digits", R"("V"="\x41\x42")", true, "AB"},
        {"\\x takes at most four digits", R"("V"="\x00e9e")", true, "\xC3\xA9" "e"},
        {"\\x stops at a non-digit", R"("V"="\xe9t")", true, "\xC3\xA9t"},
        {"\\x with one digit", R"("V"="\x9")", true, "\t"},
        {"surrogate pair", R"("V"="\xd83d\xdcb4")", true, "\xF0\x9F\x92\xB4"},
        {"lone surrogate", R"("V"="\xd83dz")", true, "\xEF\xBF\xBDz"},
        {"UTF-8 written as it is", "\"V\"=\"Zo\xC3\xAB\"", true, "Zo\xC3\xAB"},
        {"escaped delimiter", R"("V"="a\]b")", true, "a]b"},
        {"blanks around =", "\"V\" = \"x\"  ", true, "x"},
        {"name with escapes", R"("\x56"="named by an escape")", true, "named by an escape"},
        {"expandable text", R"("V"=str(2):"%HOME%\\x")", true, "%HOME%\\x"},
        {"str(1) is a plain text", R"("V"=str(1):"x")", true, "x"},
        {"multi-text is another type", R"("V"=str(7):"a\0b\0")", false, ""},
        {"dword", "\"V\"=dword:000004d2", false, ""},
        {"binary", "\"V\"=hex:01,02", false, ""},
        {"qword", "\"V\"=hex(b):00,00,00,00,00,00,00,00", false, ""},
        {"hex(2) across lines", "\"V\"=hex(2):31,00,\\\n  38,00,2e,00,\\\n  35,00,00,00", true, "18.5"},
        {"CR LF line ends", "\"V\"=\"crlf\"\r", true, "crlf"},
    };
    for (const auto& c : cases) {
        std::vector<RegistryProblem> problems;
        const auto content = ParseWineRegistry(kHeader + "[K] 1796953361\n" + c.line + "\n", &problems);
        EXPECT_TRUE(problems.empty()) << c.what << ": " << (problems.empty() ? "" : problems[0].reason);
        const auto& values = content.keys.at("k");
        const auto it = values.find("v");
        ASSERT_NE(it, values.end()) << c.what;
        EXPECT_EQ(it->second.is_text, c.is_text) << c.what;
        EXPECT_EQ(it->second.text, c.expected) << c.what;
    }
}

TEST(WineRegistryReader, LinesItCannotUnderstandAreSkippedAndNamed) {
    const std::string text =
        "WINE REGISTRY Version 2\n"  // 1
        "\"Early\"=\"x\"\n"          // 2: before any key
        "[K] 1796953361\n"           // 3
        "\"A\"=\"1\"\n"              // 4
        "garbage\n"                  // 5
        "\"B\"=\"unterminated\n"     // 6
        "\"C\"=dword:xyz\n"          // 7
        "\"D\"=str(2)\"x\"\n"        // 8
        "\"E\"=\"\\x\"\n"            // 9: \x without digits
        "\"F\" \"2\"\n"              // 10
        "[K2 1796953361\n"           // 11: not closed
        "\"Skipped\"=\"quietly\"\n"  // 12
        "[K3] soon\n"                // 13: no time stamp
        "[K] 1796953362\n"           // 14
        "\"G\"=\"3\"\n"              // 15
        "\"H\"=hex:01,\\";           // 16: continued past the end
    std::vector<RegistryProblem> problems;
    const auto content = ParseWineRegistry(text, &problems);
    std::vector<int> lines;
    for (const auto& p : problems) lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<int>{2, 5, 6, 7, 8, 9, 10, 11, 13, 16}));
    EXPECT_EQ(problems[1].text, "garbage");
    const auto& k = content.keys.at("k");
    EXPECT_EQ(k.size(), 2u);
    EXPECT_EQ(k.at("a").text, "1");
    EXPECT_EQ(k.at("g").text, "3");
    EXPECT_EQ(content.keys.count("k2") + content.keys.count("k3"), 0u);

    // Named once on standard error with the file and the line.
    char pattern[] = "/tmp/wine_registry_test_XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);
    const fs::path file = dir / "user.reg";
    std::ofstream(file, std::ios::binary) << text;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        SettingsStore store(file.string());
        ASSERT_TRUE(store.OpenKey("K"));
        EXPECT_EQ(store.ReadText("G"), "3");
    }
    const std::string err = testing::internal::GetCapturedStderr();
    fs::remove_all(dir);
    const std::string expected = file.string() + ", line 5: ";
    ASSERT_NE(err.find(expected), std::string::npos) << err;
    EXPECT_EQ(err.find(expected), err.rfind(expected)) << err;

    std::vector<RegistryProblem> no_header;
    ParseWineRegistry("[K] 1\n\"A\"=\"1\"\n", &no_header);
    ASSERT_EQ(no_header.size(), 1u);
    EXPECT_EQ(no_header[0].line, 1);
}

// The prefix's machine file holds HKEY_LOCAL_MACHINE: named where the user's
// is expected, none of its keys may pass for the user's.
TEST(WineRegistryReader, TheMachinesFileHoldsNoUserKeys) {
    std::vector<RegistryProblem> problems;
    const auto content = ParseWineRegistry(
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
        "[Software\\\\Corvane\\\\Trakova\\\\AppPath] 1796953361\n\"AppPath\"=\"C:\\\\T\"\n",
        &problems);
    EXPECT_TRUE(content.keys.empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 2);
}

TEST(WineRegistryReader, TheFormatIsKnownByItsFirstLine) {
    struct Case {
        std::string bytes;
        bool wine;
    } cases[] = {
        {"WINE REGISTRY Version 2\n", true},
        {"WINE REGISTRY Version 2\r\n[K] 1\r\n", true},
        {"\xEF\xBB\xBF" "WINE REGISTRY Version 2\n", true},
        {"\n\nWINE REGISTRY Version 2", true},
        {"WINE REGISTRY Version 20\n", false},
        {"Windows Registry Editor Version 5.00\r\n", false},
        {"REGEDIT4\n", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::IsWineRegistry(c.bytes), c.wine) << c.bytes;
    // The store reads either, whichever place the file came from.
    const auto wine = platform::ParseSettingsFile("WINE REGISTRY Version 2\n[A\\\\B] 1\n\"V\"=\"w\"\n");
    EXPECT_EQ(wine.keys.at("a\\b").at("v").text, "w");
    const auto exported =
        platform::ParseSettingsFile("Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\A\\B]\r\n\"V\"=\"e\"\r\n");
    EXPECT_EQ(exported.keys.at("a\\b").at("v").text, "e");
}
