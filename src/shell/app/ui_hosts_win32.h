#pragma once
// The application as the owner-drawn buttons, the settings window and the
// capture area see it: the narrow interfaces they declare (shell/ui,
// shell/capture), answered from the application's state and commands. GUI
// thread only.

#include <windows.h>

#include <string>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/settings.h"
#include "shell/capture/capture_area_win32.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/settings_window_win32.h"

namespace tf {

struct Application;

class ApplicationHosts final : public ButtonHost, public SettingsWindowHost, public CaptureShell {
public:
    explicit ApplicationHosts(Application& app) : app_(app) {}
    ApplicationHosts(const ApplicationHosts&) = delete;
    ApplicationHosts& operator=(const ApplicationHosts&) = delete;

    // All of them.
    const Settings& settings() const override;
    UiState uiState() const override;
    bool recordingChord() const override;
    std::wstring chordText() const override;
    void endChordRecording() override;

    // The buttons.
    bool copiedNoticeShown() const override;

    // The settings window and the capture area.
    void setUiState(UiState to) override;
    ChordNotice chordNotice() const override;
    void beginChordRecording(HWND control) override;
    void runSharedCommand(HWND window, ControlId command) override;
    void flipSwitch(ControlId id) override;
    void checkForUpdates() override;
    void lendSlot(ControlId id, HWND control) override;
    void settingsWindowClosing() override;

    // The capture area.
    HWND mainWindow() const override;
    void showMain() override;
    void failCapture(const wchar_t* message, UINT icon) override;
    void startCaptureSoon() override;
    void forgetSavedCapture() override;
    bool saveInProgress() const override;
    void saveCapture(CapturedStitch capture) override;
    uint64_t saveStartTick() const override;
    int32_t saveStage() const override;
    bool reducedMotion() const override;

private:
    Application& app_;
};

}  // namespace tf
