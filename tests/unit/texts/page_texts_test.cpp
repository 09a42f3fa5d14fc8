#include "core/texts/page_texts.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/texts/automation_names.h"

namespace {

TEST(PageTexts, FileNameAndFolderSplitAtTheLastSeparator) {
    struct Case {
        const wchar_t* path;
        const wchar_t* file;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Users\\me\\Desktop\\tallyframe-20260101-101500.png", L"tallyframe-20260101-101500.png", L"C:\\Users\\me\\Desktop"},
        {L"C:/shots/a.png", L"a.png", L"C:/shots"},
        {L"C:\\mixed/dir\\b.png", L"b.png", L"C:\\mixed/dir"},
        {L"D:\\doubled\\\\c.png", L"c.png", L"D:\\doubled"},  // trailing separators of the folder go
        {L"plain.png", L"plain.png", L""},
        {L"C:\\folder\\", L"", L"C:\\folder"},
        {L"", L"", L""},
        {L"\\\\server\\share\\with, comma and space.png", L"with, comma and space.png", L"\\\\server\\share"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tf::fileNameOf(c.path), c.file) << c.path;
        EXPECT_EQ(tf::parentFolderOf(c.path), c.folder) << c.path;
    }
}

TEST(PageTexts, StatisticsLineShowsSizeFramesAndTheSummedTime) {
    EXPECT_EQ(tf::resultStatisticsLine(1280, 5400, 7, 200, true), L"1280 \u00D7 5400 px  \u00B7  7 frames  \u00B7  200 ms");
    EXPECT_EQ(tf::resultStatisticsLine(1280, 5400, 7, 200, false), L"1280 \u00D7 5400 px  \u00B7  拼接 7 帧  \u00B7  200 ms");
    const std::wstring huge = tf::resultStatisticsLine(UINT64_MAX, UINT64_MAX, UINT32_MAX, UINT64_MAX, true);
    EXPECT_LE(huge.size(), tf::kStatisticsBufferChars - 1);
    EXPECT_EQ(huge.substr(0, 20), L"18446744073709551615");
    EXPECT_NE(huge.find(L"4294967295 frames"), std::wstring::npos);
}

TEST(AutomationNames, IdsAreStableAndNamesFollowTheLanguage) {
    using tf::ControlId;
    using tf::UiLanguage;
    using tf::UiState;
    EXPECT_EQ(tf::automationIdFor(ControlId::Settings, UiState::Home), L"SettingsButton");
    EXPECT_EQ(tf::automationIdFor(ControlId::Settings, UiState::Result), L"SettingsButton");
    for (UiState s : {UiState::SettingsGeneral, UiState::SettingsHelp, UiState::SettingsAbout}) {
        EXPECT_EQ(tf::automationIdFor(ControlId::Settings, s), L"BackButton");
        EXPECT_EQ(tf::automationIdFor(ControlId::StartCapture, s), L"StartCaptureButton");  // only the Settings button changes
    }
    EXPECT_EQ(tf::automationIdFor(ControlId::CloseSettings, UiState::Home), L"CloseSettingsButton");
    EXPECT_EQ(tf::automationIdFor(ControlId::PublisherSite, UiState::Home), L"QuorvelleHomeButton");
    EXPECT_EQ(tf::automationIdFor(ControlId::None, UiState::Home), L"TallyframeControl");
    EXPECT_EQ(tf::automationIdFor(ControlId::CopyImage, UiState::Result), L"CopyImageButton");
    EXPECT_EQ(tf::automationIdFor(ControlId::Review, UiState::Result), L"ReviewButton");
    EXPECT_EQ(tf::automationNameFor(ControlId::Review, UiLanguage::English), L"Review");
    EXPECT_EQ(tf::automationNameFor(ControlId::Review, UiLanguage::ChineseSimplified), L"查看");
    EXPECT_EQ(tf::automationIdFor(ControlId::CopyAfterCapture, UiState::SettingsGeneral), L"CopyAfterCaptureToggle");
    EXPECT_EQ(tf::automationIdFor(ControlId::CaptureHotkey, UiState::SettingsGeneral), L"CaptureHotkeyButton");
    EXPECT_EQ(tf::automationNameFor(ControlId::CopyImage, UiLanguage::ChineseSimplified), L"复制图片");
    EXPECT_EQ(tf::automationNameFor(ControlId::CopyAfterCapture, UiLanguage::English),
              L"Copy the image after capturing");
    EXPECT_EQ(tf::automationIdFor(ControlId::CaptureFolderBox, UiState::Home), L"TallyframeControl");
    EXPECT_EQ(tf::automationNameFor(ControlId::Minimize, UiLanguage::English), L"Minimize");
    EXPECT_EQ(tf::automationNameFor(ControlId::Minimize, UiLanguage::ChineseSimplified), L"最小化");
    EXPECT_EQ(tf::automationNameFor(static_cast<ControlId>(-3), UiLanguage::English), L"Tallyframe control");
    EXPECT_EQ(tf::automationNameFor(static_cast<ControlId>(-3), UiLanguage::ChineseSimplified), L"塔利帧控件");
    // Every id with a name ends its automation id in one of the three words.
    for (int n = 0; n <= 50; ++n) {
        const auto id = static_cast<ControlId>(n);
        const std::wstring_view a = tf::automationIdFor(id, UiState::Home);
        const bool ok = a.ends_with(L"Button") || a.ends_with(L"Toggle") || a.ends_with(L"NavigationItem") ||
                        a == L"TallyframeControl";
        EXPECT_TRUE(ok) << n;
        EXPECT_EQ(tf::isSwitchControl(id), a.ends_with(L"Toggle")) << n;
    }
}

}  // namespace
