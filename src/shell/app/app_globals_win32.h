#pragma once
// The process-wide values of the Win32 shell, grouped by the subsystem that
// owns them; the file named with each group is its only writer, everyone
// else reads. GUI thread unless marked atomic. Worker threads never read
// these: they get their target window as a value when they start.
//
// Elsewhere: the capture's rectangle and overlay values in
// shell/capture/capture_globals_win32.h, the save's in shell/save/save_session_win32.h,
// the control slots in shell/app/control_table_win32.h, the settings record in
// core/settings/settings.h.

#include <windows.h>

#include <vector>

#include "ground/pixel_image.h"
#include "shell/save/save_session_win32.h"

namespace tf {

inline constexpr UINT WM_APP_STITCH_DONE = WM_APP + 1;
inline constexpr UINT WM_APP_START_CAPTURE = WM_APP + 3;
inline constexpr UINT WM_APP_OVERLAY_REDRAW = WM_APP + 5;
inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 6;
inline constexpr UINT WM_APP_SETTINGS_CLOSED = WM_APP + 7;

// --- program entry: app/main_win32.cpp (defined in app_globals_win32.cpp) ---
extern HINSTANCE appInstance;

// --- main window: app/app_window_win32.cpp ---
extern HWND mainWindow;     // set when it is created, cleared when it is destroyed
extern bool reducedMotion;  // the system's client-area animation is off

// --- settings window: ui/settings_window_win32.cpp ---
extern HWND settingsWindow;

// --- selection and capture overlay: capture/selection_overlay_win32.cpp ---
extern HWND overlayWindow;

// --- capture (shell/capture) ---
void beginSelection();
void cancelSelection();
void closeOverlay();
void redrawOverlay();
// Called for WM_APP_START_CAPTURE: runs the automatic capture to its end, or
// starts a manual one that TimerId::ManualCapture drives from then on.
void runCaptureFromMainWindow();
// TimerId::ManualCapture fired: one look at the area, then the timer again.
void onManualCaptureTimer();

}  // namespace tf
