#pragma once
// Plain points, sizes and rectangles in integer pixels or DIPs, and a
// rectangle with fractions for drawing. The vocabulary every layer shares.

#include <cstdint>

namespace tf {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Size&) const = default;
};

// (left, top, right, bottom); right and bottom are exclusive, as in Win32.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The rectangle with rows and columns exchanged, as a picture turned on its
// side (about the diagonal) holds it.
inline Rect transposed(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }

// A rectangle in DIPs with fractions, as the page painter draws it.
struct RectF {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
    bool operator==(const RectF&) const = default;
};

}  // namespace tf
