#pragma once
// The two interactive setting changes: the capture folder through the shell's
// folder dialog, and the interface language through a pop-up menu under the
// language button. Both save at once and warn when saving failed.

#include <windows.h>

namespace tf {

// True when a folder was chosen (also the same one, also when saving failed).
bool chooseCaptureFolder(HWND owner);
// True only when the language changed; the interface is re-labelled by then.
bool chooseLanguage(HWND owner);

}  // namespace tf
