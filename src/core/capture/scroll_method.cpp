#include "core/capture/scroll_method.h"

namespace tf {

std::string_view scrollMethodName(ScrollMethod method) {
    switch (method) {
        case ScrollMethod::Wheel: return "wheel";
        case ScrollMethod::ScrollBarMessage: return "scrollBarMessage";
        case ScrollMethod::ArrowKey: return "arrowKey";
        case ScrollMethod::PageKey: return "pageKey";
        case ScrollMethod::Person: return "person";
        case ScrollMethod::ShiftWheel: return "shiftWheel";
        case ScrollMethod::None: break;
    }
    return "none";
}

ScrollRoute nextScrollRoute(const ScrollRoute& route, int32_t messageTargets) {
    const ScrollDirection direction = route.direction;
    const bool sideways = direction == ScrollDirection::Right;
    // The Shift wheel goes where the wheel goes, so it needs no window found.
    if (sideways && route.method == ScrollMethod::Wheel) return {ScrollMethod::ShiftWheel, 0, direction};
    if (messageTargets <= 0) return {ScrollMethod::None, 0, direction};
    switch (route.method) {
        case ScrollMethod::Wheel:
        case ScrollMethod::ShiftWheel: return {ScrollMethod::ScrollBarMessage, 0, direction};
        case ScrollMethod::ScrollBarMessage:
            if (route.target + 1 < messageTargets)
                return {ScrollMethod::ScrollBarMessage, route.target + 1, direction};
            return {ScrollMethod::ArrowKey, 0, direction};
        // A line at a time first: a page step may leave no overlap with a
        // rectangle smaller than the window.
        case ScrollMethod::ArrowKey:
            if (!sideways) return {ScrollMethod::PageKey, 0, direction};
            break;
        case ScrollMethod::PageKey:
        case ScrollMethod::Person:
        case ScrollMethod::None: break;
    }
    return {ScrollMethod::None, 0, direction};
}

bool inputBlockedByIntegrity(const IntegrityLevel& ours, const IntegrityLevel& target) {
    return ours.known && target.known && target.rid > ours.rid;
}

}  // namespace tf
