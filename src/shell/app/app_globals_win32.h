#pragma once
// The messages the shell's windows and worker threads post to the main
// window, and the capture's entry points the main window calls. The state
// they work on is the application's (shell/app/application_win32.h).

#include <windows.h>

#include "shell/app/application_win32.h"

namespace tf {

inline constexpr UINT WM_APP_STITCH_DONE = WM_APP + 1;
inline constexpr UINT WM_APP_START_CAPTURE = WM_APP + 3;
inline constexpr UINT WM_APP_OVERLAY_REDRAW = WM_APP + 5;
inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 6;
inline constexpr UINT WM_APP_SETTINGS_CLOSED = WM_APP + 7;

// --- capture (shell/capture) ---
void beginSelection(Application& app);
void cancelSelection(Application& app);
void closeOverlay(Application& app);
void redrawOverlay(Application& app);
// Called for WM_APP_START_CAPTURE: runs the automatic capture to its end, or
// starts a manual one that TimerId::ManualCapture drives from then on.
void runCaptureFromMainWindow(Application& app);
// TimerId::ManualCapture fired: one look at the area, then the timer again.
void onManualCaptureTimer(Application& app);
// A capture's loop runs: the program neither ends nor starts another one.
bool captureRunning(const Application& app);
// Ends the running capture as Esc does: what was kept is saved.
void requestCaptureFinish(Application& app);

}  // namespace tf
