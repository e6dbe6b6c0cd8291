// SPDX-License-Identifier: GPL-3.0-or-later
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

#include "platform/registry_text.h"
#include "platform/settings_store.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using platform::ParseWineRegistry;
using platform::RegistryProblem;
using platform::SettingsStore;

// Made by Wine itself (fixtures/wine/make-fixtures): prefixes made under an
// English and a French locale, and a prefix's file with hand-written lines
// before and after Wine loaded it and wrote it back.
const fs::path kWine = fs::path(QUARIX_PLATFORM_FIXTURES) / "wine";
const fs::path kEnglish = kWine / "english" / "user.reg";
const fs::path kFrench = kWine / "french" / "user.reg";
const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n";

std::string TypeError(const std::function<void()>& fn) {
    return testing_support::ErrorOf<platform::ERegistryException>(fn);
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A value as the store reads it: its text, or "<other type>".
std::string ValueOf(const platform::RegistryContent& content, const std::string& key, const std::string& name) {
    const auto k = content.keys.find(key);
    if (k == content.keys.end()) return "<no key>";
    const auto v = k->second.find(name);
    if (v == k->second.end()) return "<no value>";
    return v->second.is_text ? v->second.text : "<other type>";
}

// The line of `file` that starts with `start`, as written, at or after the
// line that starts with `after`.
std::string LineOf(const fs::path& file, const std::string& start, const std::string& after = "") {
    std::istringstream lines(Slurp(file));
    std::string line;
    bool reached = after.empty();
    while (std::getline(lines, line)) {
        reached = reached || line.compare(0, after.size(), after) == 0;
        if (reached && line.compare(0, start.size(), start) == 0) return line;
    }
    return "<no line>";
}

}  // namespace

TEST(WineRegistryReader, ReadsTheCompanionKeysOfPrefixesWineMade) {
    struct Case {
        fs::path file;
        std::string separator, speed1, marnico_speed1;
    } cases[] = {{kEnglish, ".", "18.5", "21.5"}, {kFrench, ",", "18,5", "21,5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        std::vector<RegistryProblem> problems;
        const auto content = ParseWineRegistry(Slurp(c.file), &problems);
        EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first on line "
                                      << (problems.empty() ? 0 : problems[0].line) << ": "
                                      << (problems.empty() ? "" : problems[0].reason);
        EXPECT_EQ(content.decimal_separator, c.separator);

        SettingsStore store(c.file.string());
        ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Trakova\\AppPath"));
        EXPECT_EQ(store.ReadText("AppPath"),
                  "C:\\Program Files\\Corvane\\Trakova \"Pro\" \xC3\xA9\xE4\xB8\xAD\xF0\x9F\x9A\xB4");
        EXPECT_EQ(store.NumberSeparator(), c.separator);
        store.CloseKey();
        ASSERT_TRUE(store.OpenKey("\\Software\\Corvane\\Trakova\\Versions"));
        EXPECT_EQ(store.ReadText("Soft. version"), "6.1.0.0");
        store.CloseKey();

        ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Trakova\\Calibration\\Quarix6"));
        EXPECT_EQ(store.ReadText("Speed1"), c.speed1);
        EXPECT_EQ(store.ReadText("Resist2"), "77");  // by reg add
        for (const char* name : {"LastRun", "Riders"})  // REG_DWORD, REG_MULTI_SZ
            EXPECT_EQ(TypeError([&] { store.ReadText(name); }),
                      std::string("Type de données incorrect pour '") + name + "'");
        store.CloseKey();

        // Wine keeps the case each key was made with; the path is found in any.
        EXPECT_NE(Slurp(c.file).find("[Software\\\\Corvane\\\\MARNICO\\\\calibration\\\\QUARIX7]"), std::string::npos);
        ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Marnico\\Calibration\\Quarix7"));
        EXPECT_EQ(store.ReadText("Speed1"), c.marnico_speed1);  // written "SPEED1"
        EXPECT_EQ(store.ReadText("Resist2"), "66");
        store.CloseKey();

        ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Branzo\\Install"));  // REG_EXPAND_SZ by reg add
        EXPECT_EQ(store.ReadText("Folder"), "%ProgramFiles%\\Corvane\\Branzo");
    }
}

// Each row: a value the make-fixtures script gave Wine (as UTF-16, so every
// character is exactly known), the line Wine wrote for it, and the text read
// back from that line.
TEST(WineRegistryReader, EscapesAsWineWritesThem) {
    struct Row {
        const char* name;
        const char* written;  // the line in the file, as Wine wrote it
        std::string text;     // the value read back
    } rows[] = {
        {"Backslash", R"("Backslash"="C:\\Trakova\\")", "C:\\Trakova\\"},
        {"Quote", R"("Quote"="say \"18\"")", "say \"18\""},
        {"RegAdd", R"("RegAdd"="a\\b\"c")", "a\\b\"c"},
        {"Accents", R"("Accents"="\xe9\x4e2d")", "\xC3\xA9\xE4\xB8\xAD"},
        {"Emoji", R"("Emoji"="\xd83d\xdeb4x")", "\xF0\x9F\x9A\xB4x"},
        {"EmojiThenHexLetter", R"("EmojiThenHexLetter"="\xd83d\xdeb4a")", "\xF0\x9F\x9A\xB4" "a"},
        {"HighThenHexLetter", R"("HighThenHexLetter"="\x00e9b")", "\xC3\xA9" "b"},
        {"CAndEscapes", R"("CAndEscapes"="\a\b\t\n\v\f\r\e")", "\a\b\t\n\v\f\r\x1b"},
        {"OctalOne", R"("OctalOne"="6\1")", "6\x01"},
        {"OctalBeforeDigit", R"("OctalBeforeDigit"="6\0017")", "6\x01" "7"},
        {"OctalBeforeEight", R"("OctalBeforeEight"="6\18")", "6\x01" "8"},
        {"Octal37", R"("Octal37"="\37A")", "\x1f" "A"},
        {"InnerNul", R"("InnerNul"="a\0b")", "a"},  // a text ends at its first NUL
        {"Delete", "\"Delete\"=\"\x7f\"", "\x7f"},
        {"Brackets", R"("Brackets"="[a]")", "[a]"},
        {"Blanks", R"("Blanks"="  x  ")", "  x  "},
        {"Empty", R"("Empty"="")", ""},
        {"", R"(@="the default value")", "the default value"},
        {"Quote\"In\\Name", R"("Quote\"In\\Name"="named")", "named"},
    };
    const auto content = ParseWineRegistry(Slurp(kEnglish));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.written);
        const std::string line = row.written;
        EXPECT_EQ(LineOf(kEnglish, line.substr(0, line.find('=') + 1), "[Software\\\\Corvane\\\\Escapes]"), line);
        EXPECT_EQ(ValueOf(content, "software\\corvane\\escapes", platform::registry_text::LowerAscii(row.name)),
                  row.text);
    }
    // A key's name escapes its brackets as well.
    const std::string key = R"([Software\\Corvane\\Escapes\\\[Bracket\] \xe9 "q" \xd83d\xdeb4])";
    EXPECT_EQ(LineOf(kEnglish, key).substr(0, key.size()), key);
    EXPECT_EQ(ValueOf(content, "software\\corvane\\escapes\\[bracket] \xC3\xA9 \"q\" \xF0\x9F\x9A\xB4", "key"),
              "named by its escapes");
}

