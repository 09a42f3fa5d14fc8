#include "core/settings/hotkey_chord.h"

#include <cwctype>
#include <vector>

namespace tf {
namespace {

namespace vk {
constexpr uint32_t kBackspace = 0x08, kTab = 0x09, kEnter = 0x0D, kShift = 0x10, kControl = 0x11, kAlt = 0x12,
                   kPause = 0x13, kEscape = 0x1B, kSpace = 0x20, kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23,
                   kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kPrintScreen = 0x2C,
                   kInsert = 0x2D, kDelete = 0x2E, kLeftWin = 0x5B, kRightWin = 0x5C, kNumpad0 = 0x60,
                   kMultiply = 0x6A, kAdd = 0x6B, kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F, kF1 = 0x70,
                   kF12 = 0x7B, kF24 = 0x87, kScrollLock = 0x91, kLeftShift = 0xA0, kRightMenu = 0xA5, kOemPlus = 0xBB;
}  // namespace vk

struct NamedKey {
    uint32_t virtualKey;
    const wchar_t* name;  // the canonical name comes first in the table
};

// Keys with a fixed name; letters, digits and F1–F24 are computed.
constexpr NamedKey kNamedKeys[] = {
    {vk::kPrintScreen, L"PrintScreen"}, {vk::kPrintScreen, L"PrtSc"}, {vk::kPrintScreen, L"PrtScn"},
    {vk::kPrintScreen, L"Print"}, {vk::kPause, L"Pause"}, {vk::kScrollLock, L"ScrollLock"},
    {vk::kInsert, L"Insert"}, {vk::kInsert, L"Ins"}, {vk::kDelete, L"Delete"}, {vk::kDelete, L"Del"},
    {vk::kHome, L"Home"}, {vk::kEnd, L"End"}, {vk::kPageUp, L"PageUp"}, {vk::kPageUp, L"PgUp"},
    {vk::kPageDown, L"PageDown"}, {vk::kPageDown, L"PgDn"}, {vk::kUp, L"Up"}, {vk::kDown, L"Down"},
    {vk::kLeft, L"Left"}, {vk::kRight, L"Right"}, {vk::kSpace, L"Space"}, {vk::kTab, L"Tab"},
    {vk::kEnter, L"Enter"}, {vk::kEnter, L"Return"}, {vk::kEscape, L"Esc"}, {vk::kEscape, L"Escape"},
    {vk::kBackspace, L"Backspace"}, {vk::kMultiply, L"NumMultiply"}, {vk::kAdd, L"NumAdd"},
    {vk::kSubtract, L"NumSubtract"}, {vk::kDecimal, L"NumDecimal"}, {vk::kDivide, L"NumDivide"},
    {0xBA, L";"}, {vk::kOemPlus, L"="}, {vk::kOemPlus, L"Plus"}, {0xBC, L","}, {0xBD, L"-"}, {0xBD, L"Minus"},
    {0xBE, L"."}, {0xBF, L"/"}, {0xC0, L"`"}, {0xDB, L"["}, {0xDC, L"\\"}, {0xDD, L"]"}, {0xDE, L"'"},
};

constexpr const wchar_t* kNumpadNames[] = {L"Num0", L"Num1", L"Num2", L"Num3", L"Num4",
                                           L"Num5", L"Num6", L"Num7", L"Num8", L"Num9"};
constexpr const wchar_t* kFunctionNames[] = {L"F1",  L"F2",  L"F3",  L"F4",  L"F5",  L"F6",  L"F7",  L"F8",
                                             L"F9",  L"F10", L"F11", L"F12", L"F13", L"F14", L"F15", L"F16",
                                             L"F17", L"F18", L"F19", L"F20", L"F21", L"F22", L"F23", L"F24"};
constexpr const wchar_t* kLetterAndDigitNames[] = {
    L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"A", L"B", L"C", L"D", L"E", L"F", L"G", L"H",
    L"I", L"J", L"K", L"L", L"M", L"N", L"O", L"P", L"Q", L"R", L"S", L"T", L"U", L"V", L"W", L"X", L"Y", L"Z"};

struct ModifierName {
    uint32_t flag;
    const wchar_t* name;
};
// In canonical order; aliases after the canonical names.
constexpr ModifierName kModifierNames[] = {
    {hotkey_modifiers::kControl, L"Ctrl"}, {hotkey_modifiers::kAlt, L"Alt"},
    {hotkey_modifiers::kShift, L"Shift"},  {hotkey_modifiers::kWin, L"Win"},
    {hotkey_modifiers::kControl, L"Control"}, {hotkey_modifiers::kWin, L"Windows"},
};

bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
    return true;
}

std::wstring_view trimmed(std::wstring_view s) {
    while (!s.empty() && std::iswspace(static_cast<wint_t>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::iswspace(static_cast<wint_t>(s.back()))) s.remove_suffix(1);
    return s;
}

uint32_t modifierFlag(std::wstring_view name) {
    for (const ModifierName& m : kModifierNames)
        if (sameIgnoringCase(name, m.name)) return m.flag;
    return 0;
}

uint32_t keyFromName(std::wstring_view name) {
    for (uint32_t vk = 0x30; vk <= 0x5A; ++vk)
        if (const wchar_t* n = hotkeyKeyName(vk); n != nullptr && sameIgnoringCase(name, n)) return vk;
    for (uint32_t i = 0; i < 24; ++i)
        if (sameIgnoringCase(name, kFunctionNames[i])) return vk::kF1 + i;
    for (uint32_t i = 0; i < 10; ++i)
        if (sameIgnoringCase(name, kNumpadNames[i])) return vk::kNumpad0 + i;
    for (const NamedKey& k : kNamedKeys)
        if (sameIgnoringCase(name, k.name)) return k.virtualKey;
    return 0;
}

bool isModifierKey(uint32_t virtualKey) {
    return virtualKey == vk::kShift || virtualKey == vk::kControl || virtualKey == vk::kAlt ||
           virtualKey == vk::kLeftWin || virtualKey == vk::kRightWin ||
           (virtualKey >= vk::kLeftShift && virtualKey <= vk::kRightMenu);
}

// Keys that no program types with: they may be a hotkey on their own.
bool standsAlone(uint32_t virtualKey) {
    return (virtualKey >= vk::kF1 && virtualKey <= vk::kF24) || virtualKey == vk::kPrintScreen ||
           virtualKey == vk::kPause || virtualKey == vk::kScrollLock;
}

}  // namespace

HotkeyChord defaultCaptureHotkey() {
    return {hotkey_modifiers::kControl | hotkey_modifiers::kShift, vk::kPrintScreen};
}

const wchar_t* hotkeyKeyName(uint32_t virtualKey) {
    if (virtualKey >= 0x30 && virtualKey <= 0x39) return kLetterAndDigitNames[virtualKey - 0x30];
    if (virtualKey >= 0x41 && virtualKey <= 0x5A) return kLetterAndDigitNames[10 + virtualKey - 0x41];
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF24) return kFunctionNames[virtualKey - vk::kF1];
    if (virtualKey >= vk::kNumpad0 && virtualKey < vk::kNumpad0 + 10) return kNumpadNames[virtualKey - vk::kNumpad0];
    for (const NamedKey& k : kNamedKeys)
        if (k.virtualKey == virtualKey) return k.name;
    return nullptr;
}

