#pragma once
// The page driver: the main window's UiState, the switches between pages with
// the window's resizing and its controls' layout, and the way back from a
// failed capture. The only writer of the main window's PageState.

#include <windows.h>

#include <cstdint>

#include "core/app/geometry.h"
#include "core/app/ui_state.h"
#include "shell/app/application_win32.h"
#include "shell/ui/page_painter_win32.h"

namespace tf {

inline UiState currentUiState(const Application& app) { return app.main.page().current; }
// Along the transition table only; resizes and re-lays out the main window.
void setUiState(Application& app, UiState to);

// The page the main window shows. Equals currentUiState() except while the
// settings window is open on a settings page: then the main window keeps
// showing the page the settings window was opened from.
UiState displayedMainState(const Application& app);
// The state the settings window returns the main window to when it closes.
inline UiState settingsReturnState(const Application& app) { return app.main.settingsPages().returnState(); }

bool inResultWithPath(const Application& app);
// What the main window's page painter shows now.
MainPageView mainPageView(const Application& app);

Rect workAreaOf(HWND window);
void layoutMainWindowControls(const Application& app);
void showAndActivateMain(const Application& app);

// Ends a capture that cannot go on: closes the overlay, enters Failed, shows
// the main window and, when `message` is given, tells the user why.
void failCaptureAndShowMain(Application& app, const wchar_t* message = nullptr, UINT icon = MB_ICONERROR);

}  // namespace tf
