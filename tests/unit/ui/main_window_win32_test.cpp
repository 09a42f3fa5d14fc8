// The real main window and settings window in-process: page switches, the
// result page from a posted stitch result, refusing to close while saving,
// the settings window's modality, switches, navigation and language, and the
// update check's posted record and message.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "shell/app/control_table_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/clipboard/image_clipboard_win32.h"
#include "core/image/png_codec.h"
#include "core/settings/hotkey_chord.h"
#include "core/texts/texts.h"
#include "test_support.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/page_driver_win32.h"
#include "core/stitch/stitch_job.h"
#include "core/texts/bilingual.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/settings_window_win32.h"
#include "shell/update/update_check_win32.h"
#include "ui_test_support_win32.h"

namespace {

using tf::controlSlot;
using tf::ControlId;
using tf::idNumber;
using tf::UiState;

RECT windowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

class MainWindow : public tf::test::MainWindowFixture {
protected:
    bool visible(ControlId id) {
        HWND w = controlSlot(app(), id);
        return w != nullptr && (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
    }

    void postStitchResult(bool succeeded,
                          const std::wstring& path = L"C:\\Users\\me\\Desktop\\tallyframe-20260101-101500.png") {
        auto result = std::make_unique<tf::StitchResult>();
        result->succeeded = succeeded;
        result->savedPath = path;
        result->frameCount = 7;
        result->imageWidth = 1280;
        result->imageHeight = 5400;
        result->stitchMs = 120;
        result->saveMs = 80;
        ASSERT_TRUE(PostMessageW(app().main.window(), tf::WM_APP_STITCH_DONE, 0, reinterpret_cast<LPARAM>(result.get())));
        result.release();
        pump(300);
    }
};

TEST_F(MainWindow, HomePageShowsStartAndSettingsOnly) {
    EXPECT_EQ(tf::currentUiState(app()), UiState::Home);
    EXPECT_TRUE(visible(ControlId::StartCapture));
    EXPECT_TRUE(visible(ControlId::Settings));
    for (ControlId id : {ControlId::OpenImage, ControlId::CaptureAnother, ControlId::OpenFolder, ControlId::GeneralNavigation, ControlId::HelpNavigation, ControlId::AboutNavigation, ControlId::ChooseFolder, ControlId::Language, ControlId::OpenAfterCapture, ControlId::CaptureLogging, ControlId::ProductHome, ControlId::ProductSite, ControlId::Feedback, ControlId::CheckUpdates, ControlId::PublisherSite, ControlId::AboutProduct}) EXPECT_FALSE(visible(id)) << idNumber(id);
    wchar_t title[64] = {};
    GetWindowTextW(app().main.window(), title, 64);
    EXPECT_EQ(std::wstring(title), tf::englishUi(app().settings.language) ? L"Tallyframe" : L"塔利帧");
    tf::test::saveWindowShot(app().main.window(), tf::englishUi(app().settings.language) ? "main-home-en" : "main-home-zh");
}

TEST_F(MainWindow, SwitchesOutsideTheTableChangeNothing) {
    const RECT before = windowRect(app().main.window());
    tf::setUiState(app(), UiState::Result);
    tf::setUiState(app(), UiState::SettingsHelp);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Home);
    const RECT after = windowRect(app().main.window());
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MainWindow, ASuccessfulStitchShowsTheResultPageInBothLanguages) {
    for (tf::UiLanguage language : {tf::UiLanguage::English, tf::UiLanguage::ChineseSimplified}) {
        tf::test::useLanguage(app(), language);
        tf::setUiState(app(), UiState::Selecting);
        tf::setUiState(app(), UiState::Capturing);
        tf::setUiState(app(), UiState::Saving);
        app().save.stageInProgressForTests(true);
        postStitchResult(true);
        EXPECT_FALSE(app().save.inProgress());
        EXPECT_EQ(tf::currentUiState(app()), UiState::Result);
        EXPECT_EQ(app().save.savedImagePath(), L"C:\\Users\\me\\Desktop\\tallyframe-20260101-101500.png");
        EXPECT_EQ(app().save.lastCaptureStats().frameCount, 7u);
        EXPECT_EQ(app().save.lastCaptureStats().height, 5400u);
        EXPECT_TRUE(visible(ControlId::OpenImage));
        EXPECT_TRUE(visible(ControlId::CaptureAnother));
        EXPECT_TRUE(visible(ControlId::OpenFolder));
        EXPECT_FALSE(visible(ControlId::StartCapture));
        EXPECT_TRUE(visible(ControlId::Settings));
        EXPECT_TRUE(IsWindowEnabled(controlSlot(app(), ControlId::StartCapture)));
        // The result page is larger than the home page (660 x 450 DIPs).
        const RECT r = windowRect(app().main.window());
        const UINT dpi = tf::windowDpi(app().main.window());
        EXPECT_EQ(r.right - r.left, MulDiv(660, dpi, 96));
        EXPECT_EQ(r.bottom - r.top, MulDiv(450, dpi, 96));
        tf::test::saveWindowShot(app().main.window(), language == tf::UiLanguage::English ? "main-result-en" : "main-result-zh");
        // A new capture may start from here.
        tf::setUiState(app(), UiState::Selecting);
        EXPECT_EQ(tf::currentUiState(app()), UiState::Selecting);
        tf::setUiState(app(), UiState::Home);
    }
}

TEST_F(MainWindow, AFailedStitchGoesToFailedWithTheErrorMessage) {
    tf::test::useLanguage(app(), tf::UiLanguage::English);
    tf::setUiState(app(), UiState::Selecting);
    tf::setUiState(app(), UiState::Capturing);
    tf::setUiState(app(), UiState::Saving);
    app().save.stageInProgressForTests(true);
    tf::test::MessageBoxWatcher boxes;
    postStitchResult(false);
    pump(400);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Failed);
    EXPECT_FALSE(app().save.inProgress());
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0], L"The image could not be stitched or saved. Select the area and try again.");
    EXPECT_TRUE(visible(ControlId::StartCapture));  // home page again
    EXPECT_FALSE(visible(ControlId::OpenImage));
}

