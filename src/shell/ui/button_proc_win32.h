#pragma once
// The procedure every owner-drawn button of both windows is subclassed with:
// hover tracking for the hot look, the hand cursor on link-like controls, the
// Settings button's focus-ring rule, and the UI Automation element.

#include <windows.h>

#include "shell/app/application_win32.h"

namespace tf {

// The BUTTON class procedure, stored by the first subclassing. Process-wide:
// every subclassed button calls on to it from ownerButtonProc, which Windows
// calls with nothing but the button, and the class procedure is one for the
// whole process.
extern WNDPROC defaultButtonProc;
// The hover and focus-ring state is the application's ButtonState.
void suppressSettingsFocusRing(Application& app, bool suppressed);

// Installs the shared procedure on `button` (null is skipped).
void subclassOwnerButton(HWND button);
LRESULT CALLBACK ownerButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tf
