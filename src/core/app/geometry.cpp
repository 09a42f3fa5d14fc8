#include "core/app/geometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "ground/dpi.h"

namespace tf {

namespace {

bool isCaptureOrHome(UiState s) {
    return s == UiState::Home || s == UiState::Selecting || s == UiState::Capturing || s == UiState::Saving;
}

float roundHalfAway(float v) { return std::round(v); }

int32_t dpiInt(uint32_t dpi) { return static_cast<int32_t>(effectiveDpi(dpi)); }

}  // namespace

Size baseWindowSizeDips(UiState state) {
    if (isCaptureOrHome(state)) return {620, 380};
    if (state == UiState::Result || state == UiState::Failed) return {660, 450};
    return {620, 460};
}

Size defaultWindowSizeForState(UiState state, uint32_t dpi) {
    const Size base = baseWindowSizeDips(state);
    return {dipsToPixels(base.width, dpi), dipsToPixels(base.height, dpi)};
}

Size windowSizeForWorkArea(UiState state, uint32_t dpi, const Rect& workArea) {
    const float s = static_cast<float>(dpiInt(dpi)) / 96.0f;
    const float aw = static_cast<float>(workArea.right - workArea.left) / s;
    const float ah = static_cast<float>(workArea.bottom - workArea.top) / s;
    const Size base = baseWindowSizeDips(state);
    const float w = std::min(std::max(aw - 32.0f, 320.0f), static_cast<float>(base.width));
    const float h = std::min(std::max(ah - 32.0f, 240.0f), static_cast<float>(base.height));
    return {static_cast<int32_t>(std::lroundf(w * s)), static_cast<int32_t>(std::lroundf(h * s))};
}

Size minimumTrackSize(UiState state, bool hasSavedImage, uint32_t dpi) {
    if (state == UiState::Result && hasSavedImage) return {dipsToPixels(560, dpi), dipsToPixels(400, dpi)};
    return {dipsToPixels(520, dpi), dipsToPixels(340, dpi)};
}

Rect resizeForStateChange(bool changed, UiState from, UiState to, bool hasSavedImage, uint32_t dpi,
                          const Rect& r, const Rect& work) {
    Size size = windowSizeForWorkArea(to, dpi, work);
    if (changed) {
        const Size old = defaultWindowSizeForState(from, dpi);
        const float rx = old.width >= 1 ? static_cast<float>(r.width()) / static_cast<float>(old.width) : 1.0f;
        const float ry = old.height >= 1 ? static_cast<float>(r.height()) / static_cast<float>(old.height) : 1.0f;
        const Size next = defaultWindowSizeForState(to, dpi);
        const Size minimum = minimumTrackSize(to, hasSavedImage, dpi);
        size.width = std::min(work.width(),
                              std::max(minimum.width, static_cast<int32_t>(std::lroundf(next.width * rx))));
        size.height = std::min(work.height(),
                               std::max(minimum.height, static_cast<int32_t>(std::lroundf(next.height * ry))));
    }
    const int32_t margin = dipsToPixels(16, dpi);
    int32_t x = r.left + (r.width() - size.width) / 2;
    x = std::clamp(x, work.left, std::max(work.left, work.right - size.width));
    int32_t y = r.top + (r.height() - size.height) / 2;
    const int32_t maxY = std::max(work.top, work.bottom - size.height);
    y = std::clamp(y, std::min(maxY, work.top + margin), maxY);
    return {x, y, x + size.width, y + size.height};
}

MainPageLayout computeMainPageLayout(float W, float H, bool resultMode) {
    MainPageLayout l;
    l.settingsButton = {W - 52, 16, W - 20, 48};
    if (!resultMode) {
        const float y = (H - 340) / 2;
        const float left = roundHalfAway((W - 260) / 2);
        l.startButton = {left, y + 170, left + 260, y + 224};
        l.hintLine = {24, y + 240, W - 24, y + 268};
        l.homeTitle = {{40, y + 56, W - 40, y + 100}, 30};
        l.homeSubtitle = {{40, y + 106, W - 40, y + 134}, 15};
        l.hint = {l.hintLine, 14};
    } else {
        const float x = roundHalfAway((W - 412) / 2);
        const float y = (H - 410) / 2;
        l.firstResultAction = {x, y + 254, x + 196, y + 306};
        l.secondResultAction = {x + 216, y + 254, x + 412, y + 306};
        l.folderRow = {(W - 160) / 2, y + 326, (W + 160) / 2, y + 362};
        // The title and its check mark keep their place in a 660-DIP column.
        const float column = (W - 660) / 2;
        l.resultTitle = {{column + 240, y + 44, W - 30, y + 84}, 30, 700};
        l.resultCheck = {column + 198, y + 49, column + 226, y + 77};
        l.resultSubtitle = {{40, y + 88, W - 40, y + 120}, 15};
        l.neverScrolledHint = {{40, y + 84, W - 40, y + 124}, 12};
        l.savedName = {{50, y + 144, W - 50, y + 174}, 18, 600};
        l.statistics = {{50, y + 178, W - 50, y + 206}, 14};
        l.savedFolder = {{50, y + 206, W - 50, y + 234}, 13};
    }
    return l;
}

PageText inWindowSettingsTitle(float W, float scrolled) { return {{40, 16.0f - scrolled, W - 40, 60.0f - scrolled}, 28}; }

namespace {

// DIP values are truncated to integers before they are scaled to pixels.
Rect placeDips(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t dpi) {
    const int32_t px = dipsToPixels(x, dpi);
    const int32_t py = dipsToPixels(y, dpi);
    return {px, py, px + dipsToPixels(w, dpi), py + dipsToPixels(h, dpi)};
}

Rect placeRect(const RectF& r, uint32_t dpi) {
    return placeDips(static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
                     static_cast<int32_t>(r.right - r.left), static_cast<int32_t>(r.bottom - r.top), dpi);
}

}  // namespace

MainControlsLayout layoutMainControls(Size clientPx, uint32_t dpi, UiState state, bool hasSavedImage,
                                      UiLanguage language) {
    const int32_t cw = pixelsToDips(clientPx.width, dpi);
    const int32_t ch = pixelsToDips(clientPx.height, dpi);
    const bool resultMode = state == UiState::Result && hasSavedImage;
    const MainPageLayout page = computeMainPageLayout(static_cast<float>(cw), static_cast<float>(ch), resultMode);

    MainControlsLayout out;
    out.settings.rect = placeDips(static_cast<int32_t>(page.settingsButton.left),
                                  static_cast<int32_t>(page.settingsButton.top), 32, 32, dpi);
    out.start.rect = placeRect(page.startButton, dpi);
    out.openImage.rect = placeRect(page.firstResultAction, dpi);
    out.captureAnother.rect = placeRect(page.secondResultAction, dpi);
    ControlPlacement* quiet[] = {&out.openFolder, &out.copyImage, &out.review};
    static_assert(std::size(quiet) == std::size(kQuietResultButtons));
    int32_t rowWidth = -kQuietResultButtonGap;
    for (const QuietResultButton& q : kQuietResultButtons) {
        rowWidth += (language == UiLanguage::English ? q.englishWidth : q.chineseWidth) + kQuietResultButtonGap;
    }
    int32_t x = (cw - rowWidth) / 2;
    for (size_t i = 0; i < std::size(quiet); ++i) {
        const int32_t w = language == UiLanguage::English ? kQuietResultButtons[i].englishWidth
                                                          : kQuietResultButtons[i].chineseWidth;
        quiet[i]->rect = placeDips(x, static_cast<int32_t>(page.folderRow.top), w, 36, dpi);
        x += w + kQuietResultButtonGap;
    }

    const bool homeLike = state == UiState::Home || state == UiState::Failed;
    out.start.visible = homeLike || (state == UiState::Result && !hasSavedImage);
    out.settings.visible = homeLike || state == UiState::Result;
    out.openImage.visible = out.captureAnother.visible = out.openFolder.visible = out.copyImage.visible =
        out.review.visible = resultMode;
    return out;
}

}  // namespace tf
