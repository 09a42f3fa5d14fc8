#pragma once
// What the main window does for each command and for the answers its worker
// threads post back.

#include <windows.h>

#include <vector>

#include "core/app/control_ids.h"
#include "core/settings/settings.h"
#include "core/stitch/stitch_job.h"
#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"
#include "shell/app/application_win32.h"
#include "shell/update/update_check_win32.h"

namespace tf {

inline constexpr wchar_t kProductPageUrl[] = L"https://tallyframe.quorvelle.com/";
inline constexpr wchar_t kFeedbackFormUrl[] = L"https://tallyframe.quorvelle.com/feedback";
inline constexpr wchar_t kPublisherSiteUrl[] = L"https://www.quorvelle.com/";
inline constexpr wchar_t kReleasePageUrl[] = L"https://github.com/quorvelle/quorvelle-tally-frame/releases/latest";

// WM_COMMAND of the main window.
void runMainCommand(Application& app, HWND window, ControlId command);
// The commands both the main window's settings controls and the settings
// window offer (choose folder, language, feedback), handled here once for
// either window: `window` is the one whose control was pressed.
void runSharedSettingCommand(Application& app, HWND window, ControlId command);
// Enter on the main window: clicks the focused button; with none focused,
// starts a capture on Home and opens the image on Result.
void runEnterKey(Application& app);
// Flips the setting of a switch, saves, and redraws the switch on screen.
void flipSwitchSetting(Application& app, ControlId id);
// Settings changed as a whole, the way every change takes effect: kept,
// saved (a failed save keeps them for this run), a new hotkey registered
// where a window holds one, a new language shown, the windows redrawn.
void changeSettings(Application& app, const Settings& changed);
// Re-titles both windows and re-labels every control and the tooltip.
void applyLanguage(Application& app);
void openSavedImage(const Application& app);
// Opens a page, a file or a program as Explorer would.
void openWithShell(HWND owner, const wchar_t* target, const wchar_t* parameters = nullptr);

// The capture's stitch, joined while it ran, goes to the save, which the
// main window and the overlay show until WM_APP_STITCH_DONE.
void saveCapture(Application& app, CapturedStitch capture);
// WM_APP_STITCH_DONE and WM_APP_UPDATE_RESULT; they take the record over.
void handleStitchDone(Application& app, StitchResult* result);
void handleUpdateResult(const Application& app, UpdateCheckResult* result);
// TimerId::SavingAnimation: redraws the overlay while the saving animation runs.
void onSavingTimer(Application& app);

}  // namespace tf
