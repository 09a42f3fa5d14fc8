#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/ini_document.h"
#include "core/settings/memory_profile.h"
#include "core/settings/settings_store.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

const std::wstring kDesktop = L"C:\\Users\\u\\Desktop";

Settings loaded(std::string_view ini) {
    MemoryProfile p(ini);
    Settings s;
    s.captureLoggingEnabled = true;  // must be overwritten
    loadSettingsFrom(p, s, kDesktop);
    return s;
}

TEST(SettingsStore, DefaultsWithoutAFile) {
    const Settings s = loaded("");
    EXPECT_EQ(s.captureFolder, kDesktop);
    EXPECT_EQ(s.language, UiLanguage::ChineseSimplified);
    EXPECT_TRUE(s.openAfterCapture);
    EXPECT_FALSE(s.captureLoggingEnabled);
    EXPECT_EQ(s.scrollMode, ScrollMode::Auto);
}

TEST(SettingsStore, ScrollModeIsManualOnlyWhenItSaysSo) {
    const std::string binary = "[general]\nscrollMode=\x01\xFF\xFEmanual\n";
    struct Case {
        std::string ini;
        ScrollMode mode;
    } cases[] = {
        {"[general]\nscrollMode=manual\n", ScrollMode::Manual},
        {"[general]\nscrollMode=MANUAL\n", ScrollMode::Manual},
        {"[general]\nscrollMode = Manual \n", ScrollMode::Manual},
        {"[general]\nscrollMode=auto\n", ScrollMode::Auto},
        {"[general]\nscrollMode=\n", ScrollMode::Auto},
        {"[general]\nscrollMode=1\n", ScrollMode::Auto},
        {"[general]\nscrollMode=manually\n", ScrollMode::Auto},
        {"[general]\nscrollMode=man\n", ScrollMode::Auto},
        {"[general]\nscrollMode=" + std::string(31, 'm') + "manual\n", ScrollMode::Auto},
        {"[general]\nscrollMode=manual" + std::string(5000, ' ') + "x\n", ScrollMode::Auto},
        {binary, ScrollMode::Auto},
        {"[other]\nscrollMode=manual\n", ScrollMode::Auto},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini.substr(0, 60));
        Settings s;
        s.scrollMode = c.mode == ScrollMode::Auto ? ScrollMode::Manual : ScrollMode::Auto;  // must be overwritten
        MemoryProfile p(c.ini);
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.scrollMode, c.mode);
    }
    for (const ScrollMode mode : {ScrollMode::Auto, ScrollMode::Manual}) {
        MemoryProfile p;
        Settings s;
        s.captureFolder = kDesktop;
        s.scrollMode = mode;
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"scrollMode"), mode == ScrollMode::Manual ? L"manual" : L"auto");
        EXPECT_EQ(loaded(p.doc.serialize()).scrollMode, mode);
    }
}

TEST(SettingsStore, StartFromTopIsOffUnlessANumberSaysOn) {
    struct Case {
        const char* ini;
        bool on;
    } cases[] = {
        {"", false},
        {"[general]\nstartFromTop=1\n", true},
        {"[general]\nstartFromTop=0\n", false},
        {"[general]\nstartFromTop=yes\n", false},
        {"[general]\nstartFromTop=\n", false},
        {"[general]\nstartFromTop=2abc\n", true},
        {"[other]\nstartFromTop=1\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MemoryProfile p(c.ini);
        Settings s;
        s.startFromTop = !c.on;  // must be overwritten
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.startFromTop, c.on);
    }
    for (const bool on : {false, true}) {
        MemoryProfile p;
        Settings s;
        s.captureFolder = kDesktop;
        s.startFromTop = on;
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"startFromTop"), on ? L"1" : L"0");
        EXPECT_EQ(loaded(p.doc.serialize()).startFromTop, on);
    }
}

