#pragma once
// The capture hotkey, registered with RegisterHotKey on the main window and
// let go when its owner goes. A new chord is registered under the second of
// two ids before the old one is unregistered, so that a chord another program
// holds leaves the previous one working.
//
//   case WM_HOTKEY: if (captureHotkey.owns(wParam)) ...start the selection...

#include <windows.h>

#include "core/settings/hotkey_chord.h"

namespace tf {

enum class HotkeyRegistration {
    Registered,  // the chord is now the hotkey (also when it already was)
    Cleared,     // the empty chord: no hotkey any more
    InUse,       // another program (or window) holds the chord; the previous one stays
    Failed,      // any other refusal; the previous one stays
};

class GlobalHotkey {
public:
    // Registers nothing yet. The ids are the window's two hotkey ids.
    GlobalHotkey(HWND window, int firstId, int secondId) noexcept;
    ~GlobalHotkey();
    GlobalHotkey(const GlobalHotkey&) = delete;
    GlobalHotkey& operator=(const GlobalHotkey&) = delete;

    // Makes `chord` the hotkey; on any failure the current one stays registered.
    HotkeyRegistration change(const HotkeyChord& chord) noexcept;
    // Unregisters the current chord, if any.
    void clear() noexcept;

    // Whether a WM_HOTKEY's wParam is this hotkey.
    bool owns(WPARAM id) const noexcept { return !current_.empty() && static_cast<int>(id) == activeId_; }
    const HotkeyChord& current() const noexcept { return current_; }

private:
    HWND window_;
    int ids_[2];
    int activeId_;
    HotkeyChord current_;
};

}  // namespace tf
