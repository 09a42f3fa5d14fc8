#pragma once
// The messages the shell's windows and worker threads post to the main
// window.

#include <windows.h>

namespace tf {

inline constexpr UINT WM_APP_STITCH_DONE = WM_APP + 1;
inline constexpr UINT WM_APP_START_CAPTURE = WM_APP + 3;
inline constexpr UINT WM_APP_OVERLAY_REDRAW = WM_APP + 5;
inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 6;
inline constexpr UINT WM_APP_SETTINGS_CLOSED = WM_APP + 7;

}  // namespace tf
