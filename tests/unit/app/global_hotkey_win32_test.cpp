// RegisterHotKey under Wine: a chord held by another window is reported as in
// use and leaves the previous chord registered; chords are let go on change,
// on clear and with their owner.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <future>
#include <thread>

#include "shell/app/global_hotkey_win32.h"

namespace tf {
namespace {

constexpr int kFirstId = 1301, kSecondId = 1302;
const HotkeyChord kCtrlShiftPrint = defaultCaptureHotkey();
const HotkeyChord kCtrlAltF11{hotkey_modifiers::kControl | hotkey_modifiers::kAlt, 0x7A};
const HotkeyChord kShiftF10{hotkey_modifiers::kShift, 0x79};

HWND makeWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

// Another thread with a window of its own asks for a chord and reports.
HotkeyRegistration tryFromAnotherThread(const HotkeyChord& chord) {
    return std::async(std::launch::async, [&] {
               HWND window = makeWindow();
               HotkeyRegistration r;
               {
                   GlobalHotkey other(window, kFirstId, kSecondId);
                   r = other.change(chord);
               }
               DestroyWindow(window);
               return r;
           })
        .get();
}

TEST(GlobalHotkeyWin32, AChordHeldElsewhereIsInUseAndThePreviousOneStays) {
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    {
        GlobalHotkey hotkey(window, kFirstId, kSecondId);
        EXPECT_EQ(hotkey.change(kCtrlShiftPrint), HotkeyRegistration::Registered);
        EXPECT_EQ(hotkey.change(kCtrlShiftPrint), HotkeyRegistration::Registered);  // already ours
        EXPECT_TRUE(hotkey.owns(kFirstId));
        EXPECT_FALSE(hotkey.owns(kSecondId));
        EXPECT_EQ(tryFromAnotherThread(kCtrlShiftPrint), HotkeyRegistration::InUse);

        // The other side holds Ctrl+Alt+F11 while we ask for it.
        std::promise<void> held, release;
        std::thread holder([&] {
            HWND w = makeWindow();
            {
                GlobalHotkey other(w, kFirstId, kSecondId);
                EXPECT_EQ(other.change(kCtrlAltF11), HotkeyRegistration::Registered);
                held.set_value();
                release.get_future().wait();
            }
            DestroyWindow(w);
        });
        held.get_future().wait();
        EXPECT_EQ(hotkey.change(kCtrlAltF11), HotkeyRegistration::InUse);
        EXPECT_EQ(hotkey.current(), kCtrlShiftPrint);
        EXPECT_EQ(tryFromAnotherThread(kCtrlShiftPrint), HotkeyRegistration::InUse);  // still ours
        release.set_value();
        holder.join();

        // Now free: the new chord is taken under the other id and the old one let go.
        EXPECT_EQ(hotkey.change(kCtrlAltF11), HotkeyRegistration::Registered);
        EXPECT_TRUE(hotkey.owns(kSecondId));
        EXPECT_FALSE(hotkey.owns(kFirstId));
        EXPECT_EQ(tryFromAnotherThread(kCtrlShiftPrint), HotkeyRegistration::Registered);
        EXPECT_EQ(tryFromAnotherThread(kCtrlAltF11), HotkeyRegistration::InUse);

        EXPECT_EQ(hotkey.change(HotkeyChord{}), HotkeyRegistration::Cleared);
        EXPECT_FALSE(hotkey.owns(kFirstId) || hotkey.owns(kSecondId));
        EXPECT_EQ(tryFromAnotherThread(kCtrlAltF11), HotkeyRegistration::Registered);

        EXPECT_EQ(hotkey.change(kShiftF10), HotkeyRegistration::Registered);
    }
    // The owner went: its chord is free.
    EXPECT_EQ(tryFromAnotherThread(kShiftF10), HotkeyRegistration::Registered);
    DestroyWindow(window);
}

TEST(GlobalHotkeyWin32, OtherRefusalsAreNotInUse) {
    HWND gone = makeWindow();
    DestroyWindow(gone);
    GlobalHotkey hotkey(gone, kFirstId, kSecondId);
    EXPECT_EQ(hotkey.change(kShiftF10), HotkeyRegistration::Failed);
    EXPECT_TRUE(hotkey.current().empty());
}

TEST(GlobalHotkeyWin32, TheChordPressedArrivesAsTheHotkeyMessage) {
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    GlobalHotkey hotkey(window, kFirstId, kSecondId);
    ASSERT_EQ(hotkey.change(kCtrlAltF11), HotkeyRegistration::Registered);
    INPUT keys[6] = {};
    const WORD order[3] = {VK_CONTROL, VK_MENU, VK_F11};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(SendInput(6, keys, sizeof(INPUT)), 6u);
    bool arrived = false;
    const ULONGLONG end = GetTickCount64() + 3000;
    while (!arrived && GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY && msg.hwnd == window && hotkey.owns(msg.wParam)) arrived = true;
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    EXPECT_TRUE(arrived);
    DestroyWindow(window);
}

}  // namespace
}  // namespace tf
