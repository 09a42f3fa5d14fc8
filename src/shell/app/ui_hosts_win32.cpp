#include "shell/app/ui_hosts_win32.h"

#include <utility>

#include "shell/app/app_messages_win32.h"
#include "shell/app/application_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/app/settings_pages_win32.h"

namespace tf {

const Settings& ApplicationHosts::settings() const { return app_.settings; }

UiState ApplicationHosts::uiState() const { return currentUiState(app_); }

bool ApplicationHosts::recordingChord() const { return recordingHotkey(app_.copyAndHotkey); }

std::wstring ApplicationHosts::chordText() const { return hotkeyControlText(app_); }

void ApplicationHosts::endChordRecording() { endHotkeyRecording(app_); }

bool ApplicationHosts::copiedNoticeShown() const { return tf::copiedNoticeShown(app_.copyAndHotkey); }

void ApplicationHosts::setUiState(UiState to) { tf::setUiState(app_, to); }

ChordNotice ApplicationHosts::chordNotice() const {
    switch (lastHotkeyRegistration(app_.copyAndHotkey)) {
        case HotkeyRegistration::InUse: return ChordNotice::InUse;
        case HotkeyRegistration::Failed: return ChordNotice::Failed;
        case HotkeyRegistration::Registered:
        case HotkeyRegistration::Cleared: break;
    }
    return ChordNotice::None;
}

void ApplicationHosts::beginChordRecording(HWND control) { beginHotkeyRecording(app_, control); }

void ApplicationHosts::runSharedCommand(HWND window, ControlId command) {
    runSharedSettingCommand(app_, window, command);
}

void ApplicationHosts::flipSwitch(ControlId id) { flipSwitchSetting(app_, id); }

void ApplicationHosts::checkForUpdates() {
    if (app_.main.window() != nullptr) SendMessageW(app_.main.window(), WM_COMMAND, idNumber(ControlId::CheckUpdates), 0);
}

void ApplicationHosts::lendSlot(ControlId id, HWND control) { lendSlotToSettingsWindow(app_, id, control); }

// Back to the page the main window showed before the settings window
// navigated (allowed from every settings page), the borrowed slots returned,
// and the main window enabled and in front again.
void ApplicationHosts::settingsWindowClosing() {
    endHotkeyRecording(app_);
    if (isSettingsPage(currentUiState(app_))) tf::setUiState(app_, settingsReturnState(app_));
    releaseSlotsOfSettingsWindow(app_);
    if (app_.main.window() != nullptr) {
        app_.buttons.suppressSettingsFocusRing(true);
        EnableWindow(app_.main.window(), TRUE);
        showAndActivateMain(app_);
        PostMessageW(app_.main.window(), WM_APP_SETTINGS_CLOSED, 0, 0);
    }
}

HWND ApplicationHosts::mainWindow() const { return app_.main.window(); }

void ApplicationHosts::showMain() { showAndActivateMain(app_); }

void ApplicationHosts::failCapture(const wchar_t* message, UINT icon) { failCaptureAndShowMain(app_, message, icon); }

void ApplicationHosts::startCaptureSoon() { PostMessageW(app_.main.window(), WM_APP_START_CAPTURE, 0, 0); }

void ApplicationHosts::forgetSavedCapture() { app_.save.forgetSavedCapture(); }

bool ApplicationHosts::saveInProgress() const { return app_.save.inProgress(); }

void ApplicationHosts::saveCapture(CapturedStitch capture) { tf::saveCapture(app_, std::move(capture)); }

uint64_t ApplicationHosts::saveStartTick() const { return app_.save.startTick(); }

int32_t ApplicationHosts::saveStage() const { return app_.save.stage(); }

bool ApplicationHosts::reducedMotion() const { return app_.main.reducedMotion(); }

}  // namespace tf