TEST(SettingsStore, SplitHeightIsOneOfTheOfferedChoicesOrOff) {
    struct Case {
        const char* ini;
        int32_t split;
    } cases[] = {
        {"", 0},
        {"[general]\nsplitHeightPx=16000\n", 16000},
        {"[general]\nsplitHeightPx=32000\n", 32000},
        {"[general]\nsplitHeightPx=0\n", 0},
        {"[general]\nsplitHeightPx=5\n", 0},
        {"[general]\nsplitHeightPx=-16000\n", 0},
        {"[general]\nsplitHeightPx=big\n", 0},
        {"[other]\nsplitHeightPx=16000\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MemoryProfile p(c.ini);
        Settings s;
        s.splitHeightPx = 32000;  // must be overwritten
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.splitHeightPx, c.split);
    }
    for (const int32_t split : kSplitHeightChoices) {
        MemoryProfile p;
        Settings s;
        s.captureFolder = kDesktop;
        s.splitHeightPx = split;
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"splitHeightPx"), std::to_wstring(split));
        EXPECT_EQ(loaded(p.doc.serialize()).splitHeightPx, split);
    }
}

TEST(SettingsStore, ReviewAfterCaptureIsOffUnlessANumberSaysOn) {
    struct Case {
        const char* ini;
        bool on;
    } cases[] = {
        {"", false},
        {"[general]\nreviewAfterCapture=1\n", true},
        {"[general]\nreviewAfterCapture=0\n", false},
        {"[general]\nreviewAfterCapture=on\n", false},
        {"[general]\nreviewAfterCapture=\n", false},
        {"[general]\nreviewAfterCapture=7x\n", true},
        {"[other]\nreviewAfterCapture=1\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MemoryProfile p(c.ini);
        Settings s;
        s.reviewAfterCapture = !c.on;  // must be overwritten
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.reviewAfterCapture, c.on);
    }
    for (const bool on : {false, true}) {
        MemoryProfile p;
        Settings s;
        s.captureFolder = kDesktop;
        s.reviewAfterCapture = on;
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"reviewAfterCapture"), on ? L"1" : L"0");
        EXPECT_EQ(loaded(p.doc.serialize()).reviewAfterCapture, on);
    }
}

TEST(SettingsStore, CaptureDirectionIsDownUnlessTheWordSaysRight) {
    struct Case {
        const char* ini;
        ScrollDirection direction;
    } cases[] = {
        {"", ScrollDirection::Down},
        {"[general]\ncaptureDirection=right\n", ScrollDirection::Right},
        {"[general]\ncaptureDirection=RIGHT\n", ScrollDirection::Right},
        {"[general]\ncaptureDirection=down\n", ScrollDirection::Down},
        {"[general]\ncaptureDirection=left\n", ScrollDirection::Down},
        {"[general]\ncaptureDirection=1\n", ScrollDirection::Down},
        {"[general]\ncaptureDirection=\n", ScrollDirection::Down},
        {"[general]\ncaptureDirection=right now\n", ScrollDirection::Down},
        {"[other]\ncaptureDirection=right\n", ScrollDirection::Down},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MemoryProfile p(c.ini);
        Settings s;
        s.captureDirection = c.direction == ScrollDirection::Down ? ScrollDirection::Right : ScrollDirection::Down;
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.captureDirection, c.direction);
    }
    for (const ScrollDirection d : {ScrollDirection::Down, ScrollDirection::Right}) {
        MemoryProfile p;
        Settings s;
        s.captureFolder = kDesktop;
        s.captureDirection = d;
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"captureDirection"), d == ScrollDirection::Right ? L"right" : L"down");
        EXPECT_EQ(loaded(p.doc.serialize()).captureDirection, d);
    }
}

