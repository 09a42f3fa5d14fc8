#pragma once
// The scaled cache the review window draws from: a few DIB sections, one per
// tile of review_view.h, each made once from the image at the view's scale
// and dropped when the view has moved on or the scale changed. Tiles across
// as well as along keep a deep zoom of a wide image as small as a fitted one.

#include <windows.h>

#include <vector>

#include "core/review/review_view.h"
#include "platform/win32/win32_handles.h"
#include "shell/review/review_image_win32.h"

namespace tf {

struct CachedBand {
    CacheBand key;
    UniqueBitmap dib;
    int32_t width = 0, height = 0;
};

class ScaledCache {
public:
    // The tile, made now when its rows are decoded; null while they are not.
    const CachedBand* band(const CacheBand& key, const ReviewImage& image, bool sideways);
    // Keeps only the tiles of bands [first, end) and tiles across [first, end) of `scale`.
    void keepOnly(const Span64& bands, const Span64& across, double scale);
    void clear() { bands_.clear(); }
    uint64_t bytes() const;

private:
    std::vector<CachedBand> bands_;
};

}  // namespace tf
