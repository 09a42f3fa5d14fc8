// The application object: two applications keep their state apart, which no
// process-wide value could.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/settings/hotkey_chord.h"
#include "shell/app/application_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/page_driver_win32.h"
#include "core/ui/setting_switches.h"

namespace tf {
namespace {

TEST(Application, TwoApplicationsKeepTheirOwnState) {
    Application english(GetModuleHandleW(nullptr)), chinese(GetModuleHandleW(nullptr));
    Settings englishSettings = english.settings, chineseSettings = chinese.settings;
    englishSettings.language = UiLanguage::English;
    englishSettings.captureHotkey = HotkeyChord{};
    englishSettings.openAfterCapture = false;
    chineseSettings.language = UiLanguage::ChineseSimplified;
    changeSettings(english, englishSettings);
    changeSettings(chinese, chineseSettings);

    struct Case {
        const Application& app;
        const wchar_t* startLabel;
        std::wstring hotkeyText;
        bool openAfter;
    } cases[] = {
        {english, L"Start long screenshot", L"None", false},
        {chinese, L"开始截长图", formatHotkeyChord(defaultCaptureHotkey()), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(controlLabel(c.app, ControlId::StartCapture), c.startLabel);
        EXPECT_EQ(hotkeyControlText(c.app), c.hotkeyText);
        EXPECT_EQ(switchIsOn(c.app.settings, ControlId::OpenAfterCapture), c.openAfter);
    }

    // Pages move along the transition table, each application on its own.
    setUiState(english, UiState::Selecting);
    setUiState(chinese, UiState::Result);  // not allowed from Home
    EXPECT_EQ(currentUiState(english), UiState::Selecting);
    EXPECT_EQ(currentUiState(chinese), UiState::Home);
    setUiState(chinese, UiState::SettingsGeneral);
    EXPECT_EQ(currentUiState(chinese), UiState::SettingsGeneral);
    EXPECT_EQ(settingsReturnState(chinese), UiState::Home);
    EXPECT_EQ(currentUiState(english), UiState::Selecting);
}

}  // namespace
}  // namespace tf
