#include "shell/review/review_cache_win32.h"

#include <algorithm>

#include "core/review/band_scaler.h"

namespace tf {

const CachedBand* ScaledCache::band(const CacheBand& key, const ReviewImage& image, bool sideways) {
    for (const CachedBand& b : bands_) {
        if (b.key == key) return &b;
    }
    const Span64 rows = bandSourceRows(key, sideways, image.height());
    if (image.rowsReady() < rows.end || image.rowsReady() == 0) return nullptr;
    const BandSize size = bandSize(key, sideways);
    if (size.width < 1 || size.height < 1) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;  // top-down, as the image
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return nullptr;
    scaleBand(image.row(0), image.width(), image.height(), key, sideways, static_cast<uint32_t*>(bits));
    GdiFlush();
    bands_.push_back({key, std::move(dib), size.width, size.height});
    return &bands_.back();
}

void ScaledCache::keepOnly(const Span64& bands, const Span64& across, double scale) {
    std::erase_if(bands_, [&](const CachedBand& b) {
        return b.key.scale != scale || b.key.index < bands.first || b.key.index >= bands.end ||
               b.key.acrossIndex < across.first || b.key.acrossIndex >= across.end;
    });
}

uint64_t ScaledCache::bytes() const {
    uint64_t total = 0;
    for (const CachedBand& b : bands_) total += static_cast<uint64_t>(b.width) * static_cast<uint64_t>(b.height) * 4u;
    return total;
}

}  // namespace tf
