#pragma once
// Which window of another program lies under a point of the screen, seen
// through our own windows: the selection overlay covers the whole desktop, so
// WindowFromPoint would only ever answer with it.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ground/rect.h"

namespace tf {

// The top-level windows of other programs that can take the pointer, top-most
// first, with their visible frames: taken once and hit-tested many times, as
// the pointer moves far more often than windows come and go.
class TopLevelWindows {
public:
    // Walks the z-order now.
    static TopLevelWindows take();
    // The top-most one whose frame (and window region) holds the point, or null.
    HWND at(POINT screenPoint) const;
    uint64_t takenAt() const { return takenAt_; }
    bool empty() const { return windows_.empty(); }

private:
    struct Entry {
        HWND window;
        RECT frame;
        RECT windowRect;
    };
    std::vector<Entry> windows_;
    uint64_t takenAt_ = 0;
};

// The deepest child under the point, starting at a top-level window.
HWND deepestChildAt(HWND topLevel, POINT screenPoint);

// The deepest visible, enabled-or-not window under `screenPoint` that belongs
// to another process: the top-most such top-level window in z-order (ours,
// invisible, minimised, cloaked, click-through and empty ones skipped), then
// its child windows under the point, repeatedly. Scroll-bar controls are not
// descended into: pointing at one means the window it scrolls. Null over the
// desktop or when nothing else is there.
HWND foreignWindowAt(POINT screenPoint);

// What a pick needs of one window: its client area and its visible scroll
// bars (standard and child controls), in virtual-desktop pixels.
struct PickWindowArea {
    HWND window = nullptr;
    Rect client;
    std::vector<Rect> scrollBars;
};

// From `window` up to its top-level window, deepest first; windows whose
// client area cannot be read are left out.
std::vector<PickWindowArea> pickAreasUpFrom(HWND window);

}  // namespace tf
