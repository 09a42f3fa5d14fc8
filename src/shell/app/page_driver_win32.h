#pragma once
// The page driver: the main window's UiState, the switches between pages with
// the window's resizing and its controls' layout, and the way back from a
// failed capture. The only writer of the page.

#include <windows.h>

#include <cstdint>

#include "core/app/geometry.h"
#include "core/app/ui_state.h"

namespace tf {

UiState currentUiState();
// Along the transition table only; resizes and re-lays out the main window.
void setUiState(UiState to);

// The page the main window shows. Equals currentUiState() except while the
// settings window is open on a settings page: then the main window keeps
// showing the page the settings window was opened from.
UiState displayedMainState();
// The state the settings window returns the main window to when it closes.
void rememberSettingsReturnState(UiState state);
UiState settingsReturnState();

bool inResultWithPath();

// DIPs the in-window settings pages are scrolled by.
int32_t settingsScrollOffset();
// One wheel turn over an in-window settings page.
void scrollSettingsPage(HWND window, WPARAM wParam);

Rect workAreaOf(HWND window);
void layoutMainWindowControls();
void showAndActivateMain();

// Ends a capture that cannot go on: closes the overlay, enters Failed, shows
// the main window and, when `message` is given, tells the user why.
void failCaptureAndShowMain(const wchar_t* message = nullptr, UINT icon = MB_ICONERROR);

}  // namespace tf