std::optional<HotkeyChord> hotkeyChordFromKey(uint32_t modifiers, uint32_t virtualKey) {
    if ((modifiers & ~hotkey_modifiers::kAll) != 0) return std::nullopt;
    if (isModifierKey(virtualKey) || hotkeyKeyName(virtualKey) == nullptr) return std::nullopt;
    const uint32_t beyondShift = hotkey_modifiers::kControl | hotkey_modifiers::kAlt | hotkey_modifiers::kWin;
    if (!standsAlone(virtualKey) && (modifiers & beyondShift) == 0) return std::nullopt;
    // The system keeps F12 for the debugger; RegisterHotKey refuses it alone.
    if (virtualKey == vk::kF12 && (modifiers & beyondShift) == 0) return std::nullopt;
    return HotkeyChord{modifiers, virtualKey};
}

std::optional<HotkeyChord> parseHotkeyChord(std::wstring_view text) {
    text = trimmed(text);
    if (text.empty()) return HotkeyChord{};
    // "Ctrl++" names the key that carries "+": the last "+" is then the key.
    std::vector<std::wstring_view> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t plus = text.find(L'+', start);
        if (plus == std::wstring_view::npos) plus = text.size();
        std::wstring_view name = trimmed(text.substr(start, plus - start));
        if (name.empty() && plus + 1 == text.size() && text.back() == L'+') {
            names.push_back(L"Plus");
            break;
        }
        names.push_back(name);
        start = plus + 1;
    }
    uint32_t modifiers = 0, key = 0;
    for (const std::wstring_view name : names) {
        if (name.empty()) return std::nullopt;
        if (const uint32_t flag = modifierFlag(name)) {
            if ((modifiers & flag) != 0) return std::nullopt;
            modifiers |= flag;
            continue;
        }
        const uint32_t k = keyFromName(name);
        if (k == 0 || key != 0) return std::nullopt;
        key = k;
    }
    if (key == 0) return std::nullopt;
    return hotkeyChordFromKey(modifiers, key);
}

std::wstring formatHotkeyChord(const HotkeyChord& chord) {
    if (chord.empty()) return {};
    std::wstring text;
    for (size_t i = 0; i < 4; ++i) {
        if ((chord.modifiers & kModifierNames[i].flag) == 0) continue;
        text += kModifierNames[i].name;
        text += L'+';
    }
    const wchar_t* key = hotkeyKeyName(chord.virtualKey);
    text += key != nullptr ? key : L"?";
    return text;
}

}  // namespace tf