TEST_F(MainWindow, ANullStitchRecordCountsAsFailure) {
    tf::test::useLanguage(app(), tf::UiLanguage::ChineseSimplified);
    tf::setUiState(app(), UiState::Selecting);
    tf::test::MessageBoxWatcher boxes;
    PostMessageW(app().main.window(), tf::WM_APP_STITCH_DONE, 0, 0);
    pump(500);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Failed);
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0], L"拼接或保存图片时发生错误，请重新选择区域后再试。");
}

TEST_F(MainWindow, CloseIsRefusedWhileSavingAndAllowedAfterwards) {
    tf::test::useLanguage(app(), tf::UiLanguage::English);
    app().save.stageInProgressForTests(true);
    {
        tf::test::MessageBoxWatcher boxes;
        PostMessageW(app().main.window(), WM_CLOSE, 0, 0);
        pump(400);
        ASSERT_NE(app().main.window(), nullptr);
        EXPECT_TRUE(IsWindow(app().main.window()));
        ASSERT_EQ(boxes.texts().size(), 1u);
        EXPECT_EQ(boxes.texts()[0], L"The image is being stitched and saved. Wait for it to finish.");
    }
    app().save.stageInProgressForTests(false);
    HWND window = app().main.window();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app().main.window(), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop would end
}

TEST_F(MainWindow, StartAndCaptureAnotherAreIgnoredWhileSaving) {
    app().save.stageInProgressForTests(true);
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::StartCapture), 0);
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::CaptureAnother), 0);
    SendMessageW(app().main.window(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Home);
    EXPECT_EQ(app().capture.overlayWindow, nullptr);
    // Commands that need a saved image do nothing without one.
    app().save.stageInProgressForTests(false);
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::OpenImage), 0);
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::OpenFolder), 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Home);
}