TEST(SettingsStore, ValuesAreReadByTheProfileRules) {
    struct Case {
        const char* ini;
        UiLanguage language;
        bool open;
        bool logging;
    } cases[] = {
        {"[general]\nlanguage=en-US\n", UiLanguage::English, true, false},
        {"[general]\nlanguage=EN-us\n", UiLanguage::English, true, false},
        {"[GENERAL]\nLanguage = en-us \n", UiLanguage::English, true, false},
        {"[general]\nlanguage=en\n", UiLanguage::ChineseSimplified, true, false},
        {"[general]\nlanguage=English\n", UiLanguage::ChineseSimplified, true, false},
        {"[general]\nopenAfterCapture=yes\n", UiLanguage::ChineseSimplified, false, false},
        {"[general]\nopenAfterCapture=2\ncaptureLoggingEnabled=1\n", UiLanguage::ChineseSimplified, true, true},
        {"[general]\nopenAfterCapture=0\ncaptureLoggingEnabled=7abc\n", UiLanguage::ChineseSimplified, false, true},
        {"[general]\nopenAfterCapture=-1\n", UiLanguage::ChineseSimplified, false, false},
        {"[general]\ncaptureLoggingEnabled=99999999999999999999\n", UiLanguage::ChineseSimplified, true, true},
        {"[other]\nlanguage=en-US\nopenAfterCapture=0\n", UiLanguage::ChineseSimplified, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        const Settings s = loaded(c.ini);
        EXPECT_EQ(s.language, c.language);
        EXPECT_EQ(s.openAfterCapture, c.open);
        EXPECT_EQ(s.captureLoggingEnabled, c.logging);
    }
}

TEST(SettingsStore, CopyAndHotkeyKeysFallBackToTheirDefaults) {
    const HotkeyChord ctrlShiftPrint = defaultCaptureHotkey();
    const HotkeyChord altF9{hotkey_modifiers::kAlt, 0x78};
    struct Case {
        const char* ini;
        bool copy;
        HotkeyChord hotkey;
        const wchar_t* written;  // what the next save writes for captureHotkey
    } cases[] = {
        {"", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncopyAfterCapture=0\n", false, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncopyAfterCapture=yes\n", false, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncopyAfterCapture=3\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncaptureHotkey=\n", true, HotkeyChord{}, L""},
        {"[general]\ncaptureHotkey=   \n", true, HotkeyChord{}, L""},
        {"[general]\ncaptureHotkey=f9 + ALT\n", true, altF9, L"Alt+F9"},
        {"[general]\ncaptureHotkey=Ctrl+Hyper+K\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncaptureHotkey=Q\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncaptureHotkey=\xE6\x88\xAA\xE5\x9B\xBE\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[general]\ncaptureHotkey=\xFF\xFE+\x01\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
        {"[other]\ncopyAfterCapture=0\ncaptureHotkey=\n", true, ctrlShiftPrint, L"Ctrl+Shift+PrintScreen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MemoryProfile p(c.ini);
        Settings s;
        s.copyAfterCapture = !c.copy;  // must be overwritten
        s.captureHotkey = {hotkey_modifiers::kWin, 0x5A};
        loadSettingsFrom(p, s, kDesktop);
        EXPECT_EQ(s.copyAfterCapture, c.copy);
        EXPECT_EQ(s.captureHotkey, c.hotkey);
        ASSERT_TRUE(saveSettingsTo(p, s));
        EXPECT_EQ(p.doc.get(L"general", L"captureHotkey"), std::wstring(c.written));
        EXPECT_EQ(p.doc.get(L"general", L"copyAfterCapture"), std::wstring(c.copy ? L"1" : L"0"));
    }
    const std::string longChord = "[general]\ncaptureHotkey=Ctrl+" + std::string(300, 'F') + "\n";
    EXPECT_EQ(loaded(longChord).captureHotkey, ctrlShiftPrint);
}

TEST(SettingsStore, EmptyFolderMeansTheDesktopAndIsWrittenOutOnSave) {
    MemoryProfile p("[general]\ncaptureFolder=\n");
    Settings s;
    loadSettingsFrom(p, s, kDesktop);
    EXPECT_EQ(s.captureFolder, kDesktop);
    ASSERT_TRUE(saveSettingsTo(p, s));
    EXPECT_EQ(p.doc.get(L"general", L"captureFolder"), kDesktop);
    EXPECT_EQ(loaded(p.doc.serialize()).captureFolder, kDesktop);
}

TEST(SettingsStore, FirstSaveWritesEveryKeyAndLeavesTheRestAlone) {
    MemoryProfile p("; my notes\n[window]\nx=10\n[general]\nfavourite=blue\n");
    Settings s;
    loadSettingsFrom(p, s, kDesktop);
    s.language = UiLanguage::English;  // the only change
    ASSERT_TRUE(saveSettingsTo(p, s));
    EXPECT_EQ(p.writes, 11);
    EXPECT_EQ(p.doc.get(L"general", L"captureFolder"), kDesktop);
    EXPECT_EQ(p.doc.get(L"general", L"language"), L"en-US");
    EXPECT_EQ(p.doc.get(L"general", L"openAfterCapture"), L"1");
    EXPECT_EQ(p.doc.get(L"general", L"captureLoggingEnabled"), L"0");
    EXPECT_EQ(p.doc.get(L"general", L"copyAfterCapture"), L"1");
    EXPECT_EQ(p.doc.get(L"general", L"captureHotkey"), L"Ctrl+Shift+PrintScreen");
    EXPECT_EQ(p.doc.get(L"general", L"scrollMode"), L"auto");
    EXPECT_EQ(p.doc.get(L"general", L"startFromTop"), L"0");
    EXPECT_EQ(p.doc.get(L"general", L"captureDirection"), L"down");
    EXPECT_EQ(p.doc.get(L"general", L"reviewAfterCapture"), L"0");
    EXPECT_EQ(p.doc.get(L"general", L"splitHeightPx"), L"0");
    EXPECT_EQ(p.doc.get(L"general", L"favourite"), L"blue");
    EXPECT_EQ(p.doc.get(L"window", L"x"), L"10");
    const std::string text = p.doc.serialize();
    EXPECT_EQ(text.rfind("; my notes\r\n[window]\r\nx=10\r\n[general]\r\nfavourite=blue\r\ncaptureFolder=", 0), 0u) << text;
    const size_t a = text.find("captureFolder="), b = text.find("language="), c = text.find("openAfterCapture="),
                 d = text.find("captureLoggingEnabled="), e = text.find("copyAfterCapture="),
                 f = text.find("captureHotkey="), g = text.find("scrollMode="), h = text.find("startFromTop="), i = text.find("captureDirection="),
                 j = text.find("reviewAfterCapture=");
    EXPECT_TRUE(a < b && b < c && c < d && d < e && e < f && f < g && g < h && h < i && i < j);
}

// A profile on which the write of one key fails.
class OneKeyFails : public MemoryProfile {
public:
    explicit OneKeyFails(std::wstring key) : key_(std::move(key)) {}
    bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        if (key == key_) {
            ++writes;
            return false;
        }
        return MemoryProfile::writeString(section, key, value);
    }

private:
    std::wstring key_;
};

TEST(SettingsStore, FailedWritesAreAllAttemptedAndReported) {
    MemoryProfile p;
    p.readOnly = true;
    Settings s;
    s.captureFolder = L"D:\\shots";
    EXPECT_FALSE(saveSettingsTo(p, s));
    EXPECT_EQ(p.writes, 11);

    // Whichever key fails, the save says so and every other key is written.
    const wchar_t* const keys[] = {L"captureFolder",    L"language",      L"openAfterCapture",
                                   L"captureLoggingEnabled", L"copyAfterCapture", L"captureHotkey",
                                   L"scrollMode",       L"startFromTop",  L"captureDirection",
                                   L"reviewAfterCapture", L"splitHeightPx"};
    for (const wchar_t* failing : keys) {
        SCOPED_TRACE(testing::Message() << "failing " << failing);
        OneKeyFails q(failing);
        EXPECT_FALSE(saveSettingsTo(q, s));
        EXPECT_EQ(q.writes, 11);
        for (const wchar_t* key : keys) {
            const bool written = q.doc.get(L"general", key).has_value();
            EXPECT_EQ(written, key != failing) << key;
        }
    }
}

TEST(SettingsStore, GarbageLoadsTheDefaultOfEachBadKey) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    const std::string hugeLanguage = "[general]\nlanguage=" + std::string(10000, 'e') + "\ncaptureLoggingEnabled=1\n";
    for (const std::string& ini :
         {binary, hugeLanguage, std::string("[general"), std::string("[general]\n=\n==\nlanguage\n"),
          std::string("\xEF\xBB\xBF[general]\nlanguage=en-US\n"), std::string("[general]\ncaptureFolder=\xFF\xFE\n")}) {
        const Settings s = loaded(ini);
        EXPECT_FALSE(s.captureFolder.empty());
    }
    EXPECT_EQ(loaded(hugeLanguage).language, UiLanguage::ChineseSimplified);
    EXPECT_TRUE(loaded(hugeLanguage).captureLoggingEnabled);
    EXPECT_EQ(loaded("\xEF\xBB\xBF[general]\nlanguage=en-US\n").language, UiLanguage::English);
}

TEST(SettingsStore, NonAsciiFoldersSurviveTheFileProfile) {
    test::ScratchDir dir;
    const fs::path file = dir / "settings.ini";
    Settings s;
    s.captureFolder = L"D:\\截图\\长图 ü";
    s.language = UiLanguage::English;
    s.openAfterCapture = false;
    s.captureLoggingEnabled = true;
    s.copyAfterCapture = false;
    s.captureHotkey = {hotkey_modifiers::kControl | hotkey_modifiers::kWin, 0xBB};
    auto profile = openSettingsProfile(file);
    ASSERT_TRUE(saveSettingsTo(*profile, s));
    Settings back;
    loadSettingsFrom(*openSettingsProfile(file), back, kDesktop);
    EXPECT_EQ(back.captureFolder, s.captureFolder);
    EXPECT_EQ(back.language, UiLanguage::English);
    EXPECT_FALSE(back.openAfterCapture);
    EXPECT_TRUE(back.captureLoggingEnabled);
    EXPECT_FALSE(back.copyAfterCapture);
    EXPECT_EQ(back.captureHotkey, s.captureHotkey);
}

TEST(SettingsStore, UnwritableFileReportsFailure) {
    test::ScratchDir dir;
    fs::create_directories(dir / "settings.ini");  // a folder where the file should be
    Settings s;
    s.captureFolder = L"x";
    EXPECT_FALSE(saveSettingsTo(*openSettingsProfile(dir / "settings.ini"), s));
    // Nothing is left behind: no temporary file beside it, nothing put inside the folder.
    EXPECT_EQ(test::entriesOf(dir.path()), std::vector<std::string>{"settings.ini"});
    EXPECT_TRUE(fs::is_empty(dir / "settings.ini"));
}

#ifndef _WIN32
// The settings file in the user's folder; the environment is restored whatever a test does.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* x = std::getenv("XDG_CONFIG_HOME")) oldXdg_ = x;
        setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    }
    void TearDown() override {
        if (oldXdg_) setenv("XDG_CONFIG_HOME", oldXdg_->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        fs::permissions(file(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::path file() const { return dir_ / "Quorvelle" / "Tallyframe" / "settings.ini"; }

    test::ScratchDir dir_;
    Settings settings;
    std::optional<std::string> oldXdg_;
};

TEST_F(SettingsFileTest, LoadSaveAndAReadOnlyFile) {
    EXPECT_EQ(settingsFilePath(), file());
    EXPECT_TRUE(fs::is_directory(file().parent_path()));  // made by the look-up

    settings = Settings{};
    settings.captureLoggingEnabled = true;
    loadSettings(settings);  // no file yet
    EXPECT_EQ(settings.captureFolder, defaultCaptureFolder());
    EXPECT_EQ(settings.language, UiLanguage::ChineseSimplified);
    EXPECT_TRUE(settings.openAfterCapture);
    EXPECT_FALSE(settings.captureLoggingEnabled);

    settings.language = UiLanguage::English;
    ASSERT_TRUE(saveSettings(settings));
    const std::string written = test::readFile(file());
    for (const char* key : {"captureFolder=", "language=en-US", "openAfterCapture=1", "captureLoggingEnabled=0"})
        EXPECT_NE(written.find(key), std::string::npos) << key;

    fs::permissions(file(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    settings.openAfterCapture = false;
    settings.captureFolder = L"/elsewhere";
    EXPECT_FALSE(saveSettings(settings));
    EXPECT_EQ(test::readFile(file()), written);
    EXPECT_EQ(test::entriesOf(file().parent_path()), std::vector<std::string>{"settings.ini"});  // no temporary left

    settings = Settings{};
    loadSettings(settings);  // what the read-only file still says
    EXPECT_EQ(settings.language, UiLanguage::English);
    EXPECT_TRUE(settings.openAfterCapture);
}
// Whatever stands in the settings file's place, the start neither waits nor
// reads it whole: the defaults are used, the look says why, and no save ever
// writes over it.
TEST_F(SettingsFileTest, WhatIsNoSmallRegularFileIsLeftUnreadAndUntouched) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::function<bool(const fs::path&)> unchanged;
        SmallFileKind kind;
    } cases[] = {
        {"a FIFO", [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); },
         [](const fs::path& f) { return fs::is_fifo(f); }, SmallFileKind::NotRegular},
        {"a folder", [](const fs::path& f) { fs::create_directories(f); },
         [](const fs::path& f) { return fs::is_directory(f) && fs::is_empty(f); }, SmallFileKind::NotRegular},
        {"a link to /dev/zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
         [](const fs::path& f) { return fs::is_symlink(f) && fs::read_symlink(f) == "/dev/zero"; },
         SmallFileKind::NotRegular},
        {"a huge file",
         [](const fs::path& f) {
             test::writeFile(f, "[general]\nlanguage=en-US\n");
             fs::resize_file(f, uint64_t{2} << 30);
         },
         [](const fs::path& f) { return fs::file_size(f) == uint64_t{2} << 30; }, SmallFileKind::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file());
        fs::create_directories(file().parent_path());
        c.make(file());
        settings = Settings{};
        settings.captureLoggingEnabled = true;
        const SmallFile looked = loadSettings(settings);
        EXPECT_EQ(looked.kind, c.kind);
        EXPECT_EQ(settings.captureFolder, defaultCaptureFolder());
        EXPECT_EQ(settings.language, UiLanguage::ChineseSimplified);
        EXPECT_FALSE(settings.captureLoggingEnabled);
        EXPECT_FALSE(saveSettings(settings));
        EXPECT_FALSE(openSettingsProfile(file())->writeString(L"general", L"language", L"en-US"));
        EXPECT_TRUE(c.unchanged(file()));
    }
    fs::remove_all(file());
    EXPECT_EQ(loadSettings(settings).kind, SmallFileKind::Absent);
    test::writeFile(file(), "[general]\nlanguage=en-US\n");
    EXPECT_EQ(loadSettings(settings).kind, SmallFileKind::Regular);
    EXPECT_EQ(settings.language, UiLanguage::English);
}
#endif  // the settings folder of other systems

TEST(IniText, ValuesReadBackAsTheyWereSet) {
    IniDocument doc = IniDocument::parse("[general]\nkeep = \"quoted\" \n");
    const std::wstring values[] = {L"", L" lead", L"trail\t", L"\"both\"", L"\"", L"\"open", L"mid \" dle", L"a=b;c"};
    for (const std::wstring& v : values) {
        doc.set(L"general", L"value", v);
        EXPECT_EQ(IniDocument::parse(doc.serialize()).get(L"general", L"value"), v) << doc.serialize();
    }
    EXPECT_EQ(doc.get(L"general", L"keep"), L"quoted");
}

TEST(IniText, EntriesInFileOrderFirstOccurrenceWins) {
    const IniDocument doc = IniDocument::parse("top=0\n[a]\nx=1\n; c=9\n[B]\ny = 2\n[A]\nX=3\nz=4\n");
    const auto entries = doc.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, L"x");
    EXPECT_EQ(entries[0].value, L"1");
    EXPECT_EQ(entries[1].section, L"B");
    EXPECT_EQ(entries[1].value, L"2");
    EXPECT_EQ(entries[2].section, L"A");
    EXPECT_EQ(entries[2].key, L"z");
}

TEST(SettingsPaths, FoldersAreNeverEmpty) {
    EXPECT_FALSE(executableFolder().empty());
    EXPECT_TRUE(fs::is_directory(executableFolder()));
    EXPECT_FALSE(defaultCaptureFolder().empty());
    const fs::path file = settingsFilePath();
    EXPECT_EQ(file.filename(), fs::path("settings.ini"));
    EXPECT_TRUE(fs::is_directory(file.parent_path()));
}

TEST(IniText, ProfileIntegerRule) {
    EXPECT_EQ(profileInteger(L"  42x"), 42);
    EXPECT_EQ(profileInteger(L"x42"), 0);
    EXPECT_EQ(profileInteger(L"123456789012"), INT_MAX);
}

}  // namespace
}  // namespace tf
