#pragma once
// The saved image on the clipboard and the capture hotkey, as the main window
// and the settings window use them. GUI thread only.

#include <windows.h>

#include "shell/app/global_hotkey_win32.h"
#include "core/settings/hotkey_chord.h"

namespace tf {

// ---- Clipboard --------------------------------------------------------------------
// Offers the saved image on the clipboard (owned by the main window). On success
// the Copy image button shows "Copied" for a while; a refusal shows a short
// message. The saved file is never written.
void copySavedImage();
// Whether the Copy image button shows "Copied" now.
bool copiedNoticeShown();
// TimerId::CopiedNotice: the button goes back to its label.
void endCopiedNotice();
// WM_RENDERFORMAT, WM_RENDERALLFORMATS and WM_DESTROYCLIPBOARD of the main
// window; true when the message was one of them.
bool handleMainClipboardMessage(HWND window, UINT message, WPARAM wParam);

// ---- Capture hotkey ---------------------------------------------------------------
// Registers `settings.captureHotkey` on the main window (WM_CREATE).
void registerCaptureHotkey(HWND mainWindow);
// Unregisters it (WM_DESTROY of the main window).
void releaseCaptureHotkey();
// WM_HOTKEY: starts the selection when the id is ours and Start is allowed now.
void onHotkeyMessage(WPARAM id);
// Makes `chord` the hotkey and, when that worked, the saved setting; the
// result stays as the row's notice until the next attempt.
HotkeyRegistration changeCaptureHotkey(const HotkeyChord& chord);
// The outcome of the last registration attempt, for the settings row.
HotkeyRegistration lastHotkeyRegistration();

// ---- Recording a chord in the settings row ----------------------------------------
// Whether the chord control is waiting for a key chord.
bool recordingHotkey();
void beginHotkeyRecording(HWND control);
void endHotkeyRecording();
// A key message for the chord control while it records. True when the key was
// used (a chord taken, Esc, Backspace, or a modifier on its own).
bool recordHotkeyKey(UINT message, WPARAM virtualKey);
// The text the chord control shows: the chord, "None", or the prompt.
std::wstring hotkeyControlText();

}  // namespace tf