TEST_F(MainWindow, SettingsWindowIsModalSavesSwitchesAndReturnsFocus) {
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);
    ASSERT_NE(app().settingsWindow.handle(), nullptr);
    HWND first = app().settingsWindow.handle();
    EXPECT_FALSE(IsWindowEnabled(app().main.window()));
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);  // a second request brings the same window up
    EXPECT_EQ(app().settingsWindow.handle(), first);
    wchar_t cls[64] = {};
    GetClassNameW(first, cls, 64);
    EXPECT_EQ(std::wstring(cls), L"TallyframeSettings");
    EXPECT_EQ(GetWindow(first, GW_OWNER), app().main.window());
    for (ControlId id : {ControlId::CaptureFolderBox, ControlId::ChooseFolder, ControlId::Language, ControlId::OpenAfterCapture, ControlId::CaptureLogging, ControlId::Feedback}) {
        ASSERT_NE(controlSlot(app(), id), nullptr) << idNumber(id);
        EXPECT_EQ(GetParent(controlSlot(app(), id)), first) << idNumber(id);
    }
    EXPECT_EQ(app().main.controls().languageButton, controlSlot(app(), ControlId::Language));

    const bool openAfter = app().settings.openAfterCapture, logging = app().settings.captureLoggingEnabled;
    SendMessageW(first, WM_COMMAND, idNumber(ControlId::OpenAfterCapture), 0);
    SendMessageW(first, WM_COMMAND, idNumber(ControlId::CaptureLogging), 0);
    EXPECT_EQ(app().settings.openAfterCapture, !openAfter);
    EXPECT_EQ(app().settings.captureLoggingEnabled, !logging);

    tf::test::saveWindowShot(first, tf::englishUi(app().settings.language) ? "settings-general-en" : "settings-general-zh");
    SendMessageW(first, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app().settingsWindow.handle(), nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindowEnabled(app().main.window()));
    // The slots it borrowed hold the main window's hidden controls again; the
    // folder box, which the main window has none of, stays empty.
    EXPECT_EQ(controlSlot(app(), ControlId::CaptureFolderBox), nullptr);
    for (ControlId id : {ControlId::ChooseFolder, ControlId::Language, ControlId::OpenAfterCapture, ControlId::CaptureLogging, ControlId::Feedback, ControlId::PublisherSite, ControlId::AboutProduct}) {
        ASSERT_NE(controlSlot(app(), id), nullptr) << idNumber(id);
        EXPECT_TRUE(IsWindow(controlSlot(app(), id))) << idNumber(id);
        EXPECT_EQ(GetParent(controlSlot(app(), id)), app().main.window()) << idNumber(id);
        EXPECT_EQ(controlSlot(app(), id), app().main.settingsPages().control(id)) << idNumber(id);
    }
    // The language menu opens below the main window's Language control again.
    EXPECT_EQ(app().main.controls().languageButton, controlSlot(app(), ControlId::Language));
    pump(200);  // WM_APP_SETTINGS_CLOSED and the focus timer
    EXPECT_TRUE(app().buttons.settingsFocusRingSuppressed());
    EXPECT_EQ(GetFocus(), app().main.window());
}

// Set by the timer below when the language menu was up while it fired.
bool languageMenuSeen = false;

void CALLBACK closeLanguageMenu(HWND, UINT, UINT_PTR, DWORD) {
    const HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu != nullptr && IsWindowVisible(menu)) {
        languageMenuSeen = true;
        EndMenu();
    }
}

