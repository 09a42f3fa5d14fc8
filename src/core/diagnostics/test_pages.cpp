#include "core/diagnostics/test_pages.h"

#include <algorithm>

namespace tf {

namespace {

// Paints [x0, x1) × [y0, y1], both row ends inclusive, clipped to the picture.
void fill(PixelImage& img, int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint32_t colour) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, img.width);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, img.height - 1);
    for (int32_t y = y0; y <= y1; ++y) {
        uint32_t* row = img.row(y);
        for (int32_t x = x0; x < x1; ++x) row[x] = colour;
    }
}

}  // namespace

PixelImage makeTestPage(int32_t width, int32_t height, bool repeatedText) {
    PixelImage page(width, height, 0xFFFFFFFFu);
    if (width <= 180 || height - 20 < 36) return page;
    for (int32_t top = 35, k = 0; top < height - 20; top += 92, ++k) {
        const int32_t p = repeatedText ? k % 4 : k;
        fill(page, std::min(52, width), std::min((p * 47) % (width - 180) + 172, width), top, top + 5, 0xFF151515u);
        for (int32_t j = 0; j < 4; ++j) {
            const int32_t q = (p + 3 * j) % 5;
            const int32_t lineTop = top + 20 + 14 * j;
            const int32_t start = 62 + 17 * q;
            const int32_t m = width - ((31 * p + 53 * j) % 130) - start;
            const int32_t right = (m > 125 ? m + 17 : 142) + 17 * q;
            int32_t s = start;
            for (int32_t n = 0; s < right; ++n) {
                fill(page, s, std::min(right, s + 11 + 3 * (n % 3)), lineTop, lineTop + 2, 0xFF303030u);
                s += 18 + 5 * ((n + 1) % 4);
            }
        }
        if (k % 5 == 2) fill(page, width - 120, width - 55, top + 66, top + 69, 0xFF808080u);
    }
    return page;
}

PixelImage makeTestFrame(const PixelImage& page, int32_t top, int32_t height, bool fixedHeader, int32_t caretTop) {
    PixelImage frame(page.width, height);
    if (page.empty() || frame.empty()) return frame;
    for (int32_t y = 0; y < height; ++y) {
        const int64_t source = std::clamp<int64_t>(int64_t{top} + y, 0, page.height - 1);
        std::copy_n(page.row(static_cast<int32_t>(source)), page.width, frame.row(y));
    }
    const int32_t w = frame.width;
    if (fixedHeader) {
        fill(frame, 0, w, 0, 33, 0xFFF3F3F3u);
        fill(frame, 18, w - 18, 15, 16, 0xFF707070u);
    }
    if (caretTop >= 0) fill(frame, w / 2, w / 2 + 2, caretTop, caretTop + 23, 0xFF000000u);
    return frame;
}

}  // namespace tf
