#pragma once
// Which way a capture's content scrolls. Everything that matches and joins
// frames works downwards; a capture scrolled to the right is turned on its
// side at the stitching boundary (see core/stitch/orientation.h).

#include <optional>
#include <string_view>

namespace tf {

enum class ScrollDirection { Down, Right };

// The words used on the command line and in the capture log: "down", "right".
constexpr std::string_view directionName(ScrollDirection direction) {
    return direction == ScrollDirection::Right ? "right" : "down";
}

// The direction a word names, compared exactly; nullopt for any other word.
constexpr std::optional<ScrollDirection> directionFromName(std::string_view word) {
    if (word == "down") return ScrollDirection::Down;
    if (word == "right") return ScrollDirection::Right;
    return std::nullopt;
}

}  // namespace tf
