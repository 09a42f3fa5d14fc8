#pragma once
// The window an automatic capture scrolls when the wheel does not reach it:
// the window of another program under the rectangle's centre, as a click
// there would pick it (our capture overlay covers the rectangle), the
// ancestors that have a scroll bar, and the integrity level of the process
// owning it.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/capture/scroll_method.h"

namespace tf {

// What one direction of scrolling sends: the scroll bar message with its line
// step and its start, the keys of a line, a page and the start, and the style
// bit of that scroll bar. A sideways capture gets its own.
struct ScrollAxis {
    UINT message;
    WORD lineStep;
    WORD toStart;
    WORD lineKey;
    WORD pageKey;
    WORD startKey;
    LONG_PTR barStyle;
};
inline constexpr ScrollAxis kVerticalAxis{WM_VSCROLL, SB_LINEDOWN, SB_TOP, VK_DOWN, VK_NEXT, VK_HOME, WS_VSCROLL};
// No key pages sideways in general, so the horizontal axis has no page key.
inline constexpr ScrollAxis kHorizontalAxis{WM_HSCROLL, SB_LINERIGHT, SB_LEFT, VK_RIGHT, 0, VK_HOME, WS_HSCROLL};

class ScrollTarget {
public:
    explicit ScrollTarget(const ScrollAxis& axis = kVerticalAxis) : axis_(axis) {}

    // Finds the window under `at` (virtual-desktop pixels); the number of
    // windows a scroll bar message can go to, 0 when none was found.
    int32_t find(POINT at);
    // One step of `route` towards the end; false when it could not be delivered.
    bool sendStep(const ScrollRoute& route);
    // The scroll bar's start message to every target, then the start key.
    void sendToStart();
    // Of the process owning the window found; unknown when nothing was found.
    IntegrityLevel integrity() const;
    // The window found, or null.
    HWND window() const { return targets_.empty() ? nullptr : targets_.front(); }

private:
    bool sendScrollBarMessage(HWND window, WORD request);
    bool pressKey(WORD key);

    ScrollAxis axis_;
    std::vector<HWND> targets_;  // the window found, then its ancestors with a scroll bar
};

// The integrity level of our own process, read from its token.
IntegrityLevel ownProcessIntegrity();

}  // namespace tf