TEST_F(MainWindow, TheInWindowLanguageCommandStillOpensItsMenuAfterTheSettingsWindowClosed) {
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);
    ASSERT_TRUE(app().settingsWindow.isOpen());
    SendMessageW(app().settingsWindow.handle(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(app().settingsWindow.isOpen());
    pump(100);
    const tf::UiLanguage before = app().settings.language;
    languageMenuSeen = false;
    // The menu runs a modal loop of its own; the timer fires inside it and closes it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, &closeLanguageMenu);
    ASSERT_NE(timer, 0u);
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Language), 0);
    pump(500);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(languageMenuSeen);
    EXPECT_EQ(app().settings.language, before);  // closed without a choice
}

TEST_F(MainWindow, CopyAfterCaptureOffersTheSavedFileAndShowsCopied) {
    tf::test::ScratchDir dir;
    const std::filesystem::path png = dir / "tallyframe-20260101-101500.png";
    tf::savePng(tf::test::makeDocumentPage(40, 30), png);
    tf::test::changeSettings(app(), [](tf::Settings& s) { s.copyAfterCapture = true; });
    tf::setUiState(app(), UiState::Selecting);
    tf::setUiState(app(), UiState::Capturing);
    tf::setUiState(app(), UiState::Saving);
    app().save.stageInProgressForTests(true);
    postStitchResult(true, png.wstring());
    ASSERT_EQ(tf::currentUiState(app()), UiState::Result);
    EXPECT_TRUE(visible(ControlId::CopyImage));
    EXPECT_TRUE(tf::copiedNoticeShown(app().copyAndHotkey));
    EXPECT_EQ(GetClipboardOwner(), app().main.window());
    EXPECT_TRUE(IsClipboardFormatAvailable(tf::pngClipboardFormat()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIBV5));
    tf::test::saveWindowShot(app().main.window(), tf::englishUi(app().settings.language) ? "main-result-copied-en" : "main-result-copied-zh");
    pump(2300);  // "Copied" lasts about two seconds
    EXPECT_FALSE(tf::copiedNoticeShown(app().copyAndHotkey));
}

TEST_F(MainWindow, EnterClicksTheFocusedButtonAndAFailedCopyIsReported) {
    tf::setUiState(app(), UiState::Selecting);
    tf::setUiState(app(), UiState::Capturing);
    tf::setUiState(app(), UiState::Saving);
    app().save.stageInProgressForTests(true);
    postStitchResult(true);  // a path that does not exist
    ASSERT_EQ(tf::currentUiState(app()), UiState::Result);
    tf::test::MessageBoxWatcher boxes;
    // Copy image has the focus: Enter copies (and fails: no such file) instead of opening the image.
    SetFocus(controlSlot(app(), ControlId::CopyImage));
    SendMessageW(app().main.window(), WM_KEYDOWN, VK_RETURN, 0);
    pump(400);
    const std::vector<std::wstring> texts = boxes.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], tf::tr(app().settings.language, tf::texts::copyFailedMessage));
    EXPECT_FALSE(tf::copiedNoticeShown(app().copyAndHotkey));
    // The gear has the focus: Enter opens the settings window.
    SetFocus(controlSlot(app(), ControlId::Settings));
    SendMessageW(app().main.window(), WM_KEYDOWN, VK_RETURN, 0);
    pump(100);
    EXPECT_NE(app().settingsWindow.handle(), nullptr);
}

