#pragma once
// Where the saved image lies in the review window: the scale (fitted to the
// width, or to the height for a sideways image), the scroll position, which
// image rows and columns are visible, and the bands of the scaled cache the
// window draws them from. All lengths on the window side are device pixels of
// the window; image positions are image pixels, as fractions where the
// mapping needs them.

#include <cstdint>

#include "core/capture/capture_rules.h"  // kWheelPageScroll, the system's "one screen per notch"

namespace tf {

// The window pixels of one band of the scaled cache along the stitch, and of
// one tile of a band across it: a few tiles cover any window at any zoom, so
// the cache holds the visible part and little more.
inline constexpr int32_t kCacheBandPixels = 512;
// Zoom limits, and the factor of one Ctrl + wheel notch.
inline constexpr double kMinZoom = 1.0 / 32.0;
inline constexpr double kMaxZoom = 8.0;
inline constexpr double kZoomStep = 1.25;
// One wheel line, and the part of a page that stays in view on Page Up/Down.
inline constexpr int32_t kWheelLineDips = 20;
inline constexpr int32_t kPageOverlapDips = 40;
// How near to a seam a dragged trim edge snaps to it.
inline constexpr int32_t kSnapDips = 8;
inline constexpr int32_t kWheelDeltaNotch = 120;

// A span [first, end) of image rows or columns, or of cache bands.
struct Span64 {
    int64_t first = 0;
    int64_t end = 0;
    bool operator==(const Span64&) const = default;
};

// What the window's scroll bar along the stitch shows, in window pixels.
struct ScrollBarState {
    int64_t total = 0;  // length of the scaled image
    int64_t page = 0;   // length of the viewport
    int64_t position = 0;
    bool operator==(const ScrollBarState&) const = default;
};

// A tile of the scaled cache: band `index` along the stitch, tile
// `acrossIndex` of that band across it; its key and what it covers.
struct CacheBand {
    int64_t index = 0;
    int64_t acrossIndex = 0;
    double scale = 0.0;            // with the indices, the key: a new scale is a new tile
    Span64 windowPixels;           // along the stitch, in scaled-image pixels
    Span64 imagePositions;         // image rows (columns when sideways) needed to draw it
    Span64 acrossWindowPixels;     // across the stitch, in scaled-image pixels
    Span64 acrossImagePositions;   // image columns (rows when sideways) needed to draw it
    bool operator==(const CacheBand&) const = default;
};

// Image pixels within which a dragged edge snaps, at this DPI and scale.
int32_t snapDistanceInImage(uint32_t dpi, double scale);

class ReviewView {
public:
    ReviewView(int32_t imageWidth, int32_t imageHeight, bool sideways);

    // The image area of the window; a fitted view is fitted again.
    void setViewport(int32_t width, int32_t height, uint32_t dpi);

    double scale() const { return scale_; }
    bool fitted() const { return fitted_; }
    double fitScale() const;

    void fit();                                             // Ctrl+0
    void actualSize();                                      // Ctrl+1: one image pixel per window pixel
    void zoomAt(int32_t wheelDelta, double x, double y);    // Ctrl + wheel, around the pointer
    void scrollByWheel(int32_t wheelDelta, uint32_t linesPerNotch);
    void page(bool forward);
    void home();
    void end();
    void scrollTo(int64_t position);  // along the stitch, as the scroll bar's thumb says
    void centreOn(double imagePosition);  // brings a seam into the middle of the view

    ScrollBarState scrollBar() const;
    // Across the stitch (columns of a downward image, rows of a sideways
    // one): only a zoom wider than the viewport gives it room to move.
    ScrollBarState crossScrollBar() const;
    void scrollAcrossTo(int64_t position);
    // As scrollByWheel: a positive delta goes back towards the image's edge.
    void scrollAcrossByWheel(int32_t wheelDelta, uint32_t linesPerNotch);
    // Image rows and columns that show, at least partly, in the viewport.
    Span64 visibleRows() const;
    Span64 visibleColumns() const;

    // Image pixel coordinates to window pixels and back.
    double windowX(double imageX) const { return originX() + imageX * scale_ - scrollX_; }
    double windowY(double imageY) const { return originY() + imageY * scale_ - scrollY_; }
    double imageX(double windowX) const { return (windowX - originX() + scrollX_) / scale_; }
    double imageY(double windowY) const { return (windowY - originY() + scrollY_) / scale_; }

    // The cache bands the viewport needs, and the tiles of each band across
    // it, with one more on either side so that scrolling on finds the next one
    // ready; and what tile `acrossIndex` of band `index` covers.
    Span64 cacheBands() const;
    Span64 cacheTilesAcross() const;
    CacheBand band(int64_t index, int64_t acrossIndex = 0) const;

private:
    int64_t scaledLength(int32_t imageLength) const;
    double originX() const;
    double originY() const;
    void setScale(double scale, double anchorX, double anchorY);
    void clampScroll();
    double& along() { return sideways_ ? scrollX_ : scrollY_; }
    double& across() { return sideways_ ? scrollY_ : scrollX_; }
    double acrossValue() const { return sideways_ ? scrollY_ : scrollX_; }
    int32_t viewAcross() const { return sideways_ ? viewHeight_ : viewWidth_; }
    double wheelStep(uint32_t linesPerNotch, int32_t view) const;
    double alongValue() const { return sideways_ ? scrollX_ : scrollY_; }
    int32_t viewAlong() const { return sideways_ ? viewWidth_ : viewHeight_; }
    int32_t imageAlong() const { return sideways_ ? imageWidth_ : imageHeight_; }
    int32_t imageAcross() const { return sideways_ ? imageHeight_ : imageWidth_; }

    int32_t imageWidth_, imageHeight_;
    bool sideways_;
    int32_t viewWidth_ = 1, viewHeight_ = 1;
    uint32_t dpi_ = 96;
    double scale_ = 1.0;
    bool fitted_ = true;
    double scrollX_ = 0.0, scrollY_ = 0.0;
};

}  // namespace tf
