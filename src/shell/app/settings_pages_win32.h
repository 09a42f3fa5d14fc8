#pragma once
// The settings pages the main window shows in itself (the settings states
// while the settings window is closed, and the page the main window keeps
// behind the settings window's help and about pages). The main window draws
// only their title; their 13 controls stay hidden, there for UI Automation,
// which names them, and for the commands they carry.
//
// The settings window shows the same settings with controls of its own and
// puts them into the shared control slots of the same ids while it is open;
// when it goes, each slot it took holds the hidden control of that id again.
// Which slots it takes and how they come back is said here, once, for both.

#include <windows.h>

#include <array>
#include <cstdint>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"

namespace tf {

struct Application;

class InWindowSettingsPages {
public:
    // Makes the hidden controls, after the main window's working buttons in
    // tab order, into the slots of their ids.
    void createControls(Application& app, HWND window);
    // The hidden control of `id`, or null when there is none (or not yet).
    HWND control(ControlId id) const;
    // Re-labels the hidden controls in the application's language.
    void applyLanguage(const Application& app) const;
    // The command of one of the hidden controls, run for the main window;
    // false for any other command.
    static bool runCommand(Application& app, HWND window, ControlId command);

    // A settings page is entered from a home-like page: it starts at its top,
    // and leaving the settings goes back there.
    void enterFrom(UiState from) {
        scroll_ = 0;
        returnState_ = from;
    }
    // The state leaving the settings pages (in either window) returns to.
    UiState returnState() const { return returnState_; }
    // DIPs the page is scrolled by.
    int32_t scroll() const { return scroll_; }
    // WM_MOUSEWHEEL of the main window; false when it shows no settings page.
    bool onMouseWheel(Application& app, HWND window, WPARAM wParam);

private:
    std::array<HWND, kMaxControlId + 1> controls_{};  // by id; they go with the main window
    UiState returnState_ = UiState::Home;
    int32_t scroll_ = 0;
};

// The settings window opened: its control `control` takes the slot of `id`.
void lendSlotToSettingsWindow(Application& app, ControlId id, HWND control);
// The settings window is closing: every slot it took holds the main window's
// hidden control of that id again (or nothing, for an id the main window has
// no control of), so that the Language menu has its anchor back.
void releaseSlotsOfSettingsWindow(Application& app);

}  // namespace tf
