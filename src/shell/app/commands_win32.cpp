#include "shell/app/commands_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "shell/app/app_globals_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/pickers/pickers_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "shell/save/save_session_win32.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/settings_window_win32.h"

namespace tf {
namespace {

void openWithShell(HWND owner, const wchar_t* target, const wchar_t* parameters = nullptr) {
    ShellExecuteW(owner, L"open", target, parameters, nullptr, SW_SHOWNORMAL);
}
void openWithShell(const Application& app, const wchar_t* target, const wchar_t* parameters = nullptr) {
    openWithShell(app.mainWindow, target, parameters);
}

// The update check of the application: a detached thread that answers the
// main window with WM_APP_UPDATE_RESULT.
void startUpdateCheck(const Application& app) {
    try {
        std::thread(runUpdateCheck, app.mainWindow, WM_APP_UPDATE_RESULT).detach();
    } catch (const std::system_error&) {
        // No thread: the check could not be made, and the user asked for it.
        const UiLanguage lang = app.settings.language;
        MessageBoxW(app.settingsWindow != nullptr ? app.settingsWindow : app.mainWindow,
                    tr(lang, texts::updateUnavailableMessage), tr(lang, texts::updateCheckTitle), MB_ICONWARNING);
    }
}

// The field of a switch, const or not as the record is.
template <typename Record>
auto switchField(Record& settings, ControlId id) -> decltype(&settings.openAfterCapture) {
    switch (id) {
        case ControlId::OpenAfterCapture: return &settings.openAfterCapture;
        case ControlId::CaptureLogging: return &settings.captureLoggingEnabled;
        case ControlId::CopyAfterCapture: return &settings.copyAfterCapture;
        case ControlId::StartFromTop: return &settings.startFromTop;
        default: return nullptr;
    }
}

}  // namespace

void openSavedImage(const Application& app) {
    if (!app.save.savedImagePath.empty()) openWithShell(app, app.save.savedImagePath.c_str());
}

bool* switchSetting(Settings& settings, ControlId id) { return switchField(settings, id); }

bool switchIsOn(const Settings& settings, ControlId id) {
    // The scroll mode and the direction are choices of two that the switches
    // show as "manual" and "sideways".
    if (id == ControlId::ScrollMode) return settings.scrollMode == ScrollMode::Manual;
    if (id == ControlId::CaptureSideways) return settings.captureDirection == ScrollDirection::Right;
    const bool* value = switchField(settings, id);
    return value != nullptr && *value;
}

void flipSwitchSetting(Application& app, ControlId id) {
    Settings& settings = app.settings;
    if (id == ControlId::ScrollMode) {
        settings.scrollMode = settings.scrollMode == ScrollMode::Manual ? ScrollMode::Auto : ScrollMode::Manual;
    } else if (id == ControlId::CaptureSideways) {
        settings.captureDirection =
            settings.captureDirection == ScrollDirection::Right ? ScrollDirection::Down : ScrollDirection::Right;
    } else {
        bool* value = switchSetting(settings, id);
        if (value == nullptr) return;
        *value = !*value;
    }
    // A failed save is not reported: the switch holds for the rest of the run.
    saveSettings(settings);
    if (HWND s = controlSlot(app, id)) InvalidateRect(s, nullptr, TRUE);
}

void runEnterKey(Application& app) {
    if (app.save.inProgress) return;
    // A focused working button does what it says; otherwise the page's action.
    if (HWND focused = GetFocus(); focused != nullptr && GetParent(focused) == app.mainWindow &&
                                   IsWindowVisible(focused) && IsWindowEnabled(focused)) {
        SendMessageW(focused, BM_CLICK, 0, 0);
        return;
    }
    const UiState s = currentUiState(app);
    if (s == UiState::Home) beginSelection(app);
    else if (s == UiState::Result && !app.save.savedImagePath.empty()) openSavedImage(app);
}

void runMainCommand(Application& app, HWND window, ControlId command) {
    const std::wstring& savedImagePath = app.save.savedImagePath;
    switch (command) {
        case ControlId::StartCapture:
        case ControlId::CaptureAnother:
            if (!app.save.inProgress) beginSelection(app);
            break;
        case ControlId::OpenImage: openSavedImage(app); break;
        case ControlId::CopyImage: copySavedImage(app); break;
        case ControlId::Settings:
            if (isHomeLike(currentUiState(app))) {
                suppressSettingsFocusRing(app, false);
                openSettingsWindow(app);
            }
            break;
        case ControlId::OpenFolder:
            if (!savedImagePath.empty()) {
                const std::wstring parameters = L"/select,\"" + savedImagePath + L"\"";
                openWithShell(app, L"explorer.exe", parameters.c_str());
            }
            break;
        case ControlId::GeneralNavigation: setUiState(app, UiState::SettingsGeneral); break;
        case ControlId::HelpNavigation: setUiState(app, UiState::SettingsHelp); break;
        case ControlId::AboutNavigation: setUiState(app, UiState::SettingsAbout); break;
        case ControlId::ChooseFolder:
        case ControlId::Language:
        case ControlId::Feedback: runSharedSettingCommand(app, window, command); break;
        case ControlId::OpenAfterCapture:
        case ControlId::CaptureLogging:
        case ControlId::CopyAfterCapture: flipSwitchSetting(app, command); break;
        case ControlId::ProductHome:
        case ControlId::ProductSite:
        case ControlId::AboutProduct: openWithShell(app, kProductPageUrl); break;
        case ControlId::PublisherSite: openWithShell(app, kPublisherSiteUrl); break;
        case ControlId::CheckUpdates: startUpdateCheck(app); break;
        default: break;
    }
}

void runSharedSettingCommand(Application& app, HWND window, ControlId command) {
    const bool inSettingsWindow = window == app.settingsWindow;
    switch (command) {
        case ControlId::ChooseFolder:
            if (!chooseCaptureFolder(app.settings, window)) break;
            // The settings window shows the folder in a box of its own.
            if (inSettingsWindow) showCaptureFolder(app);
            InvalidateRect(window, nullptr, inSettingsWindow);
            break;
        case ControlId::Language:
            if (!chooseLanguage(app, window)) break;
            if (inSettingsWindow) layoutSettingsWindowControls(app);
            else layoutMainWindowControls(app);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        case ControlId::Feedback: openWithShell(window, kFeedbackFormUrl); break;
        default: break;
    }
}

void handleStitchDone(Application& app, StitchResult* raw) {
    std::unique_ptr<StitchResult> result(raw);
    endSaving(app.save);
    KillTimer(app.mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
    closeOverlay(app);
    if (HWND start = controlSlot(app, ControlId::StartCapture)) EnableWindow(start, TRUE);
    if (result && result->succeeded) {
        keepSavedCapture(app.save, *result);
        setUiState(app, UiState::Result);
        showAndActivateMain(app);
        // The file is written by now; the clipboard only ever gets a copy of it.
        if (app.settings.copyAfterCapture) copySavedImage(app);
        if (app.settings.openAfterCapture) openSavedImage(app);
    } else {
        failCaptureAndShowMain(app, tr(app.settings.language, texts::stitchFailedMessage), MB_ICONERROR);
    }
}

void handleUpdateResult(const Application& app, UpdateCheckResult* raw) {
    if (raw == nullptr) return;
    std::unique_ptr<UpdateCheckResult> result(raw);
    const UiLanguage lang = app.settings.language;
    const UiState s = currentUiState(app);
    const bool busy = s == UiState::Selecting || s == UiState::Capturing || s == UiState::Saving;
    HWND owner = app.settingsWindow != nullptr ? app.settingsWindow : app.mainWindow;
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

void onSavingTimer(Application& app) {
    const uint64_t start = app.save.startTick;
    const uint64_t elapsed = start == 0 ? 0 : GetTickCount64() - start;
    if (app.overlayWindow == nullptr || currentUiState(app) != UiState::Saving) {
        KillTimer(app.mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
        return;
    }
    if (elapsed < 300) return;
    redrawOverlay(app);
    if (elapsed > 760 || app.reducedMotion) KillTimer(app.mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
}

}  // namespace tf