TEST_F(MainWindow, AddedSettingsRowsSwitchAndRecordAChord) {
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);
    ASSERT_NE(app().settingsWindow.handle(), nullptr);
    HWND window = app().settingsWindow.handle();
    for (ControlId id : {ControlId::CopyAfterCapture, ControlId::CaptureHotkey}) {
        ASSERT_NE(controlSlot(app(), id), nullptr) << idNumber(id);
        EXPECT_EQ(GetParent(controlSlot(app(), id)), window) << idNumber(id);
        EXPECT_TRUE(visible(id)) << idNumber(id);
    }
    // Below the logging row, in table order.
    const RECT logging = windowRect(controlSlot(app(), ControlId::CaptureLogging));
    const RECT copyAfter = windowRect(controlSlot(app(), ControlId::CopyAfterCapture));
    const RECT chord = windowRect(controlSlot(app(), ControlId::CaptureHotkey));
    EXPECT_GT(copyAfter.top, logging.bottom);
    EXPECT_GT(chord.top, copyAfter.bottom);
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_LE(chord.bottom, client.bottom);  // the window grew to show them

    const bool copyAfterBefore = app().settings.copyAfterCapture;
    SendMessageW(window, WM_COMMAND, idNumber(ControlId::CopyAfterCapture), 0);
    EXPECT_EQ(app().settings.copyAfterCapture, !copyAfterBefore);

    const tf::HotkeyChord before = app().settings.captureHotkey;
    SendMessageW(window, WM_COMMAND, idNumber(ControlId::CaptureHotkey), 0);
    EXPECT_TRUE(tf::recordingHotkey(app().copyAndHotkey));
    EXPECT_EQ(tf::hotkeyControlText(app()), tf::tr(app().settings.language, tf::texts::hotkeyRecording));
    EXPECT_TRUE(tf::recordHotkeyKey(app(), WM_KEYDOWN, VK_ESCAPE));  // cancels
    EXPECT_FALSE(tf::recordingHotkey(app().copyAndHotkey));
    EXPECT_TRUE(app().settings.captureHotkey == before);
    EXPECT_TRUE(IsWindow(window));

    SendMessageW(window, WM_COMMAND, idNumber(ControlId::CaptureHotkey), 0);
    EXPECT_TRUE(tf::recordHotkeyKey(app(), WM_KEYDOWN, 'K'));  // a letter alone is no hotkey: still recording
    EXPECT_TRUE(tf::recordingHotkey(app().copyAndHotkey));
    EXPECT_TRUE(tf::recordHotkeyKey(app(), WM_KEYDOWN, VK_F9));
    EXPECT_FALSE(tf::recordingHotkey(app().copyAndHotkey));
    EXPECT_EQ(tf::formatHotkeyChord(app().settings.captureHotkey), L"F9");
    EXPECT_EQ(tf::lastHotkeyRegistration(app().copyAndHotkey), tf::HotkeyRegistration::Registered);
    EXPECT_EQ(tf::hotkeyControlText(app()), L"F9");

    SendMessageW(window, WM_COMMAND, idNumber(ControlId::CaptureHotkey), 0);
    EXPECT_TRUE(tf::recordHotkeyKey(app(), WM_KEYDOWN, VK_BACK));  // clears
    EXPECT_TRUE(app().settings.captureHotkey.empty());
    EXPECT_EQ(tf::hotkeyControlText(app()), tf::tr(app().settings.language, tf::texts::hotkeyNone));

    // A chord another window holds: reported, and the previous one stays.
    ASSERT_TRUE(RegisterHotKey(window, 77, MOD_CONTROL | MOD_ALT, VK_F8));
    EXPECT_EQ(tf::changeCaptureHotkey(app(), tf::HotkeyChord{tf::hotkey_modifiers::kControl | tf::hotkey_modifiers::kAlt, VK_F8}),
              tf::HotkeyRegistration::InUse);
    EXPECT_TRUE(app().settings.captureHotkey.empty());
    UnregisterHotKey(window, 77);
    tf::test::saveWindowShot(window, tf::englishUi(app().settings.language) ? "settings-hotkey-in-use-en" : "settings-hotkey-in-use-zh");
    tf::changeCaptureHotkey(app(), before);
}

