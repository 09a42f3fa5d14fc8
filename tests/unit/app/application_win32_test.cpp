// The application object: windows made with it reach it (their controls
// through their parent), other windows do not, and two applications keep
// their state apart, which no process-wide value could.
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

constexpr wchar_t kProbeClass[] = L"TallyframeApplicationProbe";

// What the probe window saw of its application while it was being created.
Application* seenAtCreate = nullptr;

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) attachApplication(window, lParam);
    if (message == WM_CREATE) seenAtCreate = applicationOf(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeProbe(Application* app) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kProbeClass;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    return CreateWindowExW(0, kProbeClass, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleW(nullptr),
                           app);
}

TEST(Application, WindowsMadeWithItReachItAndOtherWindowsDoNot) {
    Application app(GetModuleHandleW(nullptr));
    seenAtCreate = nullptr;
    HWND window = makeProbe(&app);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(seenAtCreate, &app);  // already in WM_CREATE, where the controls are made
    EXPECT_EQ(applicationOf(window), &app);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, window, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(applicationOfControl(child), &app);

    HWND other = makeProbe(nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(applicationOf(other), nullptr);
    EXPECT_EQ(applicationOf(nullptr), nullptr);
    EXPECT_EQ(applicationOfControl(nullptr), nullptr);
    DestroyWindow(other);
    DestroyWindow(window);
}

TEST(Application, TwoApplicationsKeepTheirOwnState) {
    Application english(GetModuleHandleW(nullptr)), chinese(GetModuleHandleW(nullptr));
    english.settings.language = UiLanguage::English;
    english.settings.captureHotkey = HotkeyChord{};
    english.settings.openAfterCapture = false;
    chinese.settings.language = UiLanguage::ChineseSimplified;

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
