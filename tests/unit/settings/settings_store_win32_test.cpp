// The real profile functions: a Chinese folder name must survive a save and a
// load, which it only does because the file is made UTF-16 before the first write.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/settings/settings_store.h"
#include "test_support.h"

namespace tf {
namespace {

TEST(SettingsStoreWin32, ChineseFolderSurvivesTheProfileFunctions) {
    test::ScratchDir dir;
    const auto file = dir / "settings.ini";
    Settings s;
    s.captureFolder = L"C:\\用户\\截图保存位置";
    s.language = UiLanguage::English;
    s.openAfterCapture = false;
    s.captureLoggingEnabled = true;
    ASSERT_TRUE(saveSettingsTo(*openSettingsProfile(file), s));
    const std::string bytes = test::readFile(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
    Settings back;
    loadSettingsFrom(*openSettingsProfile(file), back, L"desk");
    EXPECT_EQ(back.captureFolder, s.captureFolder);
    EXPECT_EQ(back.language, UiLanguage::English);
    EXPECT_FALSE(back.openAfterCapture);
    EXPECT_TRUE(back.captureLoggingEnabled);
}

TEST(SettingsStoreWin32, CopyAndHotkeyKeysThroughTheProfileFunctions) {
    test::ScratchDir dir;
    const auto file = dir / "settings.ini";
    struct Case {
        const char* text;
        bool copy;
        HotkeyChord hotkey;
    } cases[] = {
        {"[general]\r\n", true, defaultCaptureHotkey()},
        {"[general]\r\ncaptureHotkey=\r\ncopyAfterCapture=0\r\n", false, HotkeyChord{}},
        {"[general]\r\ncaptureHotkey=alt + f9\r\ncopyAfterCapture=on\r\n", false,
         HotkeyChord{hotkey_modifiers::kAlt, 0x78}},
        {"[general]\r\ncaptureHotkey=Ctrl+Nope\r\ncopyAfterCapture=12\r\n", true, defaultCaptureHotkey()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::writeFile(file, c.text);
        Settings s;
        loadSettingsFrom(*openSettingsProfile(file), s, L"desk");
        EXPECT_EQ(s.copyAfterCapture, c.copy);
        EXPECT_EQ(s.captureHotkey, c.hotkey);
        ASSERT_TRUE(saveSettingsTo(*openSettingsProfile(file), s));
        Settings back;
        loadSettingsFrom(*openSettingsProfile(file), back, L"desk");
        EXPECT_EQ(back.copyAfterCapture, c.copy);
        EXPECT_EQ(back.captureHotkey, c.hotkey);  // an empty chord stays empty
    }
}

TEST(SettingsStoreWin32, ExistingSectionsAreKept) {
    test::ScratchDir dir;
    const auto file = dir / "settings.ini";
    test::writeFile(file, "[other]\r\nkey=value\r\n[general]\r\nlanguage=EN-us\r\n");
    Settings s;
    loadSettingsFrom(*openSettingsProfile(file), s, L"desk");
    EXPECT_EQ(s.language, UiLanguage::English);
    EXPECT_EQ(s.captureFolder, L"desk");
    ASSERT_TRUE(saveSettingsTo(*openSettingsProfile(file), s));
    EXPECT_NE(test::readFile(file).find("key=value"), std::string::npos);
}

TEST(SettingsStoreWin32, ReadOnlyFileIsNeitherChangedNorReportedAsSaved) {
    test::ScratchDir dir;
    const auto file = dir / "settings.ini";
    Settings s;
    s.captureFolder = L"C:\\截图";
    ASSERT_TRUE(saveSettingsTo(*openSettingsProfile(file), s));
    const std::string before = test::readFile(file);
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    s.captureFolder = L"D:\\elsewhere";
    s.language = UiLanguage::English;
    const bool saved = saveSettingsTo(*openSettingsProfile(file), s);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);  // not cleared to get the write through
    EXPECT_EQ(test::entriesOf(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST(SettingsStoreWin32, GarbageFilesLoadTheDefaultsOfTheirBadKeys) {
    test::ScratchDir dir;
    const auto file = dir / "settings.ini";
    std::string binary;
    for (int i = 0; i < 8192; ++i) binary.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    const std::string files[] = {
        binary,
        "[general]\r\nlanguage=" + std::string(10000, 'e') + "\r\nopenAfterCapture=99999999999999999999\r\n",
        "[general\r\ncaptureFolder=x\r\n",
        std::string("\xFF\xFE[\0g", 5),
    };
    for (const std::string& bytes : files) {
        test::writeFile(file, bytes);
        Settings s;
        s.captureLoggingEnabled = true;
        loadSettingsFrom(*openSettingsProfile(file), s, L"desk");
        EXPECT_FALSE(s.captureFolder.empty());
        EXPECT_FALSE(s.captureLoggingEnabled);
        EXPECT_EQ(s.language, UiLanguage::ChineseSimplified);
    }
}

TEST(SettingsStoreWin32, KnownFolders) {
    EXPECT_TRUE(std::filesystem::is_directory(executableFolder()));
    const auto file = settingsFilePath();
    EXPECT_NE(file.wstring().find(L"Quorvelle\\Tallyframe\\settings.ini"), std::wstring::npos) << file.string();
    EXPECT_FALSE(defaultCaptureFolder().empty());
}

}  // namespace
}  // namespace tf
