#include "core/review/review_view.h"

#include <algorithm>
#include <cmath>

#include "ground/dpi.h"

namespace tf {

int32_t snapDistanceInImage(uint32_t dpi, double scale) {
    if (!(scale > 0.0)) return 0;
    return static_cast<int32_t>(std::lround(dipsToPixels(kSnapDips, dpi) / scale));
}

ReviewView::ReviewView(int32_t imageWidth, int32_t imageHeight, bool sideways)
    : imageWidth_(std::max(imageWidth, 1)), imageHeight_(std::max(imageHeight, 1)), sideways_(sideways) {
    fit();
}

void ReviewView::setViewport(int32_t width, int32_t height, uint32_t dpi) {
    viewWidth_ = std::max(width, 1);
    viewHeight_ = std::max(height, 1);
    dpi_ = effectiveDpi(dpi);
    if (fitted_) fit();
    clampScroll();
}

double ReviewView::fitScale() const {
    const int32_t view = sideways_ ? viewHeight_ : viewWidth_;
    return std::clamp(static_cast<double>(view) / imageAcross(), kMinZoom, kMaxZoom);
}

int64_t ReviewView::scaledLength(int32_t imageLength) const {
    return std::max<int64_t>(std::llround(imageLength * scale_), 1);
}

// An image smaller than the viewport is centred in it.
double ReviewView::originX() const {
    return std::max<double>((viewWidth_ - static_cast<double>(scaledLength(imageWidth_))) / 2.0, 0.0);
}
double ReviewView::originY() const {
    return std::max<double>((viewHeight_ - static_cast<double>(scaledLength(imageHeight_))) / 2.0, 0.0);
}

void ReviewView::clampScroll() {
    scrollX_ = std::clamp(scrollX_, 0.0, std::max<double>(static_cast<double>(scaledLength(imageWidth_) - viewWidth_), 0.0));
    scrollY_ = std::clamp(scrollY_, 0.0, std::max<double>(static_cast<double>(scaledLength(imageHeight_) - viewHeight_), 0.0));
    scrollX_ = std::round(scrollX_);
    scrollY_ = std::round(scrollY_);
}

// The image point under the anchor stays under it.
void ReviewView::setScale(double scale, double anchorX, double anchorY) {
    const double ix = imageX(anchorX), iy = imageY(anchorY);
    scale_ = std::clamp(scale, kMinZoom, kMaxZoom);
    scrollX_ = 0.0;
    scrollY_ = 0.0;
    scrollX_ = ix * scale_ + originX() - anchorX;
    scrollY_ = iy * scale_ + originY() - anchorY;
    clampScroll();
}

void ReviewView::fit() {
    const double along = alongValue() / scale_;
    scale_ = fitScale();
    fitted_ = true;
    this->along() = along * scale_;
    if (sideways_) scrollY_ = 0.0; else scrollX_ = 0.0;
    clampScroll();
}

void ReviewView::actualSize() {
    fitted_ = false;
    setScale(1.0, viewWidth_ / 2.0, viewHeight_ / 2.0);
}

void ReviewView::zoomAt(int32_t wheelDelta, double x, double y) {
    if (wheelDelta == 0) return;
    fitted_ = false;
    setScale(scale_ * std::pow(kZoomStep, static_cast<double>(wheelDelta) / kWheelDeltaNotch), x, y);
}

double ReviewView::wheelStep(uint32_t linesPerNotch, int32_t view) const {
    const double step = linesPerNotch == kWheelPageScroll
                            ? static_cast<double>(view - dipsToPixels(kPageOverlapDips, dpi_))
                            : static_cast<double>(linesPerNotch) * dipsToPixels(kWheelLineDips, dpi_);
    return std::max(step, 1.0);
}

void ReviewView::scrollByWheel(int32_t wheelDelta, uint32_t linesPerNotch) {
    // The wheel turned away from the user (a positive delta) goes back towards the start.
    along() -= static_cast<double>(wheelDelta) / kWheelDeltaNotch * wheelStep(linesPerNotch, viewAlong());
    clampScroll();
}

void ReviewView::scrollAcrossByWheel(int32_t wheelDelta, uint32_t linesPerNotch) {
    across() -= static_cast<double>(wheelDelta) / kWheelDeltaNotch * wheelStep(linesPerNotch, viewAcross());
    clampScroll();
}

void ReviewView::scrollAcrossTo(int64_t position) {
    across() = static_cast<double>(position);
    clampScroll();
}

void ReviewView::page(bool forward) {
    const double step = std::max<double>(viewAlong() - dipsToPixels(kPageOverlapDips, dpi_), 1.0);
    along() += forward ? step : -step;
    clampScroll();
}

void ReviewView::home() {
    along() = 0.0;
    clampScroll();
}

void ReviewView::end() {
    along() = static_cast<double>(scaledLength(imageAlong()));
    clampScroll();
}

void ReviewView::scrollTo(int64_t position) {
    along() = static_cast<double>(position);
    clampScroll();
}

void ReviewView::centreOn(double imagePosition) {
    along() = imagePosition * scale_ - viewAlong() / 2.0;
    clampScroll();
}

ScrollBarState ReviewView::scrollBar() const {
    return {scaledLength(imageAlong()), viewAlong(), static_cast<int64_t>(alongValue())};
}

ScrollBarState ReviewView::crossScrollBar() const {
    return {scaledLength(imageAcross()), viewAcross(), static_cast<int64_t>(acrossValue())};
}

namespace {

// Image positions [first, end) of `imageLength` that show in window pixels
// [from, to) of an image placed at `origin` with `scale`.
Span64 shownPositions(double from, double to, double origin, double scroll, double scale, int32_t imageLength) {
    const double a = (from - origin + scroll) / scale, b = (to - origin + scroll) / scale;
    const int64_t first = std::clamp<int64_t>(static_cast<int64_t>(std::floor(a)), 0, imageLength);
    const int64_t end = std::clamp<int64_t>(static_cast<int64_t>(std::ceil(b)), first, imageLength);
    return {first, end};
}

}  // namespace

Span64 ReviewView::visibleRows() const {
    return shownPositions(0.0, viewHeight_, originY(), scrollY_, scale_, imageHeight_);
}

Span64 ReviewView::visibleColumns() const {
    return shownPositions(0.0, viewWidth_, originX(), scrollX_, scale_, imageWidth_);
}

namespace {

// Tiles of kCacheBandPixels over a scaled length, for the window pixels
// [from, from + view): those that show, and one more on either side.
Span64 tilesAround(int64_t from, int64_t view, int64_t length) {
    const int64_t tiles = (length + kCacheBandPixels - 1) / kCacheBandPixels;
    from = std::clamp<int64_t>(from, 0, std::max<int64_t>(length - 1, 0));
    const int64_t to = std::min<int64_t>(from + view, length);
    const int64_t first = std::max<int64_t>(from / kCacheBandPixels - 1, 0);
    const int64_t end = std::min<int64_t>((std::max(to, from + 1) - 1) / kCacheBandPixels + 2, tiles);
    return {first, end};
}

Span64 tilePixels(int64_t index, int64_t length) {
    return {std::min<int64_t>(index * kCacheBandPixels, length), std::min<int64_t>((index + 1) * kCacheBandPixels, length)};
}

}  // namespace

Span64 ReviewView::cacheBands() const {
    return tilesAround(static_cast<int64_t>(alongValue()), viewAlong(), scaledLength(imageAlong()));
}

Span64 ReviewView::cacheTilesAcross() const {
    return tilesAround(static_cast<int64_t>(acrossValue()), viewAcross(), scaledLength(imageAcross()));
}

CacheBand ReviewView::band(int64_t index, int64_t acrossIndex) const {
    CacheBand b;
    b.index = index;
    b.acrossIndex = acrossIndex;
    b.scale = scale_;
    b.windowPixels = tilePixels(index, scaledLength(imageAlong()));
    b.imagePositions = shownPositions(static_cast<double>(b.windowPixels.first), static_cast<double>(b.windowPixels.end),
                                      0.0, 0.0, scale_, imageAlong());
    b.acrossWindowPixels = tilePixels(acrossIndex, scaledLength(imageAcross()));
    b.acrossImagePositions = shownPositions(static_cast<double>(b.acrossWindowPixels.first),
                                            static_cast<double>(b.acrossWindowPixels.end), 0.0, 0.0, scale_, imageAcross());
    return b;
}

}  // namespace tf
