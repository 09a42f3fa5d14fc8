#include <gtest/gtest.h>

#include <string>

#include "core/settings/hotkey_chord.h"

namespace tf {
namespace {

using namespace hotkey_modifiers;

std::string narrow(const wchar_t* text) {
    std::string s;
    for (; *text != 0; ++text) s.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return s;
}

constexpr uint32_t kPrintScreen = 0x2C, kF1 = 0x70, kF12 = 0x7B, kF24 = 0x87, kA = 0x41, kZero = 0x30,
                   kEsc = 0x1B, kOemPlus = 0xBB, kOemMinus = 0xBD, kNum7 = 0x67, kDelete = 0x2E, kSpace = 0x20;

TEST(HotkeyChord, TextParsesToModifiersAndKey) {
    struct Case {
        const wchar_t* text;
        uint32_t modifiers;
        uint32_t key;
        const wchar_t* canonical;
    } cases[] = {
        {L"Ctrl+Shift+PrintScreen", kControl | kShift, kPrintScreen, L"Ctrl+Shift+PrintScreen"},
        {L"shift+CTRL+printscreen", kControl | kShift, kPrintScreen, L"Ctrl+Shift+PrintScreen"},
        {L"  Shift + Ctrl + PrtSc  ", kControl | kShift, kPrintScreen, L"Ctrl+Shift+PrintScreen"},
        {L"PrintScreen", 0, kPrintScreen, L"PrintScreen"},
        {L"win+alt+shift+control+a", kControl | kAlt | kShift | kWin, kA, L"Ctrl+Alt+Shift+Win+A"},
        {L"Windows+0", kWin, kZero, L"Win+0"},
        {L"F1", 0, kF1, L"F1"},
        {L"shift+f11", kShift, kF12 - 1, L"Shift+F11"},
        {L"ctrl+f12", kControl, kF12, L"Ctrl+F12"},
        {L"Alt+F24", kAlt, kF24, L"Alt+F24"},
        {L"Ctrl+Esc", kControl, kEsc, L"Ctrl+Esc"},
        {L"Ctrl+Escape", kControl, kEsc, L"Ctrl+Esc"},
        {L"Ctrl+Alt+Del", kControl | kAlt, kDelete, L"Ctrl+Alt+Delete"},
        {L"Ctrl++", kControl, kOemPlus, L"Ctrl+="},
        {L"Ctrl+=", kControl, kOemPlus, L"Ctrl+="},
        {L"Ctrl+Plus", kControl, kOemPlus, L"Ctrl+="},
        {L"Alt+-", kAlt, kOemMinus, L"Alt+-"},
        {L"Ctrl+Num7", kControl, kNum7, L"Ctrl+Num7"},
        {L"Ctrl+Space", kControl, kSpace, L"Ctrl+Space"},
        {L"Pause", 0, 0x13, L"Pause"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.text));
        const auto chord = parseHotkeyChord(c.text);
        ASSERT_TRUE(chord.has_value());
        EXPECT_EQ(chord->modifiers, c.modifiers);
        EXPECT_EQ(chord->virtualKey, c.key);
        EXPECT_EQ(formatHotkeyChord(*chord), c.canonical);
        EXPECT_EQ(parseHotkeyChord(formatHotkeyChord(*chord)), chord);
    }
}

TEST(HotkeyChord, BlankTextIsNoHotkey) {
    for (const wchar_t* text : {L"", L"   ", L"\t"}) {
        const auto chord = parseHotkeyChord(text);
        ASSERT_TRUE(chord.has_value());
        EXPECT_TRUE(chord->empty());
    }
    EXPECT_EQ(formatHotkeyChord(HotkeyChord{}), L"");
}

TEST(HotkeyChord, TextThatIsNoChordIsRefused) {
    for (const wchar_t* text : {
             L"Ctrl+Shift",          // no key
             L"Ctrl+",               // dangling plus
             L"+A",                  // empty name
             L"Ctrl++A",             // empty name in the middle
             L"Ctrl+A+B",            // two keys
             L"Ctrl+Ctrl+A",         // doubled modifier
             L"Control+Ctrl+A",      // doubled through an alias
             L"Hyper+A",             // unknown modifier
             L"Ctrl+F25",            // no such function key
             L"Ctrl+F0",
             L"Ctrl+AA",
             L"Ctrl Shift A",        // no separators
             L"A",                   // would take typing away from every program
             L"Shift+A",
             L"Shift+7",
             L"Space",
             L"Esc",
             L"Delete",
             L"F12",                 // kept for the debugger
             L"Shift+F12",
             L"+",
             L"Ctrl+\u622A",         // a name in another script
         }) {
        EXPECT_FALSE(parseHotkeyChord(text).has_value()) << narrow(text);
    }
}

TEST(HotkeyChord, PressedKeysFollowTheSameRules) {
    struct Case {
        uint32_t modifiers;
        uint32_t key;
        bool accepted;
    } cases[] = {
        {kControl | kShift, kPrintScreen, true},
        {0, kF1, true},
        {kShift, kA, false},
        {kControl, 0x11, false},      // the Ctrl key itself
        {kControl, 0xA2, false},      // left Ctrl
        {kAlt, 0x5B, false},          // left Win
        {kControl, 0xFF, false},      // a key without a name
        {kControl | kNoRepeat, kA, false},
        {kWin, kA, true},
    };
    for (const Case& c : cases) {
        const auto chord = hotkeyChordFromKey(c.modifiers, c.key);
        EXPECT_EQ(chord.has_value(), c.accepted) << c.modifiers << " " << c.key;
        if (chord) {
            EXPECT_EQ(*chord, (HotkeyChord{c.modifiers, c.key}));
        }
    }
}

TEST(HotkeyChord, EveryNamedKeyRoundTrips) {
    int named = 0;
    for (uint32_t key = 1; key < 0x100; ++key) {
        const wchar_t* name = hotkeyKeyName(key);
        if (name == nullptr) continue;
        ++named;
        const HotkeyChord chord{kControl | kAlt, key};
        const auto back = parseHotkeyChord(formatHotkeyChord(chord));
        ASSERT_TRUE(back.has_value()) << key;
        EXPECT_EQ(*back, chord) << key;
    }
    EXPECT_GE(named, 36 + 24 + 10);
}

TEST(HotkeyChord, RegisterHotKeyGetsTheModifiersWithoutRepeat) {
    EXPECT_EQ(registerHotKeyModifiers(defaultCaptureHotkey()), 0x0002u | 0x0004u | 0x4000u);
    EXPECT_EQ(registerHotKeyModifiers(HotkeyChord{0, kF1}), 0x4000u);
    EXPECT_EQ(defaultCaptureHotkey(), (HotkeyChord{kControl | kShift, kPrintScreen}));
}

}  // namespace
}  // namespace tf
