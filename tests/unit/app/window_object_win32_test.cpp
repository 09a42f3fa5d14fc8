// A window made with an object as its creation parameter finds that object in
// every message from WM_NCCREATE on (WM_CREATE, where controls are made,
// included); a window made without one finds nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_window_object.h"

namespace tf {
namespace {

constexpr wchar_t kProbeClass[] = L"TallyframeWindowObjectProbe";

struct Probe {
    int seenAtCreate = 0;  // how many times WM_CREATE found this object
};

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Probe* probe = windowObjectForMessage<Probe>(window, message, lParam);
    if (message == WM_CREATE && probe != nullptr) ++probe->seenAtCreate;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND makeProbe(Probe* probe) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kProbeClass;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    return CreateWindowExW(0, kProbeClass, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleW(nullptr),
                           probe);
}

TEST(WindowObject, WindowsMadeWithAnObjectReachItAndOthersDoNot) {
    Probe first, second;
    HWND firstWindow = makeProbe(&first);
    HWND secondWindow = makeProbe(&second);
    HWND bare = makeProbe(nullptr);
    ASSERT_NE(firstWindow, nullptr);
    ASSERT_NE(secondWindow, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(first.seenAtCreate, 1);
    EXPECT_EQ(second.seenAtCreate, 1);

    struct Case {
        HWND window;
        Probe* expected;
    } cases[] = {{firstWindow, &first}, {secondWindow, &second}, {bare, nullptr}};
    for (const Case& c : cases) EXPECT_EQ(windowObjectForMessage<Probe>(c.window, WM_NULL, 0), c.expected);

    DestroyWindow(bare);
    DestroyWindow(secondWindow);
    DestroyWindow(firstWindow);
}

}  // namespace
}  // namespace tf
