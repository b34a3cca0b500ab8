#include "app/ConfApp.h"
#include "app/Text.h"
#include "support/RecordingSink.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace varnadex {
namespace {

namespace fs = std::filesystem;

// An environment of these variables only; the map outlives the lookup.
EnvironmentLookup lookupIn(const std::map<std::string, std::string>& variables) {
    return [&variables](const std::string& name) -> std::optional<std::string> {
        auto it = variables.find(name);
        if (it == variables.end()) return std::nullopt;
        return it->second;
    };
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = (dir / "varnadex").string();
        environment = {{"HOME", (dir / "home").string()},
                       {"XDG_CONFIG_DIRS", (dir / "etc").string()}};
    }
    // Keeps the user's and the system's own settings files out of the test.
    void isolate(CConfApp& app) { app.environment = lookupIn(environment); }
    void writeIni(const std::string& content) {
        std::ofstream(dir / "varnadex.ini", std::ios::binary) << content;
    }
    std::string readIni() {
        std::ifstream in(dir / "varnadex.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    test::ScratchDir scratch{"varnadex-app"};
    const fs::path& dir = scratch.path;
    std::string program;
    std::map<std::string, std::string> environment;
};

TEST_F(StartupTest, LanguageFromSettingsFile) {
    struct Case {
        const char* ini; // nullptr: no file
        int language;
        const char* unknown;
    };
    const Case cases[] = {
        {nullptr, 0, "Ismeretlen"},
        {"[General]\nLanguage=1\n", 1, "Unknown"},
        {"[General]\nLanguage=0\n", 0, "Ismeretlen"},
        {"[General]\nLanguage=English\n", 0, "Ismeretlen"},
        {"[General]\nLanguage=\n", 0, "Ismeretlen"},
        {"[Other]\nLanguage=1\n", 0, "Ismeretlen"},
        {"[general]\r\nlanguage =  1x\r\n", 1, "Unknown"},
        {"[General]\nLanguage=7\n", 7, "Ismeretlen"},
        {"[General]\nLanguage=-1\n", -1, "Ismeretlen"},
    };
    for (const auto& c : cases) {
        fs::remove(dir / "varnadex.ini");
        if (c.ini) writeIni(c.ini);
        CConfApp app;
        isolate(app);
        app.loadLanguage(program);
        EXPECT_EQ(app.language, c.language) << (c.ini ? c.ini : "(no file)");
        EXPECT_EQ(app.messageCatalogue.text(Msg::Unknown), c.unknown);
    }
}

TEST_F(StartupTest, SettingsFileIsNeverWrittenOrCreated) {
    {
        CConfApp app;
        isolate(app);
        app.InitInstance(program, "", [](CConfApp&, int) {});
    }
    EXPECT_FALSE(fs::exists(dir / "varnadex.ini"));
    const std::string content = "; keep me\n[General]\r\nLanguage=1\r\n\r\n[Extra]\nx=y";
    writeIni(content);
    auto before = fs::last_write_time(dir / "varnadex.ini");
    {
        CConfApp app;
        isolate(app);
        app.InitInstance(program, "", [](CConfApp&, int) {});
    }
    EXPECT_EQ(readIni(), content);
    EXPECT_EQ(fs::last_write_time(dir / "varnadex.ini"), before);
}

#ifndef _WIN32 // the XDG directories are where freedesktop systems keep settings
// An installed program cannot keep its settings beside itself: the user's and then the
// system's XDG configuration directories follow, and the first file that exists is read.
TEST_F(StartupTest, FirstExistingSettingsFileWins) {
    const fs::path system = dir / "etc/varnadex/varnadex.ini";
    const fs::path user = dir / "home/.config/varnadex/varnadex.ini";
    auto write = [](const fs::path& path, const char* text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    };
    auto language = [&] {
        CConfApp app;
        isolate(app);
        app.loadLanguage(program);
        return std::pair(app.language, app.profile.path());
    };
    EXPECT_EQ(language(), std::pair(0, (dir / "varnadex.ini").string()));
    write(system, "[General]\nLanguage=1\n");
    EXPECT_EQ(language(), std::pair(1, system.string()));
    fs::create_directories(user); // a directory of that name is no settings file
    EXPECT_EQ(language(), std::pair(1, system.string()));
    fs::remove(user);
    write(user, "[General]\nLanguage=0\n");
    EXPECT_EQ(language(), std::pair(0, user.string()));
    writeIni("[General]\nLanguage=1\n");
    EXPECT_EQ(language(), std::pair(1, (dir / "varnadex.ini").string()));
}
#endif

TEST(SettingsFile, CandidatesFollowTheXdgBaseDirectoryRules) {
    struct Case {
        std::map<std::string, std::string> environment;
        std::vector<std::string> expected; // after the one beside the program
    };
    const std::string file = "/varnadex/varnadex.ini";
    const Case cases[] = {
        {{}, {"/etc/xdg" + file}},
        {{{"HOME", "/home/t"}}, {"/home/t/.config" + file, "/etc/xdg" + file}},
        {{{"HOME", "/home/t"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_CONFIG_DIRS", "/a:rel::/b"}},
         {"/cfg" + file, "/a" + file, "/b" + file}},
        // Empty or relative values are not set at all.
        {{{"HOME", "/home/t"}, {"XDG_CONFIG_HOME", "rel"}, {"XDG_CONFIG_DIRS", ""}},
         {"/home/t/.config" + file, "/etc/xdg" + file}},
        {{{"HOME", ""}, {"XDG_CONFIG_HOME", ""}, {"XDG_CONFIG_DIRS", "rel"}}, {"/etc/xdg" + file}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected{"/opt/v/varnadex.ini"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(settingsFileCandidates("/opt/v", lookupIn(c.environment)), expected)
            << c.expected.front();
    }
}

TEST(CommandLine, EnableMacIsACaseSensitiveSubstring) {
    EXPECT_TRUE(commandLineEnablesMac("/ENABLEMAC"));
    EXPECT_TRUE(commandLineEnablesMac("--port /dev/pts/3 /ENABLEMAC"));
    EXPECT_TRUE(commandLineEnablesMac("x/ENABLEMACHINE"));
    EXPECT_FALSE(commandLineEnablesMac("/enablemac"));
    EXPECT_FALSE(commandLineEnablesMac("/ENABLE MAC"));
    EXPECT_FALSE(commandLineEnablesMac(""));
}

TEST(CommandLine, ApplicationNameIsTheFileNameWithoutExtension) {
    EXPECT_EQ(applicationName("/opt/x/varnadex"), "varnadex");
    EXPECT_EQ(applicationName("/opt/x/varnadex.exe"), "varnadex");
    EXPECT_EQ(applicationName("varnadex-cli"), "varnadex-cli");
}

TEST(Decimals, TheSettingsFileIsLenientEverythingElseStrict) {
    EXPECT_EQ(lenientDecimal("  -12abc"), -12);
    EXPECT_EQ(lenientDecimal("+7"), 7);
    EXPECT_EQ(lenientDecimal("abc"), 0);
    EXPECT_EQ(lenientDecimal(""), 0);
    EXPECT_EQ(lenientDecimal("- 5"), 0);
    // A strict decimal is digits alone; a long run stops at the limit, never wraps.
    for (const char* refused :
         {"", "+1", " 1", "1 ", "1e3", "-0", "256", "99999999999999999999999"})
        EXPECT_FALSE(parseDecimal(refused, 255)) << refused;
    EXPECT_EQ(parseDecimal("0255", 255), 255u);
}

TEST(Catalogue, KeepsTheTextsAsTheyStand) {
    MessageCatalogue en, hu;
    en.fill(1);
    hu.fill(0);
    EXPECT_EQ(en.text(Msg::OldFirmware), "The converter uses old fimrware, please update it.");
    EXPECT_EQ(en.text(Msg::FirmwareSuccess), "Firmware download was successfull");
    EXPECT_EQ(hu.text(Msg::ErrorCaption), "A művelet során hiba lépett fel");
    EXPECT_EQ(hu.text(Msg::WrongHex), "Hibás Hexadecimiális szám!");
    for (int i = 0; i < kCatalogueSize; ++i) {
        EXPECT_FALSE(en[i].empty());
        EXPECT_FALSE(hu[i].empty());
        EXPECT_NE(en[i], hu[i]) << i;
    }
}

TEST(Catalogue, EchoedValuesAreCutAndEscaped) {
    const std::string fortyA(40, 'a');
    const std::string thirtyNineA(39, 'a');
    struct Row {
        std::string value;
        std::string shown;
    };
    const Row rows[] = {
        {"COM1", "COM1"},
        {fortyA, fortyA},
        {fortyA + "b", fortyA + "…"},
        {std::string(10'000'000, 'x'), std::string(40, 'x') + "…"},
        // Characters, not bytes, and never half of one.
        {std::string(39, 'a') + "őőő", thirtyNineA + "ő…"},
        {std::string(40, 'a') + "ő", fortyA + "…"},
        {"\x1b[2J\n\t\r", "\\x1b[2J\\n\\t\\r"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x7f\xc2\x9b"
         "1m",
         "\\x7f\\xc2\\x9b1m"},                                 // DEL and the C1 CSI
        {"jelsz\xF3", "jelsz\\xf3"},                           // not UTF-8
        {"\xE2\x82", "\\xe2\\x82"},                            // cut off
        {"\xC0\xAF\xED\xA0\x80", "\\xc0\\xaf\\xed\\xa0\\x80"}, // overlong, surrogate
        {"jelszó 密码 🙂", "jelszó 密码 🙂"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(echoedValue(r.value), r.shown) << r.shown;
}

TEST(Catalogue, ExtraFillsBothPlaceholdersInOnePass) {
    MessageCatalogue en;
    en.fill(1);
    EXPECT_EQ(en.extra(ExtraMsg::WrongPort, "a %2 b", "%1"),
              "Wrong number in \"a %2 b\": \"%1\". Enter a whole number from 0 to 65535.");
    EXPECT_EQ(en.extra(ExtraMsg::WrongSpeed, "96\n00"),
              "Wrong port speed: \"96\\n00\". Enter a whole number from 0 to 65535.");
    MessageCatalogue hu;
    hu.fill(0);
    for (auto m : {ExtraMsg::PortInUse, ExtraMsg::RestartNotSent, ExtraMsg::Ipv6NotSupported,
                   ExtraMsg::FirmwareNotOpened})
        EXPECT_NE(en.extra(m, "x"), hu.extra(m, "x"));
}

} // namespace
} // namespace varnadex
