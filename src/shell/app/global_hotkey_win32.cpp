#include "shell/app/global_hotkey_win32.h"

namespace tf {

static_assert(hotkey_modifiers::kAlt == MOD_ALT && hotkey_modifiers::kControl == MOD_CONTROL &&
              hotkey_modifiers::kShift == MOD_SHIFT && hotkey_modifiers::kWin == MOD_WIN &&
              hotkey_modifiers::kNoRepeat == MOD_NOREPEAT);

GlobalHotkey::GlobalHotkey(HWND window, int firstId, int secondId) noexcept
    : window_(window), ids_{firstId, secondId}, activeId_(firstId) {}

GlobalHotkey::~GlobalHotkey() { clear(); }

HotkeyRegistration GlobalHotkey::change(const HotkeyChord& chord) noexcept {
    if (chord.empty()) {
        clear();
        return HotkeyRegistration::Cleared;
    }
    if (chord == current_) return HotkeyRegistration::Registered;
    const int spareId = current_.empty() ? activeId_ : (activeId_ == ids_[0] ? ids_[1] : ids_[0]);
    if (!RegisterHotKey(window_, spareId, registerHotKeyModifiers(chord), chord.virtualKey)) {
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotkeyRegistration::InUse
                                                                 : HotkeyRegistration::Failed;
    }
    clear();
    activeId_ = spareId;
    current_ = chord;
    return HotkeyRegistration::Registered;
}

void GlobalHotkey::clear() noexcept {
    if (current_.empty()) return;
    UnregisterHotKey(window_, activeId_);
    current_ = HotkeyChord{};
}

}  // namespace tf
