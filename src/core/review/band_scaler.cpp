#include "core/review/band_scaler.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tf {
namespace {

// Image positions [first, end) that window pixel `p` of a scaled axis covers,
// never empty, and the step that keeps the samples within kMaxSamplesPerSide.
struct SourceRange {
    int32_t first = 0, end = 1, step = 1;
};

std::vector<SourceRange> sourceRanges(int64_t fromPixel, int32_t count, double scale, int32_t length) {
    std::vector<SourceRange> ranges(static_cast<size_t>(std::max(count, 0)));
    for (int32_t i = 0; i < count; ++i) {
        const double p = static_cast<double>(fromPixel + i);
        const int64_t a = std::clamp<int64_t>(static_cast<int64_t>(std::floor(p / scale)), 0, length - 1);
        const int64_t b = std::clamp<int64_t>(static_cast<int64_t>(std::floor((p + 1.0) / scale)), a + 1, length);
        SourceRange& r = ranges[static_cast<size_t>(i)];
        r.first = static_cast<int32_t>(a);
        r.end = static_cast<int32_t>(b);
        r.step = std::max<int32_t>((r.end - r.first + kMaxSamplesPerSide - 1) / kMaxSamplesPerSide, 1);
    }
    return ranges;
}

uint32_t meanOf(const uint32_t* pixels, int32_t width, const SourceRange& xs, const SourceRange& ys) {
    uint32_t r = 0, g = 0, b = 0, n = 0;
    for (int32_t y = ys.first; y < ys.end; y += ys.step) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = xs.first; x < xs.end; x += xs.step) {
            const uint32_t p = row[x];
            r += (p >> 16) & 0xFFu;
            g += (p >> 8) & 0xFFu;
            b += p & 0xFFu;
            ++n;
        }
    }
    // Rounded to the nearest, so that a flat colour stays exactly itself.
    const uint32_t h = n / 2;
    return 0xFF000000u | (((r + h) / n) << 16) | (((g + h) / n) << 8) | ((b + h) / n);
}

}  // namespace

BandSize bandSize(const CacheBand& band, bool sideways) {
    const auto along = static_cast<int32_t>(band.windowPixels.end - band.windowPixels.first);
    const auto across = static_cast<int32_t>(band.acrossWindowPixels.end - band.acrossWindowPixels.first);
    return sideways ? BandSize{along, across} : BandSize{across, along};
}

Span64 bandSourceRows(const CacheBand& band, bool sideways, int32_t imageHeight) {
    const Span64 rows = sideways ? band.acrossImagePositions : band.imagePositions;
    return {std::clamp<int64_t>(rows.first, 0, imageHeight), std::clamp<int64_t>(rows.end, 0, imageHeight)};
}

void scaleBand(const uint32_t* pixels, int32_t width, int32_t height, const CacheBand& band, bool sideways,
               uint32_t* out) {
    const BandSize size = bandSize(band, sideways);
    const int64_t alongFrom = band.windowPixels.first, acrossFrom = band.acrossWindowPixels.first;
    const std::vector<SourceRange> xs = sourceRanges(sideways ? alongFrom : acrossFrom, size.width, band.scale, width);
    const std::vector<SourceRange> ys = sourceRanges(sideways ? acrossFrom : alongFrom, size.height, band.scale, height);
    for (int32_t y = 0; y < size.height; ++y) {
        uint32_t* line = out + static_cast<size_t>(y) * static_cast<size_t>(size.width);
        for (int32_t x = 0; x < size.width; ++x) line[x] = meanOf(pixels, width, xs[static_cast<size_t>(x)], ys[static_cast<size_t>(y)]);
    }
}

}  // namespace tf
