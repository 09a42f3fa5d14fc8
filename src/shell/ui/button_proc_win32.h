#pragma once
// The procedure every owner-drawn button of both windows is subclassed with:
// hover tracking for the hot look, the hand cursor on link-like controls, the
// Settings button's focus-ring rule, and the UI Automation element.

#include <windows.h>

namespace tf {

extern HWND hoverButton;          // the button under the mouse, or null
extern WNDPROC defaultButtonProc;  // the BUTTON class procedure, stored by the first subclassing
// Set when the settings window has just closed: the Settings button then
// draws no focus ring until the mouse or a focus change touches it.
extern bool settingsFocusRingSuppressed;
void suppressSettingsFocusRing(bool suppressed);

// Installs the shared procedure on `button` (null is skipped).
void subclassOwnerButton(HWND button);
LRESULT CALLBACK ownerButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tf
