#include "shell/capture/target_window_win32.h"

#include <dwmapi.h>

#include <algorithm>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_rect.h"

namespace tf {

namespace {

bool contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool isScrollBarControl(HWND window) {
    wchar_t name[16] = {};
    // GetClassNameW cuts a longer name: "ScrollBar" fits and nothing longer matches.
    return GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 && lstrcmpiW(name, L"ScrollBar") == 0;
}

bool cloaked(HWND window) {
    DWORD value = 0;
    // Fails where there is no compositor (and under Wine): then nothing is cloaked.
    return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &value, sizeof value)) && value != 0;
}

// The visible frame: on Windows 10 and later a top-level window's rectangle
// includes invisible resize borders that belong, to the eye, to what is behind.
bool visibleFrame(HWND window, RECT& frame) {
    if (SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame)) &&
        frame.right > frame.left && frame.bottom > frame.top)
        return true;
    return GetWindowRect(window, &frame) != FALSE;
}

// A window shaped by a region takes the pointer only inside it.
bool regionHolds(HWND window, const RECT& windowRect, POINT p) {
    UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    if (!region) return true;
    HRGN rgn = static_cast<HRGN>(region.get());
    const int kind = GetWindowRgn(window, rgn);
    if (kind == ERROR || kind == NULLREGION) return kind == ERROR;  // ERROR: no region of its own
    return PtInRegion(rgn, p.x - windowRect.left, p.y - windowRect.top) != FALSE;
}

// A window that can take the pointer somewhere: ours, hidden, minimised,
// click-through and cloaked ones cannot.
bool candidateTopLevel(HWND window, DWORD ourProcess, RECT& frame, RECT& windowRect) {
    if (!IsWindowVisible(window) || IsIconic(window)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == 0 || process == ourProcess) return false;
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0) return false;
    if (!GetWindowRect(window, &windowRect) || !visibleFrame(window, frame)) return false;
    if (frame.right <= frame.left || frame.bottom <= frame.top) return false;
    return !cloaked(window);
}

bool clientInScreen(HWND window, Rect& client) {
    RECT rc{};
    if (!GetClientRect(window, &rc)) return false;
    POINT corners[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
    SetLastError(0);
    if (MapWindowPoints(window, nullptr, corners, 2) == 0 && GetLastError() != 0) return false;
    // A right-to-left window maps its left edge to the right.
    client = {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
              std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
    return true;
}

void addStandardBar(HWND window, LONG which, std::vector<Rect>& bars) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(window, which, &info)) return;
    if ((info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) != 0) return;
    bars.push_back(toRect(info.rcScrollBar));
}

struct ChildBars {
    HWND parent;
    std::vector<Rect>* bars;
};

BOOL CALLBACK collectChildBar(HWND child, LPARAM context) {
    ChildBars& found = *reinterpret_cast<ChildBars*>(context);
    RECT r{};
    // EnumChildWindows goes into grandchildren too; only the window's own bars count.
    if (GetParent(child) == found.parent && IsWindowVisible(child) && isScrollBarControl(child) &&
        GetWindowRect(child, &r))
        found.bars->push_back(toRect(r));
    return TRUE;
}

std::vector<Rect> scrollBarsOf(HWND window) {
    std::vector<Rect> bars;
    addStandardBar(window, OBJID_VSCROLL, bars);
    addStandardBar(window, OBJID_HSCROLL, bars);
    ChildBars found{window, &bars};
    EnumChildWindows(window, collectChildBar, reinterpret_cast<LPARAM>(&found));
    return bars;
}

}  // namespace

TopLevelWindows TopLevelWindows::take() {
    TopLevelWindows taken;
    taken.takenAt_ = GetTickCount64();
    const DWORD ourProcess = GetCurrentProcessId();
    const HWND shell = GetShellWindow();
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        Entry e{w, {}, {}};
        if (!candidateTopLevel(w, ourProcess, e.frame, e.windowRect)) continue;
        taken.windows_.push_back(e);
        // Nothing below the desktop can be pointed at.
        if (w == shell) break;
    }
    return taken;
}

HWND TopLevelWindows::at(POINT p) const {
    const HWND shell = GetShellWindow();
    for (const Entry& e : windows_) {
        if (!contains(e.frame, p) || !regionHolds(e.window, e.windowRect, p)) continue;
        // A window closed since the list was taken is no longer there to pick.
        if (!IsWindow(e.window)) continue;
        return e.window == shell ? nullptr : e.window;
    }
    return nullptr;
}

HWND deepestChildAt(HWND topLevel, POINT p) {
    HWND deepest = topLevel;
    // Each step goes one level down and a window is never its own child, so
    // the depth of the tree bounds the loop.
    while (deepest != nullptr) {
        POINT local = p;
        if (!ScreenToClient(deepest, &local)) break;
        const HWND child = ChildWindowFromPointEx(deepest, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == deepest || isScrollBarControl(child)) break;
        deepest = child;
    }
    return deepest;
}

HWND foreignWindowAt(POINT p) {
    const HWND top = TopLevelWindows::take().at(p);
    return top == nullptr ? nullptr : deepestChildAt(top, p);
}

std::vector<PickWindowArea> pickAreasUpFrom(HWND window) {
    std::vector<PickWindowArea> areas;
    for (HWND w = window; w != nullptr; w = (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(w) : nullptr) {
        PickWindowArea area;
        area.window = w;
        if (!clientInScreen(w, area.client)) continue;
        area.scrollBars = scrollBarsOf(w);
        areas.push_back(std::move(area));
    }
    return areas;
}

}  // namespace tf
