#pragma once
// The procedure every owner-drawn button of both windows is subclassed with:
// hover tracking for the hot look, the hand cursor on link-like controls, the
// Settings button's focus-ring rule, and the UI Automation element.

#include <windows.h>

#include "shell/app/application_win32.h"

namespace tf {

// The hover and focus-ring state is the application's ButtonState.
void suppressSettingsFocusRing(Application& app, bool suppressed);

// Installs the shared procedure on `button` (null is skipped).
void subclassOwnerButton(HWND button);

}  // namespace tf
