#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_handles.h"
#include "shell/capture/target_window_win32.h"

namespace tf {

static bool operator==(const RECT& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

// A pane with a standard vertical scroll bar at (x, y), holding a list-like
// child with a scroll-bar control of its own along its right edge.
class PaneWithBars {
public:
    PaneWithBars(int x, int y) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TallyframePickTest";
        RegisterClassW(&wc);
        pane_.reset(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE | WS_VSCROLL, x, y,
                                    600, 400, nullptr, nullptr, wc.hInstance, nullptr));
        if (!pane_) return;
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 999, 100, 0, 0};
        SetScrollInfo(pane_.get(), SB_VERT, &info, TRUE);
        list_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 20, 300, 200, pane_.get(),
                                nullptr, wc.hInstance, nullptr);
        if (list_ == nullptr) return;
        listBar_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 283, 0, 17, 200, list_,
                                   nullptr, wc.hInstance, nullptr);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    bool ok() const { return pane_ && list_ != nullptr && listBar_ != nullptr; }
    HWND pane() const { return pane_.get(); }
    HWND list() const { return list_; }
    HWND listBar() const { return listBar_; }

private:
    UniqueWindow pane_;  // destroys its children with it
    HWND list_ = nullptr;
    HWND listBar_ = nullptr;
};

RECT screenClient(HWND w) {
    RECT rc{};
    GetClientRect(w, &rc);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT windowRect(HWND w) {
    RECT rc{};
    GetWindowRect(w, &rc);
    return rc;
}

TEST(PickTargetWindow, AreasRunFromTheDeepestWindowUpWithTheirBars) {
    PaneWithBars pane(150, 130);
    ASSERT_TRUE(pane.ok());
    const std::vector<PickWindowArea> areas = pickAreasUpFrom(pane.list());
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].window, pane.list());
    EXPECT_EQ(areas[1].window, pane.pane());
    EXPECT_TRUE(screenClient(pane.list()) == areas[0].client);
    EXPECT_TRUE(screenClient(pane.pane()) == areas[1].client);
    // The list's own scroll-bar control, and only on the list: not on the pane.
    const RECT listBar = windowRect(pane.listBar());
    EXPECT_TRUE(std::any_of(areas[0].scrollBars.begin(), areas[0].scrollBars.end(),
                            [&](const Rect& r) { return listBar == r; }));
    EXPECT_FALSE(std::any_of(areas[1].scrollBars.begin(), areas[1].scrollBars.end(),
                             [&](const Rect& r) { return listBar == r; }));
    // The pane's standard bar lies right of its client area.
    ASSERT_FALSE(areas[1].scrollBars.empty());
    EXPECT_GE(areas[1].scrollBars.front().left, areas[1].client.right);
}

TEST(PickTargetWindow, NeverAnswersWithOurOwnWindows) {
    PaneWithBars pane(150, 130);
    ASSERT_TRUE(pane.ok());
    // Our top-most pane covers these points; whatever lies under it belongs to another program.
    for (const POINT p : {POINT{160, 140}, POINT{250, 200}, POINT{700, 500}}) {
        const HWND found = foreignWindowAt(p);
        if (found == nullptr) continue;
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        EXPECT_NE(process, GetCurrentProcessId()) << p.x << "," << p.y;
    }
}

TEST(PickTargetWindow, NoAreasForNoWindow) { EXPECT_TRUE(pickAreasUpFrom(nullptr).empty()); }

}  // namespace
}  // namespace tf
