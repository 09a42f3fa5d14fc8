#pragma once
// The settings window: a separate window owned by the main window, which it
// keeps disabled while open. It shows the general settings, and its own
// navigation leads to the help and about pages (the main window's settings
// states), with "Check for updates" on the about page.

#include <windows.h>

#include "shell/app/application_win32.h"

namespace tf {

inline constexpr wchar_t kSettingsWindowClass[] = L"TallyframeSettings";

// Opens the window, or brings the open one to the front.
bool openSettingsWindow(Application& app);
// Reaches the application through the window (made with it as the
// CreateWindowExW parameter).
LRESULT CALLBACK settingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void layoutSettingsWindowControls(Application& app);
// Shows the current capture folder in the folder box, after it was chosen.
void showCaptureFolder(Application& app);
void paintSettingsPage(const Application& app, HWND window, HDC hdc);
// Re-titles both windows and re-labels every control and the tooltip.
void applyLanguage(Application& app);
// After a page switch: re-lay out and redraw the open settings window.
void refreshSettingsWindow(Application& app);

}  // namespace tf