// Forms Wine reads but does not write: written.reg holds them as written by
// hand, loaded.reg what Wine made of them when it wrote the file back. Both
// must read the same, and as given here.
TEST(WineRegistryReader, FormsWineReadsAsItReadsThem) {
    struct Row {
        const char* name;
        const char* what;
        std::string value;
    } rows[] = {
        {"r01", "\\x with two digits", "AJm"},
        {"r02", "\\x takes at most four digits", "\xC3\xA9" "e"},
        {"r03", "\\x stops at a non-digit", "\xC3\xA9t"},
        {"r04", "\\x with one digit", "\t"},
        {"r05", "a surrogate pair", "\xF0\x9F\x9A\xB4"},
        {"r06", "\\x without a digit is the letter", "xz"},
        {"r07", "one octal digit", "6\x01"},
        {"r08", "three octal digits at most", "6\x01" "7"},
        {"r09", "octal stops at a non-octal digit", "AA8"},
        {"r10", "unknown escapes stand for the character", "q% ]"},
        {"r11", "C escapes", "\a\b\x1b\f\v"},
        {"r12", "\\9 is no octal digit", "89"},
        {"r13", "str: is a text", "plain by str:"},
        {"r14", "nothing after the closing quote counts", "closed"},
        {"r15", "str(1): is no form: a value of another type", "<other type>"},
        {"r16", "type tags are lower case", "<other type>"},
        {"r17", "dword: with no number is a dword", "<other type>"},
        {"r18", "hex(2): is a text", "18,5"},
        {"r19", "hex(2): across lines", "18"},
        {"r20", "blanks around =", "blanks around ="},
        {"r21", "a text ends at \\0", "ab"},
        {"r22", "octal beyond one byte", "\xC4\x80"},
        {"", "@ is the default value", "default by @"},
    };
    std::vector<RegistryProblem> written_problems;
    const auto written = ParseWineRegistry(Slurp(kWine / "read_forms" / "written.reg"), &written_problems);
    const auto loaded = ParseWineRegistry(Slurp(kWine / "read_forms" / "loaded.reg"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ValueOf(written, "software\\corvane\\readforms", row.name), row.value);
        EXPECT_EQ(ValueOf(loaded, "software\\corvane\\readforms", row.name), row.value);
    }
    for (const auto* content : {&written, &loaded}) {
        EXPECT_EQ(ValueOf(*content, "software\\corvane\\readforms\\no time stamp", "t"), "key without its time");
        EXPECT_EQ(ValueOf(*content, "software\\corvane\\readforms\\escaped ] bracket \xC3\xA9", "t"), "key with escapes");
    }
    // The two lines Wine itself called malformed are told, and only they.
    std::vector<std::string> told;
    for (const auto& p : written_problems) told.push_back(p.text.substr(0, 6));
    EXPECT_EQ(told, (std::vector<std::string>{"\"R15\"=", "\"R16\"="}));
    for (const auto& p : written_problems) EXPECT_TRUE(p.value_kept) << p.text;
}

