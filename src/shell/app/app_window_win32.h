#pragma once
// The interactive life of the program: the main window's creation, the
// message loop, and the message boxes the main window owns. The window itself
// is the application's MainWindow (shell/app/main_window_win32.h).

#include <windows.h>

#include "shell/app/app_messages_win32.h"
#include "shell/app/application_win32.h"
#include "shell/app/main_window_win32.h"
#include "core/app/control_ids.h"

namespace tf {

// The interactive life: settings, class, placement, message loop. Returns
// the exit code (always 0).
int runInteractiveProgram(Application& app);
// Animation setting, class, placement, Home, shown; the window or null. The
// tests drive the window with their own message pumping.
HWND createMainWindow(Application& app);
// Until WM_QUIT; Enter and Esc are routed before the dialog navigation.
void runMessageLoop(Application& app);
bool routeDialogKey(const Application& app, const MSG& msg);

// Shows a message box owned by the main window with the product title.
int showAppMessage(const Application& app, const wchar_t* text, UINT flags);

}  // namespace tf
