#pragma once
// The main window: its procedure, the page switch, the control slots shared
// with the settings window, and the interactive life of the program.

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/app_globals_win32.h"
#include "app/geometry.h"

namespace tf {

inline constexpr wchar_t kMainWindowClass[] = L"TallyframeNativeMain";
inline constexpr int kAppIconId = 101;
inline constexpr UINT_PTR TIMER_SAVING_ANIMATION = 3;
inline constexpr UINT_PTR TIMER_FOCUS_RESTORE = 4;

inline constexpr wchar_t kProductPageUrl[] = L"https://tallyframe.quorvelle.com/";
inline constexpr wchar_t kFeedbackFormUrl[] = L"https://tallyframe.quorvelle.com/feedback";
inline constexpr wchar_t kPublisherSiteUrl[] = L"https://www.quorvelle.com/";
inline constexpr wchar_t kReleasePageUrl[] = L"https://github.com/quorvelle/quorvelle-tally-frame/releases/latest";

// Set when the settings window has just closed: the Settings button then
// draws no focus ring until the mouse or a focus change touches it.
extern bool suppressSettingsFocusRing;
extern int32_t settingsScrollOffset;  // DIPs, in-window settings pages
extern HWND mainTooltip;

// One slot per control id (0..45); the settings window puts its own controls
// into the slots of its ids while it exists.
inline constexpr int kMaxControlId = 45;
HWND controlSlot(int id);
void setControlSlot(int id, HWND control);
extern HWND languageButton;  // mirrors slot 31

// The label a control shows in the current language (window text).
std::wstring controlLabel(int id);

// The page the main window shows. Equals currentUiState() except while the
// settings window is open on a settings page: then the main window keeps
// showing the page the settings window was opened from.
UiState displayedMainState();
// The state the settings window returns the main window to when it closes.
void rememberSettingsReturnState(UiState state);
UiState settingsReturnState();

bool inResultWithPath();

// Shared by both windows' layout passes and switch commands.
Rect workAreaOf(HWND window);
// Moves a child control, invalidates its old and new area, and shows or hides
// it only when its visibility differs.
void placeControl(HWND control, const ControlPlacement& placement);
// Flips the setting of switch 32 or 33, saves, and redraws the switch on screen.
void flipSwitchSetting(int id);
void layoutMainWindowControls();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Steps 7-15 of the entry: settings, class, placement, message loop. Returns
// the exit code (always 0).
int runInteractiveProgram();
// Steps 8-13 (animation setting, class, placement, Home, shown); the window or
// null. The tests drive the window with their own message pumping.
HWND createMainWindow();
// Until WM_QUIT; Enter and Esc are routed before the dialog navigation.
void runMessageLoop();
bool routeDialogKey(const MSG& msg);

// Shows a message box owned by the main window with the product title.
int showAppMessage(const wchar_t* text, UINT flags);

}  // namespace tf
