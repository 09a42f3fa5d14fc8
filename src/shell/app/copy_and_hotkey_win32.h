#pragma once
// The saved image on the clipboard and the capture hotkey, as the main window
// and the settings window use them; their state is the application's
// CopyAndHotkeyState. GUI thread only.

#include <windows.h>

#include "shell/app/global_hotkey_win32.h"
#include "core/settings/hotkey_chord.h"
#include "shell/app/application_win32.h"

namespace tf {

// ---- Clipboard --------------------------------------------------------------------
// Offers the saved image on the clipboard (owned by the main window). On success
// the Copy image button shows "Copied" for a while; a refusal shows a short
// message. The saved file is never written.
void copySavedImage(Application& app);
// The same for another file the program wrote (a trimmed copy).
void copyImageFileOf(Application& app, const std::wstring& file);
// Whether the Copy image button shows "Copied" now.
inline bool copiedNoticeShown(const CopyAndHotkeyState& state) { return state.copiedNotice; }
// TimerId::CopiedNotice: the button goes back to its label.
void endCopiedNotice(Application& app);
// WM_RENDERFORMAT, WM_RENDERALLFORMATS and WM_DESTROYCLIPBOARD of the main
// window; true when the message was one of them.
bool handleMainClipboardMessage(CopyAndHotkeyState& state, HWND window, UINT message, WPARAM wParam);

// ---- Capture hotkey ---------------------------------------------------------------
// Registers the setting's capture hotkey on the main window (WM_CREATE).
void registerCaptureHotkey(Application& app, HWND mainWindow);
// Unregisters it (WM_DESTROY of the main window).
void releaseCaptureHotkey(CopyAndHotkeyState& state);
// WM_HOTKEY: starts the selection when the id is ours and Start is allowed now.
void onHotkeyMessage(Application& app, WPARAM id);
// Makes `chord` the hotkey and, when that worked, the saved setting; the
// result stays as the row's notice until the next attempt.
HotkeyRegistration changeCaptureHotkey(Application& app, const HotkeyChord& chord);
// The outcome of the last registration attempt, for the settings row.
inline HotkeyRegistration lastHotkeyRegistration(const CopyAndHotkeyState& state) { return state.lastRegistration; }

// ---- Recording a chord in the settings row ----------------------------------------
// Whether the chord control is waiting for a key chord.
bool recordingHotkey(const CopyAndHotkeyState& state);
void beginHotkeyRecording(Application& app, HWND control);
void endHotkeyRecording(Application& app);
// A key message for the chord control while it records. True when the key was
// used (a chord taken, Esc, Backspace, or a modifier on its own).
bool recordHotkeyKey(Application& app, UINT message, WPARAM virtualKey);
// The text the chord control shows: the chord, "None", or the prompt.
std::wstring hotkeyControlText(const Application& app);

}  // namespace tf
