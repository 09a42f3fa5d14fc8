#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_handles.h"
#include "shell/capture/scroll_target_win32.h"

namespace tf {
namespace {

// A visible top-most window of this process, as the capture overlay is.
UniqueWindow ourWindowAt(int x, int y) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TallyframeScrollTargetTest";
    RegisterClassW(&wc);
    UniqueWindow w(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE | WS_VSCROLL, x, y,
                                   200, 200, nullptr, nullptr, wc.hInstance, nullptr));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return w;
}

bool belongsToUs(HWND w) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    return process == GetCurrentProcessId();
}

TEST(ScrollTarget, OurOwnWindowsAreNeverTheTarget) {
    const UniqueWindow ours = ourWindowAt(60, 60);
    ASSERT_TRUE(ours);
    ScrollTarget target;
    const int32_t found = target.find(POINT{160, 160});
    if (found == 0) {
        EXPECT_EQ(target.window(), nullptr);
        EXPECT_FALSE(target.integrity().known);
    } else {
        ASSERT_NE(target.window(), nullptr);
        EXPECT_FALSE(belongsToUs(target.window()));
    }
}

TEST(ScrollTarget, NothingFoundDeliversNothing) {
    ScrollTarget target;  // no search made
    for (const ScrollRoute route : {ScrollRoute{ScrollMethod::ScrollBarMessage, 0}, ScrollRoute{ScrollMethod::ArrowKey},
                                    ScrollRoute{ScrollMethod::PageKey}, ScrollRoute{ScrollMethod::Wheel}})
        EXPECT_FALSE(target.sendStep(route)) << static_cast<int>(route.method);
    EXPECT_FALSE(target.integrity().known);
    target.sendToStart();  // must not reach any window
}

TEST(ScrollTarget, OwnIntegrityIsAStandardLevelWhenKnown) {
    const IntegrityLevel own = ownProcessIntegrity();
    if (!own.known) GTEST_SKIP() << "the token's integrity level cannot be read here";
    // Untrusted 0, low 0x1000, medium 0x2000, medium plus 0x2100, high 0x3000, system 0x4000.
    EXPECT_LE(own.rid, 0x4000u);
    EXPECT_EQ(own.rid % 0x100, 0u);
}

}  // namespace
}  // namespace tf
