#pragma once
// A keyboard chord as the settings file and the settings window show it
// ("Ctrl+Shift+PrintScreen") and as RegisterHotKey takes it (modifier flags and
// a virtual-key code). Portable: the codes are the platform's own values.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tf {

// The values of RegisterHotKey's MOD_* flags.
namespace hotkey_modifiers {
inline constexpr uint32_t kAlt = 0x0001;
inline constexpr uint32_t kControl = 0x0002;
inline constexpr uint32_t kShift = 0x0004;
inline constexpr uint32_t kWin = 0x0008;
inline constexpr uint32_t kNoRepeat = 0x4000;
inline constexpr uint32_t kAll = kAlt | kControl | kShift | kWin;
}  // namespace hotkey_modifiers

struct HotkeyChord {
    uint32_t modifiers = 0;   // hotkey_modifiers, without kNoRepeat
    uint32_t virtualKey = 0;  // 0: no chord at all

    bool empty() const { return virtualKey == 0; }
    friend bool operator==(const HotkeyChord&, const HotkeyChord&) = default;
};

// Ctrl+Shift+PrintScreen.
HotkeyChord defaultCaptureHotkey();

// Blank text gives the empty chord (no hotkey); nullopt means the text is not
// a chord: an unknown or doubled name, no key or two keys, or a key that would
// take ordinary typing away from every program (a letter, digit, punctuation,
// Space, Enter, Tab, Backspace or Esc without Ctrl, Alt or Win), or F12
// without them (kept for the debugger). Names are
// matched ignoring case, modifiers in any order, blanks around names ignored.
std::optional<HotkeyChord> parseHotkeyChord(std::wstring_view text);

// The same rules for a chord that was pressed: nullopt when the key has no
// name, is a modifier itself, or needs a modifier it lacks.
std::optional<HotkeyChord> hotkeyChordFromKey(uint32_t modifiers, uint32_t virtualKey);

// Canonical text: Ctrl, Alt, Shift, Win, then the key, joined by "+"; empty
// for the empty chord. parseHotkeyChord(formatHotkeyChord(c)) == c.
std::wstring formatHotkeyChord(const HotkeyChord& chord);

// The key's own name ("PrintScreen", "F13", "A"), or nullptr for a key without one.
const wchar_t* hotkeyKeyName(uint32_t virtualKey);

// The fsModifiers argument of RegisterHotKey: held keys do not repeat the hotkey.
inline uint32_t registerHotKeyModifiers(const HotkeyChord& chord) {
    return (chord.modifiers & hotkey_modifiers::kAll) | hotkey_modifiers::kNoRepeat;
}

}  // namespace tf
