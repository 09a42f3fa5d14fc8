#include "shell/app/copy_and_hotkey_win32.h"

#include <memory>
#include <optional>
#include <string>

#include "shell/app/app_messages_win32.h"
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

void redrawControl(const Application& app, ControlId id) {
    if (HWND c = controlSlot(app, id)) InvalidateRect(c, nullptr, TRUE);
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

void refreshHotkeyRow(const Application& app) {
    redrawControl(app, ControlId::CaptureHotkey);
    // The row's notice is drawn on the page.
    if (app.settingsWindow.isOpen()) InvalidateRect(app.settingsWindow.handle(), nullptr, FALSE);
}

}  // namespace

// ---- Clipboard --------------------------------------------------------------------

void copySavedImage(Application& app) { copyImageFileOf(app, app.save.savedImagePath()); }

void copyImageFileOf(Application& app, const std::wstring& file) {
    const HWND mainWindow = app.main.window();
    if (mainWindow == nullptr || file.empty()) return;
    const UiLanguage lang = app.settings.language;
    switch (app.copyAndHotkey.clipboardOffer.offer(mainWindow, file)) {
        case ClipboardCopy::Offered:
            app.copyAndHotkey.copiedNotice = true;
            SetTimer(mainWindow, static_cast<UINT_PTR>(TimerId::CopiedNotice), kCopiedNoticeMs, nullptr);
            redrawControl(app, ControlId::CopyImage);
            return;
        case ClipboardCopy::TooLarge: showAppMessage(app, tr(lang, texts::copyTooLargeMessage), MB_ICONWARNING); return;
        case ClipboardCopy::Busy: showAppMessage(app, tr(lang, texts::copyBusyMessage), MB_ICONWARNING); return;
        case ClipboardCopy::Unreadable:
        case ClipboardCopy::Failed: showAppMessage(app, tr(lang, texts::copyFailedMessage), MB_ICONWARNING); return;
    }
}

void endCopiedNotice(Application& app) {
    if (app.main.window() != nullptr) KillTimer(app.main.window(), static_cast<UINT_PTR>(TimerId::CopiedNotice));
    app.copyAndHotkey.copiedNotice = false;
    redrawControl(app, ControlId::CopyImage);
}

bool handleMainClipboardMessage(CopyAndHotkeyState& state, HWND window, UINT message, WPARAM wParam) {
    return handleClipboardMessage(state.clipboardOffer, window, message, wParam);
}

// ---- Capture hotkey ---------------------------------------------------------------

void registerCaptureHotkey(Application& app, HWND window) {
    CopyAndHotkeyState& state = app.copyAndHotkey;
    state.captureHotkey = std::make_unique<GlobalHotkey>(window, static_cast<int>(HotkeyId::CaptureFirst),
                                                         static_cast<int>(HotkeyId::CaptureSecond));
    // A chord another program holds stays the setting; the row says so.
    state.lastRegistration = state.captureHotkey->change(app.settings.captureHotkey);
}

void releaseCaptureHotkey(CopyAndHotkeyState& state) { state.captureHotkey.reset(); }

void onHotkeyMessage(Application& app, WPARAM id) {
    const CopyAndHotkeyState& state = app.copyAndHotkey;
    if (!state.captureHotkey || !state.captureHotkey->owns(id)) return;
    // Pressed again while a capture runs, the hotkey finishes it as Esc does.
    if (currentUiState(app) == UiState::Capturing) {
        requestCaptureFinish(app.capture);
        return;
    }
    if (app.save.inProgress() || app.settingsWindow.isOpen() || !isHomeLike(currentUiState(app))) return;
    beginSelection(app.capture);
}

HotkeyRegistration changeCaptureHotkey(Application& app, const HotkeyChord& chord) {
    CopyAndHotkeyState& state = app.copyAndHotkey;
    if (!state.captureHotkey) return HotkeyRegistration::Failed;
    state.lastRegistration = state.captureHotkey->change(chord);
    if (state.lastRegistration == HotkeyRegistration::Registered ||
        state.lastRegistration == HotkeyRegistration::Cleared) {
        if (!(app.settings.captureHotkey == chord)) {
            app.settings.captureHotkey = chord;
            saveSettings(app.settings);  // a failed save keeps the chord for this run, like the switches
        }
    }
    refreshHotkeyRow(app);
    return state.lastRegistration;
}

// ---- Recording ---------------------------------------------------------------------

bool recordingHotkey(const CopyAndHotkeyState& state) {
    return state.recordingControl != nullptr && IsWindow(state.recordingControl);
}

void beginHotkeyRecording(Application& app, HWND control) {
    app.copyAndHotkey.recordingControl = control;
    refreshHotkeyRow(app);
}

void endHotkeyRecording(Application& app) {
    if (app.copyAndHotkey.recordingControl == nullptr) return;
    app.copyAndHotkey.recordingControl = nullptr;
    refreshHotkeyRow(app);
}

bool recordHotkeyKey(Application& app, UINT message, WPARAM vk) {
    if (!recordingHotkey(app.copyAndHotkey)) return false;
    // PrintScreen often arrives only as a key-up.
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    if (up && vk != VK_SNAPSHOT) return false;
    if (isModifierKey(vk)) return true;
    const uint32_t modifiers = modifiersHeldNow();
    if (modifiers == 0 && vk == VK_ESCAPE) {
        endHotkeyRecording(app);
        return true;
    }
    if (modifiers == 0 && vk == VK_BACK) {
        endHotkeyRecording(app);
        changeCaptureHotkey(app, HotkeyChord{});
        return true;
    }
    const std::optional<HotkeyChord> chord = hotkeyChordFromKey(modifiers, static_cast<uint32_t>(vk));
    if (!chord) return true;  // not a chord a hotkey may be: keep listening
    endHotkeyRecording(app);
    changeCaptureHotkey(app, *chord);
    return true;
}

std::wstring hotkeyControlText(const Application& app) {
    const UiLanguage lang = app.settings.language;
    if (recordingHotkey(app.copyAndHotkey)) return tr(lang, texts::hotkeyRecording);
    // The setting, also when another program held it at start (the row says so).
    const HotkeyChord& chord = app.settings.captureHotkey;
    if (chord.empty()) return tr(lang, texts::hotkeyNone);
    return formatHotkeyChord(chord);
}

}  // namespace tf
