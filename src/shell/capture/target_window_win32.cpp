#include "shell/capture/target_window_win32.h"

#include <dwmapi.h>

#include <algorithm>

#include "platform/win32/win32_handles.h"

namespace tf {

namespace {

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

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

bool pointsAtTopLevel(HWND window, POINT p, DWORD ourProcess) {
    if (!IsWindowVisible(window) || IsIconic(window)) return false;
    RECT frame{};
    if (!visibleFrame(window, frame) || !contains(frame, p)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == 0 || process == ourProcess) return false;
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0) return false;
    if (cloaked(window)) return false;
    RECT windowRect{};
    if (!GetWindowRect(window, &windowRect)) return false;
    return regionHolds(window, windowRect, p);
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

HWND foreignWindowAt(POINT p) {
    const DWORD ourProcess = GetCurrentProcessId();
    const HWND shell = GetShellWindow();
    HWND top = nullptr;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!pointsAtTopLevel(w, p, ourProcess)) continue;
        top = w;
        break;
    }
    if (top == nullptr || top == shell) return nullptr;
    HWND deepest = top;
    // Each step goes one level down; a window is never its own child, so the depth bounds the loop.
    for (;;) {
        POINT local = p;
        if (!ScreenToClient(deepest, &local)) break;
        const HWND child = ChildWindowFromPointEx(deepest, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == deepest || isScrollBarControl(child)) break;
        deepest = child;
    }
    return deepest;
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
