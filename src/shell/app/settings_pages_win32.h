#pragma once
// The settings pages the main window shows in itself (the settings states
// while the settings window is closed, and the page the main window keeps
// behind the settings window's help and about pages). The main window draws
// only their title; their 13 controls stay hidden, there for UI Automation,
// which names them, and for the commands they carry.
//
// The settings window shows the same settings with controls of its own and
// puts them into the shared control slots of the same ids; which slots it
// takes and what it leaves when it goes is said here, once, for both.

#include <windows.h>

#include <cstdint>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"

namespace tf {

struct Application;

class InWindowSettingsPages {
public:
    // Makes the hidden controls, after the main window's working buttons in
    // tab order, into the slots of their ids.
    static void createControls(Application& app, HWND window);
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
    UiState returnState_ = UiState::Home;
    int32_t scroll_ = 0;
};

// The settings window opened: its control `control` takes the slot of `id`.
void lendSlotToSettingsWindow(Application& app, ControlId id, HWND control);
// The settings window is closing: the slots it took are emptied, and so are
// the about page's links, which it shows without controls of its own. The
// main window's hidden controls of those ids are not put back: from then on
// their commands arrive by id alone.
void releaseSlotsOfSettingsWindow(Application& app);

}  // namespace tf
