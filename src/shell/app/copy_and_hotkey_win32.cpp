#include "shell/app/copy_and_hotkey_win32.h"

#include <memory>
#include <optional>
#include <string>

#include "shell/app/app_globals_win32.h"
#include "shell/app/app_window_win32.h"
#include "core/app/control_ids.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/clipboard/image_clipboard_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "shell/save/save_session_win32.h"

namespace tf {
namespace {

constexpr UINT kCopiedNoticeMs = 2000;

ClipboardImageOffer clipboardOffer;
bool copiedNotice = false;

std::unique_ptr<GlobalHotkey> captureHotkey;
HotkeyRegistration lastRegistration = HotkeyRegistration::Registered;
HWND recordingControl = nullptr;

void redrawControl(ControlId id) {
    if (HWND c = controlSlot(id)) InvalidateRect(c, nullptr, TRUE);
}

bool keyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

uint32_t modifiersHeldNow() {
    uint32_t m = 0;
    if (keyDown(VK_CONTROL)) m |= hotkey_modifiers::kControl;
    if (keyDown(VK_MENU)) m |= hotkey_modifiers::kAlt;
    if (keyDown(VK_SHIFT)) m |= hotkey_modifiers::kShift;
    if (keyDown(VK_LWIN) || keyDown(VK_RWIN)) m |= hotkey_modifiers::kWin;
    return m;
}

bool isModifierKey(WPARAM vk) {
    switch (vk) {
        case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
        case VK_MENU: case VK_LMENU: case VK_RMENU:
        case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
        case VK_LWIN: case VK_RWIN: return true;
        default: return false;
    }
}

void refreshHotkeyRow() {
    redrawControl(ControlId::CaptureHotkey);
    // The row's notice is drawn on the page.
    if (settingsWindow != nullptr) InvalidateRect(settingsWindow, nullptr, FALSE);
}

}  // namespace

// ---- Clipboard --------------------------------------------------------------------

void copySavedImage() {
    if (mainWindow == nullptr || savedImagePath.empty()) return;
    switch (clipboardOffer.offer(mainWindow, savedImagePath)) {
        case ClipboardCopy::Offered:
            copiedNotice = true;
            SetTimer(mainWindow, static_cast<UINT_PTR>(TimerId::CopiedNotice), kCopiedNoticeMs, nullptr);
            redrawControl(ControlId::CopyImage);
            return;
        case ClipboardCopy::TooLarge: showAppMessage(tr(texts::copyTooLargeMessage), MB_ICONWARNING); return;
        case ClipboardCopy::Busy: showAppMessage(tr(texts::copyBusyMessage), MB_ICONWARNING); return;
        case ClipboardCopy::Unreadable:
        case ClipboardCopy::Failed: showAppMessage(tr(texts::copyFailedMessage), MB_ICONWARNING); return;
    }
}

bool copiedNoticeShown() { return copiedNotice; }

void endCopiedNotice() {
    if (mainWindow != nullptr) KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::CopiedNotice));
    copiedNotice = false;
    redrawControl(ControlId::CopyImage);
}

bool handleMainClipboardMessage(HWND window, UINT message, WPARAM wParam) {
    return handleClipboardMessage(clipboardOffer, window, message, wParam);
}

// ---- Capture hotkey ---------------------------------------------------------------

void registerCaptureHotkey(HWND window) {
    captureHotkey = std::make_unique<GlobalHotkey>(window, static_cast<int>(HotkeyId::CaptureFirst),
                                                   static_cast<int>(HotkeyId::CaptureSecond));
    // A chord another program holds stays the setting; the row says so.
    lastRegistration = captureHotkey->change(settings.captureHotkey);
}

void releaseCaptureHotkey() { captureHotkey.reset(); }

void onHotkeyMessage(WPARAM id) {
    if (!captureHotkey || !captureHotkey->owns(id)) return;
    if (saveInProgress || settingsWindow != nullptr || !isHomeLike(currentUiState())) return;
    beginSelection();
}

HotkeyRegistration changeCaptureHotkey(const HotkeyChord& chord) {
    if (!captureHotkey) return HotkeyRegistration::Failed;
    lastRegistration = captureHotkey->change(chord);
    if (lastRegistration == HotkeyRegistration::Registered || lastRegistration == HotkeyRegistration::Cleared) {
        if (!(settings.captureHotkey == chord)) {
            settings.captureHotkey = chord;
            saveSettings();  // a failed save keeps the chord for this run, like the switches
        }
    }
    refreshHotkeyRow();
    return lastRegistration;
}

HotkeyRegistration lastHotkeyRegistration() { return lastRegistration; }

// ---- Recording ---------------------------------------------------------------------

bool recordingHotkey() { return recordingControl != nullptr && IsWindow(recordingControl); }

void beginHotkeyRecording(HWND control) {
    recordingControl = control;
    refreshHotkeyRow();
}

void endHotkeyRecording() {
    if (recordingControl == nullptr) return;
    recordingControl = nullptr;
    refreshHotkeyRow();
}

bool recordHotkeyKey(UINT message, WPARAM vk) {
    if (!recordingHotkey()) return false;
    // PrintScreen often arrives only as a key-up.
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    if (up && vk != VK_SNAPSHOT) return false;
    if (isModifierKey(vk)) return true;
    const uint32_t modifiers = modifiersHeldNow();
    if (modifiers == 0 && vk == VK_ESCAPE) {
        endHotkeyRecording();
        return true;
    }
    if (modifiers == 0 && vk == VK_BACK) {
        endHotkeyRecording();
        changeCaptureHotkey(HotkeyChord{});
        return true;
    }
    const std::optional<HotkeyChord> chord = hotkeyChordFromKey(modifiers, static_cast<uint32_t>(vk));
    if (!chord) return true;  // not a chord a hotkey may be: keep listening
    endHotkeyRecording();
    changeCaptureHotkey(*chord);
    return true;
}

std::wstring hotkeyControlText() {
    if (recordingHotkey()) return tr(texts::hotkeyRecording);
    // The setting, also when another program held it at start (the row says so).
    const HotkeyChord& chord = settings.captureHotkey;
    if (chord.empty()) return tr(texts::hotkeyNone);
    return formatHotkeyChord(chord);
}

}  // namespace tf
