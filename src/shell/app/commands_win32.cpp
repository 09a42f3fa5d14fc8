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

void openWithShell(const wchar_t* target, const wchar_t* parameters = nullptr) {
    ShellExecuteW(mainWindow, L"open", target, parameters, nullptr, SW_SHOWNORMAL);
}

void startUpdateCheck() {
    // The thread owns the flag byte and frees it when the check is over.
    auto flag = std::make_unique<uint8_t>(1);
    try {
        std::thread(runUpdateCheck, flag.get(), mainWindow).detach();
        flag.release();
    } catch (const std::system_error&) {
        // No thread: the check could not be made, and the user asked for it.
        MessageBoxW(settingsWindow != nullptr ? settingsWindow : mainWindow, tr(texts::updateUnavailableMessage),
                    tr(texts::updateCheckTitle), MB_ICONWARNING);
    }
}

}  // namespace

void openSavedImage() {
    if (!savedImagePath.empty()) openWithShell(savedImagePath.c_str());
}

bool* switchSetting(ControlId id) {
    switch (id) {
        case ControlId::OpenAfterCapture: return &settings.openAfterCapture;
        case ControlId::CaptureLogging: return &settings.captureLoggingEnabled;
        case ControlId::CopyAfterCapture: return &settings.copyAfterCapture;
        default: return nullptr;
    }
}

bool switchIsOn(ControlId id) {
    // The scroll mode is a choice of two that the switch shows as "manual".
    if (id == ControlId::ScrollMode) return settings.scrollMode == ScrollMode::Manual;
    const bool* value = switchSetting(id);
    return value != nullptr && *value;
}

void flipSwitchSetting(ControlId id) {
    if (id == ControlId::ScrollMode) {
        settings.scrollMode = settings.scrollMode == ScrollMode::Manual ? ScrollMode::Auto : ScrollMode::Manual;
    } else {
        bool* value = switchSetting(id);
        if (value == nullptr) return;
        *value = !*value;
    }
    // A failed save is not reported: the switch holds for the rest of the run.
    saveSettings();
    if (HWND s = controlSlot(id)) InvalidateRect(s, nullptr, TRUE);
}

void runEnterKey() {
    if (saveInProgress) return;
    // A focused working button does what it says; otherwise the page's action.
    if (HWND focused = GetFocus(); focused != nullptr && GetParent(focused) == mainWindow &&
                                   IsWindowVisible(focused) && IsWindowEnabled(focused)) {
        SendMessageW(focused, BM_CLICK, 0, 0);
        return;
    }
    const UiState s = currentUiState();
    if (s == UiState::Home) beginSelection();
    else if (s == UiState::Result && !savedImagePath.empty()) openSavedImage();
}

void runMainCommand(HWND window, ControlId command) {
    switch (command) {
        case ControlId::StartCapture:
        case ControlId::CaptureAnother:
            if (!saveInProgress) beginSelection();
            break;
        case ControlId::OpenImage: openSavedImage(); break;
        case ControlId::CopyImage: copySavedImage(); break;
        case ControlId::Settings:
            if (isHomeLike(currentUiState())) {
                suppressSettingsFocusRing(false);
                openSettingsWindow();
            }
            break;
        case ControlId::OpenFolder:
            if (!savedImagePath.empty()) {
                const std::wstring parameters = L"/select,\"" + savedImagePath + L"\"";
                openWithShell(L"explorer.exe", parameters.c_str());
            }
            break;
        case ControlId::GeneralNavigation: setUiState(UiState::SettingsGeneral); break;
        case ControlId::HelpNavigation: setUiState(UiState::SettingsHelp); break;
        case ControlId::AboutNavigation: setUiState(UiState::SettingsAbout); break;
        case ControlId::ChooseFolder:
            if (chooseCaptureFolder(window)) InvalidateRect(window, nullptr, FALSE);
            break;
        case ControlId::Language:
            if (chooseLanguage(window)) {
                layoutMainWindowControls();
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            }
            break;
        case ControlId::OpenAfterCapture:
        case ControlId::CaptureLogging:
        case ControlId::CopyAfterCapture: flipSwitchSetting(command); break;
        case ControlId::ProductHome:
        case ControlId::ProductSite:
        case ControlId::AboutProduct: openWithShell(kProductPageUrl); break;
        case ControlId::Feedback: openWithShell(kFeedbackFormUrl); break;
        case ControlId::PublisherSite: openWithShell(kPublisherSiteUrl); break;
        case ControlId::CheckUpdates: startUpdateCheck(); break;
        default: break;
    }
}

void handleStitchDone(StitchResult* raw) {
    std::unique_ptr<StitchResult> result(raw);
    endSaving();
    KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
    closeOverlay();
    if (HWND start = controlSlot(ControlId::StartCapture)) EnableWindow(start, TRUE);
    if (result && result->succeeded) {
        keepSavedCapture(*result);
        setUiState(UiState::Result);
        showAndActivateMain();
        // The file is written by now; the clipboard only ever gets a copy of it.
        if (settings.copyAfterCapture) copySavedImage();
        if (settings.openAfterCapture) openSavedImage();
    } else {
        failCaptureAndShowMain(tr(texts::stitchFailedMessage), MB_ICONERROR);
    }
}

void handleUpdateResult(UpdateCheckResult* raw) {
    if (raw == nullptr) return;
    std::unique_ptr<UpdateCheckResult> result(raw);
    const UiState s = currentUiState();
    const bool busy = s == UiState::Selecting || s == UiState::Capturing || s == UiState::Saving;
    HWND owner = settingsWindow != nullptr ? settingsWindow : mainWindow;
    if (result->tagFound && result->newerAvailable && !busy) {
        const std::wstring text =
            std::wstring(tr(texts::updatePromptBefore)) + result->versionText + tr(texts::updatePromptAfter);
        if (MessageBoxW(owner, text.c_str(), tr(texts::updatePromptTitle), MB_YESNO | MB_ICONINFORMATION) == IDYES) {
            openWithShell(kReleasePageUrl);
        }
        return;
    }
    if (!result->reportWhenNothingNew) return;
    const wchar_t* title = tr(texts::updateCheckTitle);
    if (result->tagFound) {
        MessageBoxW(owner, tr(texts::upToDateMessage), title, MB_ICONINFORMATION);
    } else {
        MessageBoxW(owner, tr(texts::updateUnavailableMessage), title, MB_ICONWARNING);
    }
}

void onSavingTimer() {
    const uint64_t elapsed = savingStartTick == 0 ? 0 : GetTickCount64() - savingStartTick;
    if (overlayWindow == nullptr || currentUiState() != UiState::Saving) {
        KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
        return;
    }
    if (elapsed < 300) return;
    redrawOverlay();
    if (elapsed > 760 || reducedMotion) KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
}

}  // namespace tf