TEST_F(MainWindow, SettingsNavigationKeepsTheMainWindowAsItWas) {
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);
    ASSERT_NE(app().settingsWindow.handle(), nullptr);
    const RECT before = windowRect(app().main.window());
    SendMessageW(app().settingsWindow.handle(), WM_COMMAND, idNumber(ControlId::HelpNavigation), 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::SettingsHelp);
    EXPECT_FALSE(visible(ControlId::CaptureFolderBox));  // the general controls hide on the help page
    tf::test::saveWindowShot(app().settingsWindow.handle(), tf::englishUi(app().settings.language) ? "settings-help-en" : "settings-help-zh");
    SendMessageW(app().settingsWindow.handle(), WM_COMMAND, idNumber(ControlId::AboutNavigation), 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::SettingsAbout);
    tf::test::saveWindowShot(app().settingsWindow.handle(), tf::englishUi(app().settings.language) ? "settings-about-en" : "settings-about-zh");
    const RECT during = windowRect(app().main.window());
    EXPECT_TRUE(EqualRect(&before, &during));
    EXPECT_TRUE(visible(ControlId::StartCapture));  // the home page stays behind the settings window
    SendMessageW(app().settingsWindow.handle(), WM_COMMAND, idNumber(ControlId::GeneralNavigation), 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::SettingsGeneral);
    EXPECT_TRUE(visible(ControlId::CaptureFolderBox));
    SendMessageW(app().settingsWindow.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(tf::currentUiState(app()), UiState::Home);
    const RECT after = windowRect(app().main.window());
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MainWindow, ApplyLanguageRetitlesBothWindowsAndRelabels) {
    SendMessageW(app().main.window(), WM_COMMAND, idNumber(ControlId::Settings), 0);
    ASSERT_NE(app().settingsWindow.handle(), nullptr);
    auto text = [](HWND w) {
        wchar_t buffer[128] = {};
        GetWindowTextW(w, buffer, 128);
        return std::wstring(buffer);
    };
    tf::test::useLanguage(app(), tf::UiLanguage::English);
    EXPECT_EQ(text(app().main.window()), L"Tallyframe");
    EXPECT_EQ(text(app().settingsWindow.handle()), L"Tallyframe - Settings");
    EXPECT_EQ(text(controlSlot(app(), ControlId::StartCapture)), L"Start long screenshot");
    EXPECT_EQ(text(controlSlot(app(), ControlId::OpenAfterCapture)), L"Open image after completion");
    EXPECT_EQ(text(controlSlot(app(), ControlId::Feedback)), L"Feedback");
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = app().main.window();
    tool.uId = reinterpret_cast<UINT_PTR>(controlSlot(app(), ControlId::Settings));
    wchar_t tip[80] = {};
    tool.lpszText = tip;
    SendMessageW(app().main.controls().mainTooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(tip), L"Settings");
    tf::test::useLanguage(app(), tf::UiLanguage::ChineseSimplified);
    EXPECT_EQ(text(app().main.window()), L"塔利帧");
    EXPECT_EQ(text(app().settingsWindow.handle()), L"塔利帧 - 设置");
    EXPECT_EQ(text(controlSlot(app(), ControlId::OpenFolder)), L"打开所在文件夹");
    EXPECT_EQ(text(controlSlot(app(), ControlId::Language)), L"界面语言：简体中文");
    SendMessageW(app().main.controls().mainTooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(tip), L"设置");
}

