#pragma once
// The two interactive setting changes: the capture folder through the shell's
// folder dialog, and the interface language through a pop-up menu under the
// language button. Both save at once and warn when saving failed.

#include <windows.h>

#include "core/settings/settings.h"

namespace tf {

// True when a folder was chosen (also the same one, also when saving failed).
bool chooseCaptureFolder(Settings& settings, HWND owner);
// The menu opens below `languageButton`. True only when the language changed;
// re-labelling the interface is the caller's.
bool chooseLanguage(Settings& settings, HWND languageButton, HWND owner);
// The part heights offered, in a menu below `button`; true when the choice
// changed. A failed save is not reported, as for a switch: the choice holds
// for the rest of the run.
bool chooseSplitHeight(Settings& settings, HWND button, HWND owner);

}  // namespace tf
