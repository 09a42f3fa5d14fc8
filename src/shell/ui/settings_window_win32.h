#pragma once
// The settings window: a separate window owned by the main window, which it
// keeps disabled while open. It shows the general settings, and its own
// navigation leads to the help and about pages (the main window's settings
// states), with "Check for updates" on the about page.
//
// One SettingsWindow object lives as long as the program; the window itself
// comes and goes, and carries a pointer to the object in GWLP_USERDATA. It
// owns its controls and its scroll; everything else it reads from, or asks
// of, its SettingsWindowHost.
//
// Adding a row: one entry in kSettingsRows (core/ui/settings_layout.h) with a
// ControlId of its own (core/app/control_ids.h). A switch row also needs its
// setting in core/ui/setting_switches.cpp (and its key in the settings store);
// the window then makes, places, labels, paints and runs the row by itself,
// with nothing to add here. A row of another kind gets its command in
// SettingsWindow::runCommand.

#include <windows.h>

#include <array>
#include <string>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/settings.h"
#include "platform/win32/win32_window_object.h"

namespace tf {

class OwnerButtons;

inline constexpr wchar_t kSettingsWindowClass[] = L"TallyframeSettings";

// What the chord row says in place of its description.
enum class ChordNotice { None, InUse, Failed };

// The rest of the program, as the settings window sees it. It outlives the
// window.
class SettingsWindowHost {
public:
    virtual const Settings& settings() const = 0;
    virtual UiState uiState() const = 0;
    // Along the transition table only.
    virtual void setUiState(UiState to) = 0;

    virtual ChordNotice chordNotice() const = 0;
    virtual bool recordingChord() const = 0;
    virtual std::wstring chordText() const = 0;
    virtual void beginChordRecording(HWND control) = 0;
    virtual void endChordRecording() = 0;

    // Choose folder, language and feedback, as the main window's hidden
    // controls run them; `window` is this window.
    virtual void runSharedCommand(HWND window, ControlId command) = 0;
    // Flips and saves the setting of a switch row.
    virtual void flipSwitch(ControlId id) = 0;
    virtual void checkForUpdates() = 0;
    // A control of this window takes the shared slot of its id while it exists.
    virtual void lendSlot(ControlId id, HWND control) = 0;
    // WM_DESTROY: the window still exists, its controls too; after this call
    // the object forgets them.
    virtual void settingsWindowClosing() = 0;

protected:
    ~SettingsWindowHost() = default;
};

class SettingsWindow {
public:
    SettingsWindow(HINSTANCE instance, SettingsWindowHost& host, OwnerButtons& buttons)
        : instance_(instance), host_(host), buttons_(buttons) {}
    // A window still open is destroyed without telling the host, which may be
    // going too.
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    HWND handle() const { return window_; }
    bool isOpen() const { return window_ != nullptr; }

    // Opens the window beside `owner`, or brings the open one to the front.
    bool open(HWND owner);
    void close();
    void layout();
    // After a page switch: re-lay out and redraw.
    void refresh();
    // Shows the current capture folder in the folder box, after it was chosen.
    void showCaptureFolder();
    // Re-titles the window, re-labels its controls and redraws it.
    void applyLanguage();

private:
    template <typename Object>
    friend LRESULT CALLBACK objectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND control(ControlId id) const;
    std::wstring labelOf(ControlId id) const;
    void createControl(ControlId id);
    void createControls();
    void goToPage(UiState page);
    void runCommand(ControlId command);
    void scrollBy(int wheelDelta);
    void relayoutAndInvalidate();
    void paint(HDC hdc);
    void released();

    HINSTANCE instance_;
    SettingsWindowHost& host_;
    OwnerButtons& buttons_;
    HWND window_ = nullptr;
    std::array<HWND, kMaxControlId + 1> controls_{};  // its own controls, by id
    float pageScroll_ = 0;  // DIPs the general page is scrolled up by
};

}  // namespace tf
