#pragma once
// The ways an automatic capture can move the area's content, and whether the
// system lets it reach the window at all. Many windows ignore synthesised
// wheel input but scroll on their scroll bar's messages or on the keyboard,
// so a capture tries these in turn and keeps the first that moves the
// picture. The names say what is sent, not which way: a sideways capture maps
// the same methods to the horizontal message and keys.

#include <cstdint>
#include <string_view>

namespace tf {

enum class ScrollMethod : int32_t {
    Wheel = 0,             // synthesised wheel notches at the rectangle's centre
    ScrollBarMessage = 1,  // a scroll bar's line step, sent to a window under the centre
    ArrowKey = 2,          // the arrow key, to that window made the foreground window
    PageKey = 3,           // the page key, likewise
    Person = 4,            // the person scrolls; the program only follows
    None = 5,              // nothing tried moved the picture
};

// The word of the capture log's header: "wheel", "scrollBarMessage",
// "arrowKey", "pageKey", "person", "none".
std::string_view scrollMethodName(ScrollMethod method);

// One way of scrolling as a capture tries it: a method and, for a scroll bar
// message, which of the windows under the centre gets it (0: the deepest one,
// then its ancestors that have a scroll bar, nearest first).
struct ScrollRoute {
    ScrollMethod method = ScrollMethod::Wheel;
    int32_t target = 0;
    bool operator==(const ScrollRoute&) const = default;
};

// The route tried after `route` when it moved nothing, with `messageTargets`
// windows a scroll bar message can go to (0: no window was found, so only the
// wheel is tried); ScrollMethod::None after the last one.
ScrollRoute nextScrollRoute(const ScrollRoute& route, int32_t messageTargets);

// A process's mandatory integrity level: the last sub-authority of its
// token's integrity SID (0x2000 medium, 0x3000 high, 0x4000 system), or
// unknown when it could not be read.
struct IntegrityLevel {
    bool known = false;
    uint32_t rid = 0;
    bool operator==(const IntegrityLevel&) const = default;
};

// True when the system drops our input to the target's window: its process
// runs at a higher integrity level than ours. An unknown level on either
// side decides nothing, so the capture goes ahead as it always did.
bool inputBlockedByIntegrity(const IntegrityLevel& ours, const IntegrityLevel& target);

}  // namespace tf