TEST_F(MainWindow, SettingsPageWheelScrollingStaysInItsLimits) {
    tf::setUiState(app(), UiState::SettingsGeneral);  // the in-window page (hidden controls)
    RECT client{};
    GetClientRect(app().main.window(), &client);
    const int limit = std::max(0, 460 - static_cast<int>(std::lround(client.bottom * 96.0 / tf::windowDpi(app().main.window()))));
    for (int i = 0; i < 20; ++i) SendMessageW(app().main.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(app().main.settingsPages().scroll(), limit);
    for (int i = 0; i < 20; ++i) SendMessageW(app().main.window(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(app().main.settingsPages().scroll(), 0);
    tf::setUiState(app(), UiState::Home);
}

// A port nobody listens on: the request fails at once, as when offline.
tf::UpdateEndpoint unreachable() {
    tf::UpdateEndpoint e;
    e.host = L"127.0.0.1";
    e.port = 9;
    e.secure = false;
    return e;
}

TEST_F(MainWindow, AnOfflineUpdateCheckPostsExactlyOneRecordWithoutATag) {
    HWND target = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    std::string body = "untouched";
    EXPECT_FALSE(tf::fetchReleaseBody(unreachable(), body));
    EXPECT_TRUE(body.empty());
    ASSERT_TRUE(tf::runUpdateCheckAgainst(unreachable(), target, tf::WM_APP_UPDATE_RESULT));
    int records = 0;
    MSG msg;
    while (PeekMessageW(&msg, target, tf::WM_APP_UPDATE_RESULT, tf::WM_APP_UPDATE_RESULT, PM_REMOVE)) {
        ++records;
        std::unique_ptr<tf::UpdateCheckResult> r(reinterpret_cast<tf::UpdateCheckResult*>(msg.lParam));
        ASSERT_NE(r, nullptr);
        EXPECT_FALSE(r->tagFound);
        EXPECT_FALSE(r->newerAvailable);
        EXPECT_TRUE(r->versionText.empty());
    }
    EXPECT_EQ(records, 1);
    DestroyWindow(target);
    // With no window to post to, the record is freed by the checker.
    EXPECT_FALSE(tf::runUpdateCheckAgainst(unreachable(), nullptr, tf::WM_APP_UPDATE_RESULT));
}

TEST_F(MainWindow, AFailedCheckIsReportedAsCouldNotBeChecked) {
    for (tf::UiLanguage language : {tf::UiLanguage::English, tf::UiLanguage::ChineseSimplified}) {
        tf::test::useLanguage(app(), language);
        tf::test::MessageBoxWatcher boxes;
        ASSERT_TRUE(tf::runUpdateCheckAgainst(unreachable(), app().main.window(), tf::WM_APP_UPDATE_RESULT));
        pump(500);
        ASSERT_EQ(boxes.texts().size(), 1u);
        EXPECT_EQ(boxes.texts()[0], language == tf::UiLanguage::English ? L"Updates could not be checked. Try again later."
                                                                         : L"暂时无法检查更新，请稍后重试。");
    }
}

TEST_F(MainWindow, UpdateResultsArePromptedOrReported) {
    tf::test::useLanguage(app(), tf::UiLanguage::English);
    auto post = [this](bool tag, bool newer, const wchar_t* version) {
        auto r = std::make_unique<tf::UpdateCheckResult>();
        r->tagFound = tag;
        r->newerAvailable = newer;
        r->versionText = version;
        PostMessageW(app().main.window(), tf::WM_APP_UPDATE_RESULT, 0, reinterpret_cast<LPARAM>(r.release()));
        pump(500);
    };
    tf::test::MessageBoxWatcher boxes;
    post(true, true, L"v1.2.0");   // answered No by the watcher: nothing opened
    post(true, false, L"v1.0.0");
    PostMessageW(app().main.window(), tf::WM_APP_UPDATE_RESULT, 0, 0);  // ignored
    pump(200);
    const auto texts = boxes.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Version v1.2.0 is available. Open the download page?");
    EXPECT_EQ(texts[1], L"Tallyframe is up to date.");
}

}  // namespace

namespace {

class MainWindowDpi : public tf::test::MainWindowFixture {};

TEST_F(MainWindowDpi, ADpiChangeEmptiesTheIconCacheAndTakesTheSuggestedRectangle) {
    pump(200);
    RedrawWindow(app().main.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_GT(tf::iconCacheSize(), 0u);  // the gear and the selection mark were drawn
    RECT suggested{100, 100, 100 + 775, 100 + 475};
    SendMessageW(app().main.window(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(tf::iconCacheSize(), 0u);
    const RECT now = windowRect(app().main.window());
    EXPECT_EQ(now.left, 100);
    EXPECT_EQ(now.right - now.left, 775);
}

}  // namespace
