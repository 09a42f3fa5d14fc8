#pragma once
// The two interactive setting changes: the capture folder through the shell's
// folder dialog, and the interface language through a pop-up menu under the
// language button. Both save at once and warn when saving failed.

#include <windows.h>

#include "core/settings/settings.h"
#include "shell/app/application_win32.h"

namespace tf {

// True when a folder was chosen (also the same one, also when saving failed).
bool chooseCaptureFolder(Settings& settings, HWND owner);
// True only when the language changed; the interface is re-labelled by then.
bool chooseLanguage(Application& app, HWND owner);

}  // namespace tf
