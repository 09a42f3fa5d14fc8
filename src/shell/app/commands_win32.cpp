#include "shell/app/commands_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>

#include "shell/app/app_messages_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/app/review_hook_win32.h"
#include "shell/app/settings_pages_win32.h"
#include "shell/pickers/pickers_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "shell/save/save_session_win32.h"
#include "core/ui/setting_switches.h"

namespace tf {
namespace {

void openWithShell(const Application& app, const wchar_t* target, const wchar_t* parameters = nullptr) {
    tf::openWithShell(app.main.window(), target, parameters);
}

}  // namespace

void openWithShell(HWND owner, const wchar_t* target, const wchar_t* parameters) {
    ShellExecuteW(owner, L"open", target, parameters, nullptr, SW_SHOWNORMAL);
}

void openSavedImage(const Application& app) {
    if (!app.save.savedImagePath().empty()) openWithShell(app, app.save.savedImagePath().c_str());
}

void flipSwitchSetting(Application& app, ControlId id) {
    Settings changed = app.settings;
    if (flipSwitch(changed, id)) changeSettings(app, changed);
}

void changeSettings(Application& app, const Settings& changed) {
    const Settings before = app.settings;
    const HotkeyChord chord = changed.captureHotkey;
    const bool newHotkey = !(chord == before.captureHotkey);
    app.settings = changed;
    // A registered hotkey changes only when the new chord can be had; before
    // the window registers one, the setting is what it will register.
    if (newHotkey && app.copyAndHotkey.captureHotkey) app.settings.captureHotkey = before.captureHotkey;
    // A failed save is not reported: the settings hold for the rest of the run.
    saveSettings(app.settings);
    if (newHotkey && app.copyAndHotkey.captureHotkey) changeCaptureHotkey(app, chord);
    for (int32_t n = 1; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        if (switchIsOn(before, id) == switchIsOn(app.settings, id)) continue;
        if (HWND s = controlSlot(app, id)) InvalidateRect(s, nullptr, TRUE);
    }
    if (changed.language != before.language) applyLanguage(app);
}

void applyLanguage(Application& app) {
    const UiLanguage lang = app.settings.language;
    const HWND mainWindow = app.main.window();
    if (mainWindow != nullptr) SetWindowTextW(mainWindow, tr(lang, texts::productName));
    for (int32_t n = 1; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        HWND c = controlSlot(app, id);
        if (c != nullptr && id != ControlId::CaptureFolderBox && GetParent(c) == mainWindow) {
            SetWindowTextW(c, controlLabel(app, id).c_str());
        }
    }
    // Also the hidden controls whose slots the settings window holds now.
    app.main.settingsPages().applyLanguage(app);
    app.settingsWindow.applyLanguage();
    setSettingsTooltip(app, mainWindow, true);
    if (mainWindow != nullptr) {
        layoutMainWindowControls(app);
        RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void runEnterKey(Application& app) {
    if (app.save.inProgress()) return;
    // A focused working button does what it says; otherwise the page's action.
    if (HWND focused = GetFocus(); focused != nullptr && GetParent(focused) == app.main.window() &&
                                   IsWindowVisible(focused) && IsWindowEnabled(focused)) {
        SendMessageW(focused, BM_CLICK, 0, 0);
        return;
    }
    const UiState s = currentUiState(app);
    if (s == UiState::Home) beginSelection(app.capture);
    else if (s == UiState::Result && !app.save.savedImagePath().empty()) openSavedImage(app);
}

void runMainCommand(Application& app, HWND window, ControlId command) {
    const std::wstring& savedImagePath = app.save.savedImagePath();
    switch (command) {
        case ControlId::StartCapture:
        case ControlId::CaptureAnother:
            if (!app.save.inProgress()) beginSelection(app.capture);
            break;
        case ControlId::OpenImage: openSavedImage(app); break;
        case ControlId::CopyImage: copySavedImage(app); break;
        case ControlId::Review: openReview(app); break;
        case ControlId::Settings:
            if (isHomeLike(currentUiState(app))) {
                app.buttons.suppressSettingsFocusRing(false);
                app.settingsWindow.open(app.main.window());
            }
            break;
        case ControlId::OpenFolder:
            if (!savedImagePath.empty()) {
                const std::wstring parameters = L"/select,\"" + savedImagePath + L"\"";
                openWithShell(app, L"explorer.exe", parameters.c_str());
            }
            break;
        default: InWindowSettingsPages::runCommand(app, window, command); break;
    }
}

void runSharedSettingCommand(Application& app, HWND window, ControlId command) {
    const bool inSettingsWindow = app.settingsWindow.isOpen() && window == app.settingsWindow.handle();
    switch (command) {
        case ControlId::ChooseFolder:
            if (!chooseCaptureFolder(app.settings, window)) break;
            // The settings window shows the folder in a box of its own.
            if (inSettingsWindow) app.settingsWindow.showCaptureFolder();
            InvalidateRect(window, nullptr, inSettingsWindow);
            break;
        case ControlId::Language:
            if (!chooseLanguage(app.settings, app.main.controls().languageButton, window)) break;
            applyLanguage(app);
            if (inSettingsWindow) app.settingsWindow.layout();
            else layoutMainWindowControls(app);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        case ControlId::SplitTallImages:
            if (chooseSplitHeight(app.settings, GetDlgItem(window, idNumber(command)), window))
                InvalidateRect(window, nullptr, TRUE);
            break;
        case ControlId::Feedback: openWithShell(window, kFeedbackFormUrl); break;
        default: break;
    }
}

namespace {

constexpr UINT kSavingAnimationMs = 80;

// The main window and the overlay show the save that runs.
class SaveShownByWindows final : public SaveWatcher {
public:
    explicit SaveShownByWindows(Application& app) : app_(app) {}
    void savingStarted() override {
        const HWND mainWindow = app_.main.window();
        if (mainWindow != nullptr) {
            EnableWindow(controlSlot(app_, ControlId::StartCapture), FALSE);
            ShowWindow(controlSlot(app_, ControlId::OpenImage), SW_HIDE);
            ShowWindow(controlSlot(app_, ControlId::CaptureAnother), SW_HIDE);
            InvalidateRect(mainWindow, nullptr, FALSE);
        }
        setUiState(app_, UiState::Saving);
        if (app_.capture.overlayWindow != nullptr) redrawOverlay(app_.capture);
        if (mainWindow != nullptr) {
            SetTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation), kSavingAnimationMs, nullptr);
        }
    }
    void savingFailedToStart() override {
        if (app_.main.window() != nullptr) {
            stopSavingAnimation();
            EnableWindow(controlSlot(app_, ControlId::StartCapture), TRUE);
        }
        failCaptureAndShowMain(app_);
    }
    bool savingStageShown() const override {
        return app_.capture.overlayWindow != nullptr && currentUiState(app_) == UiState::Saving;
    }
    void showSavingStage(bool last) override {
        redrawOverlay(app_.capture);
        if (last) stopSavingAnimation();
    }
    void stopSavingAnimation() override {
        KillTimer(app_.main.window(), static_cast<UINT_PTR>(TimerId::SavingAnimation));
    }
    void savingEnded(const StitchResult* result) override {
        stopSavingAnimation();
        closeOverlay(app_.capture);
        if (HWND start = controlSlot(app_, ControlId::StartCapture)) EnableWindow(start, TRUE);
        if (result == nullptr) {
            failCaptureAndShowMain(app_, tr(app_.settings.language, texts::stitchFailedMessage), MB_ICONERROR);
            return;
        }
        setUiState(app_, UiState::Result);
        showAndActivateMain(app_);
        // The file is written by now; the clipboard only ever gets a copy of it.
        if (app_.settings.copyAfterCapture) copySavedImage(app_);
        if (app_.settings.openAfterCapture) openSavedImage(app_);
        keepCaptureForReview(app_, *result);
    }

private:
    Application& app_;
};

}  // namespace

void saveCapture(Application& app, CapturedStitch capture) {
    const Settings& settings = app.settings;
    std::wstring folder = !settings.captureFolder.empty() ? settings.captureFolder : defaultCaptureFolder();
    SaveShownByWindows watcher(app);
    app.save.start(std::move(capture), std::move(folder), settings.splitHeightPx,
                   {app.main.window(), WM_APP_STITCH_DONE, WM_APP_OVERLAY_REDRAW}, watcher);
}

void handleStitchDone(Application& app, StitchResult* raw) {
    SaveShownByWindows watcher(app);
    app.save.finish(std::unique_ptr<StitchResult>(raw), watcher);
}

void onSavingTimer(Application& app) {
    SaveShownByWindows watcher(app);
    app.save.onAnimationTick(GetTickCount64(), app.main.reducedMotion(), watcher);
}

void handleUpdateResult(const Application& app, UpdateCheckResult* raw) {
    if (raw == nullptr) return;
    std::unique_ptr<UpdateCheckResult> result(raw);
    const UiLanguage lang = app.settings.language;
    const UiState s = currentUiState(app);
    const bool busy = s == UiState::Selecting || s == UiState::Capturing || s == UiState::Saving;
    HWND owner = app.settingsWindow.isOpen() ? app.settingsWindow.handle() : app.main.window();
    if (result->tagFound && result->newerAvailable && !busy) {
        const std::wstring text =
            std::wstring(tr(lang, texts::updatePromptBefore)) + result->versionText + tr(lang, texts::updatePromptAfter);
        if (MessageBoxW(owner, text.c_str(), tr(lang, texts::updatePromptTitle), MB_YESNO | MB_ICONINFORMATION) ==
            IDYES) {
            openWithShell(app, kReleasePageUrl);
        }
        return;
    }
    const wchar_t* title = tr(lang, texts::updateCheckTitle);
    if (result->tagFound) {
        MessageBoxW(owner, tr(lang, texts::upToDateMessage), title, MB_ICONINFORMATION);
    } else {
        MessageBoxW(owner, tr(lang, texts::updateUnavailableMessage), title, MB_ICONWARNING);
    }
}

}  // namespace tf
