#include "core/capture/scroll_method.h"

namespace tf {

std::string_view scrollMethodName(ScrollMethod method) {
    switch (method) {
        case ScrollMethod::Wheel: return "wheel";
        case ScrollMethod::ScrollBarMessage: return "scrollBarMessage";
        case ScrollMethod::ArrowKey: return "arrowKey";
        case ScrollMethod::PageKey: return "pageKey";
        case ScrollMethod::Person: return "person";
        case ScrollMethod::None: break;
    }
    return "none";
}

ScrollRoute nextScrollRoute(const ScrollRoute& route, int32_t messageTargets) {
    if (messageTargets <= 0) return {ScrollMethod::None};
    switch (route.method) {
        case ScrollMethod::Wheel: return {ScrollMethod::ScrollBarMessage, 0};
        case ScrollMethod::ScrollBarMessage:
            if (route.target + 1 < messageTargets) return {ScrollMethod::ScrollBarMessage, route.target + 1};
            return {ScrollMethod::ArrowKey};
        // A line at a time first: a page step may leave no overlap with a
        // rectangle smaller than the window.
        case ScrollMethod::ArrowKey: return {ScrollMethod::PageKey};
        case ScrollMethod::PageKey:
        case ScrollMethod::Person:
        case ScrollMethod::None: break;
    }
    return {ScrollMethod::None};
}

bool inputBlockedByIntegrity(const IntegrityLevel& ours, const IntegrityLevel& target) {
    return ours.known && target.known && target.rid > ours.rid;
}

}  // namespace tf
