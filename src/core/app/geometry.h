#pragma once
// The main window's geometry: its size per page
// and DPI, its fitting to the work area, the proportional resize on a page
// change and the placement of the five working buttons. Pure functions over
// plain data; the Win32 shell applies the results to the window.

#include <algorithm>
#include <cstdint>

#include "ground/rect.h"
#include "core/app/ui_state.h"
#include "core/settings/ui_language.h"

namespace tf {

// Base outer size of a page in DIPs: 620 × 380 for Home and the capture states,
// 660 × 450 for Result and Failed, 620 × 460 for the settings pages.
Size baseWindowSizeDips(UiState state);

// The base size in pixels of `dpi` (96 when 0).
Size defaultWindowSizeForState(UiState state, uint32_t dpi);

// The base size fitted to a work area (pixels): 32 DIPs kept free when it must
// shrink, never below 320 × 240 DIPs.
Size windowSizeForWorkArea(UiState state, uint32_t dpi, const Rect& workArea);

// Smallest size the user may drag the window to: 560 × 400 DIPs on the result
// page with a saved image, 520 × 340 otherwise.
Size minimumTrackSize(UiState state, bool hasSavedImage, uint32_t dpi);

// Where the window goes after `setUiState` stored `to` (pixels, virtual
// desktop). `changed` says whether `to` differs from `from`; then the user's
// resizing of the old page is carried over proportionally. The window keeps
// its centre, stays inside the work area and keeps a margin below its top.
Rect resizeForStateChange(bool changed, UiState from, UiState to, bool hasSavedImage, uint32_t dpi,
                          const Rect& windowRect, const Rect& workArea);

// A line of text on a page: its box and its type (DIPs, font weight).
struct PageText {
    RectF box;
    float size = 0;
    int weight = 400;
    bool operator==(const PageText&) const = default;
};

// Page layout in DIPs; rectangles a mode does not use are all zero.
struct MainPageLayout {
    RectF startButton;
    RectF hintLine;
    RectF firstResultAction;   // Open image
    RectF secondResultAction;  // Capture another
    RectF settingsButton;
    RectF folderRow;
    // The home page's texts; the hint's box is `hintLine`.
    PageText homeTitle, homeSubtitle, hint;
    // The result page's texts, and the check mark before its title.
    PageText resultTitle;
    PageText resultSubtitle;
    PageText neverScrolledHint;  // in the subtitle's place, two lines when it must wrap
    PageText savedName, statistics, savedFolder;
    RectF resultCheck;
    bool operator==(const MainPageLayout&) const = default;
};

// `resultMode`: the window is on the result page with a saved image.
MainPageLayout computeMainPageLayout(float width, float height, bool resultMode);

// The page title the main window's own settings pages show, moved up with
// the page by `scrolled` DIPs.
PageText inWindowSettingsTitle(float width, float scrolled);

// One working button as the layout pass places it (client pixels).
struct ControlPlacement {
    Rect rect;  // x, y, x + w, y + h
    bool visible = false;
    bool operator==(const ControlPlacement&) const = default;
};

struct MainControlsLayout {
    ControlPlacement start;           // id 1
    ControlPlacement openImage;       // id 2
    ControlPlacement captureAnother;  // id 3
    ControlPlacement settings;        // id 4
    ControlPlacement openFolder;      // id 5
    ControlPlacement copyImage;       // id 6, beside Open containing folder
    ControlPlacement review;          // id 7, after Copy image
    bool operator==(const MainControlsLayout&) const = default;
};

// The quiet link-like buttons under the result page's two actions, left to
// right, and their widths in DIPs per language. They are centred as a group.
struct QuietResultButton {
    int32_t englishWidth;
    int32_t chineseWidth;
};
inline constexpr QuietResultButton kQuietResultButtons[] = {
    {240, 160},  // Open containing folder
    {130, 120},  // Copy image
    {110, 90},   // Review
};
inline constexpr int32_t kQuietResultButtonGap = 8;

// The layout pass for a client area of `clientPx` pixels at `dpi`.
MainControlsLayout layoutMainControls(Size clientPx, uint32_t dpi, UiState state, bool hasSavedImage,
                                      UiLanguage language);

// DIPs a page moves per wheel notch.
inline constexpr int32_t kWheelScrollStepDips = 48;

// How far a page is scrolled after one wheel notch (`wheelDelta` below zero
// scrolls down) from `offset`, kept between the top and `limit`. A page that
// fits its window (`limit` of zero or less) stays at the top.
template <typename Offset>
constexpr Offset scrollOffsetAfterWheel(Offset offset, int wheelDelta, Offset limit) {
    const Offset step = static_cast<Offset>(wheelDelta < 0 ? kWheelScrollStepDips : -kWheelScrollStepDips);
    return std::clamp<Offset>(offset + step, Offset{0}, std::max<Offset>(Offset{0}, limit));
}

}  // namespace tf