// What Wine never writes, kept as a person editing the file would mean it.
TEST(WineRegistryReader, HandWrittenFormsWineNeverWrites) {
    struct Case {
        const char* what;
        std::string line;  // below [K]
        std::string expected;
    } cases[] = {
        {"UTF-8 written as it is", "\"V\"=\"Zo\xC3\xAB\"", "Zo\xC3\xAB"},
        {"a lone surrogate", R"("V"="\xd83dz")", "\xEF\xBF\xBDz"},
        {"CR LF line ends", "\"V\"=\"crlf\"\r", "crlf"},
        {"qword", "\"V\"=hex(b):00,00,00,00,00,00,00,00", "<other type>"},
        {"name with escapes", R"("\x56"="named by an escape")", "named by an escape"},
    };
    for (const auto& c : cases) {
        std::vector<RegistryProblem> problems;
        const auto content = ParseWineRegistry(kHeader + "[K] 1796953361\n" + c.line + "\n", &problems);
        EXPECT_TRUE(problems.empty()) << c.what << ": " << (problems.empty() ? "" : problems[0].reason);
        EXPECT_EQ(ValueOf(content, "k", "v"), c.expected) << c.what;
    }
}

// "6\1" is six and a control character: no program reads it as 61.
TEST(WineRegistryReader, AControlCharacterIsNoDigit) {
    SettingsStore store(kEnglish.string());
    ASSERT_TRUE(store.OpenKey("Software\\Corvane\\Solvane\\Calibration\\Quarix5"));
    EXPECT_EQ(store.ReadText("Resist1"), "6\x01");
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
    EXPECT_EQ(lines, (std::vector<int>{2, 5, 6, 8, 10, 11, 16}));
    EXPECT_EQ(problems[1].text, "garbage");
    // As the Wine server does: a value whose data it cannot read is there,
    // of no type; "\x" is the letter; any dword: is a dword; a key needs no
    // time stamp.
    const auto& k = content.keys.at("k");
    EXPECT_EQ(ValueOf(content, "k", "a"), "1");
    EXPECT_EQ(ValueOf(content, "k", "g"), "3");
    EXPECT_EQ(ValueOf(content, "k", "e"), "x");
    for (const char* other : {"b", "c", "d", "h"}) EXPECT_EQ(ValueOf(content, "k", other), "<other type>") << other;
    EXPECT_EQ(k.size(), 7u);
    EXPECT_EQ(content.keys.count("k2"), 0u);
    EXPECT_EQ(content.keys.count("k3"), 1u);

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
    EXPECT_NE(err.find(", line 6: the text is not closed by '\"' at the end of the line; the value counts as one of "
                       "another type: \"B\"=\"unterminated"),
              std::string::npos)
        << err;

    std::vector<RegistryProblem> no_header;
    ParseWineRegistry("[K] 1\n\"A\"=\"1\"\n", &no_header);
    ASSERT_EQ(no_header.size(), 1u);
    EXPECT_EQ(no_header[0].line, 1);
}

// The second line says whose keys follow, in the form of the server that
// wrote the file. Named where the user's file is expected, the machine's
// keys or the new users' template must not pass for the user's.
TEST(WineRegistryReader, TheSecondLineTellsAUsersFileFromOthers) {
    struct Case {
        const char* relative_to;
        bool users;
    } cases[] = {
        {R"(REGISTRY\\User\\S-1-5-21-0-0-0-1000)", true},  // Wine 8 (user.reg)
        {R"(\\User\\S-1-5-21-0-0-0-1000)", true},          // older servers
        {R"(registry\\user\\s-1-5-21-0-0-0-1000)", true},
        {R"(REGISTRY\\Machine)", false},  // system.reg
        {R"(\\Machine)", false},
        {R"(REGISTRY\\User\\.Default)", false},  // userdef.reg
        {R"(REGISTRY\\Machineroom)", true},     // says nothing clear: read as the server would
        {"something else", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative_to);
        std::vector<RegistryProblem> problems;
        const auto content = ParseWineRegistry(std::string("WINE REGISTRY Version 2\n;; All keys relative to ") +
                                                   c.relative_to + "\n\n[Software\\\\Corvane\\\\Trakova\\\\AppPath] 1796953361\n"
                                                   "\"AppPath\"=\"C:\\\\T\"\n",
                                               &problems);
        EXPECT_EQ(ValueOf(content, "software\\corvane\\trakova\\apppath", "apppath"), c.users ? "C:\\T" : "<no key>");
        ASSERT_EQ(problems.size(), c.users ? 0u : 1u);
        if (!c.users) {
            EXPECT_EQ(problems[0].line, 2);
        }
    }
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
