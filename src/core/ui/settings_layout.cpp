#include "core/ui/settings_layout.h"

#include <algorithm>
#include <cmath>

#include "ground/dpi.h"

namespace tf {

SettingsLayout computeSettingsLayout(float W, float H) {
    SettingsLayout l;
    const float m = std::clamp((W - 520) / 2, 20.0f, 50.0f);
    const float R = W - m;
    const float oy = std::max((H - 420) / 2, 0.0f);
    const float t = std::clamp((H - 360) / 60, 0.0f, 1.0f);
    l.margin = m;
    l.right = R;
    l.offsetY = oy;
    l.spread = t;
    l.headerTitle = {m, 8 * t + 8 + oy, R, 10 * t + 44 + oy};
    l.headerSubtitle = {m, 10 * t + 44 + oy, R, 14 * t + 68 + oy};
    l.folderLabelTop = 20 * t + 68 + oy;
    l.folderDescriptionTop = 22 * t + 92 + oy;
    l.folderRowTop = 26 * t + 114 + oy;
    l.languageRowTop = 36 * t + 168 + oy;
    l.openAfterRowTop = 44 * t + 220 + oy;
    l.loggingRowTop = 52 * t + 272 + oy;
    l.feedbackRowTop = 56 * t + 324 + oy;
    l.labelLeft = m;
    l.labelRight = R - 170;
    return l;
}

SettingsLayout computeSettingsPageLayout(float W, float H, float scrolled) {
    SettingsLayout l = computeSettingsLayout(W, H - kAddedSettingsRowsHeight);
    const float pitch = 52 + 8 * l.spread;
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        l.addedRowTops[i] = l.loggingRowTop + pitch * static_cast<float>(i + 1);
    }
    l.feedbackRowTop += pitch * static_cast<float>(kAddedSettingsRowCount);
    if (scrolled != 0) {
        for (RectF* r : {&l.headerTitle, &l.headerSubtitle}) {
            r->top -= scrolled;
            r->bottom -= scrolled;
        }
        for (float* top : {&l.folderLabelTop, &l.folderDescriptionTop, &l.folderRowTop, &l.languageRowTop,
                           &l.openAfterRowTop, &l.loggingRowTop, &l.feedbackRowTop}) {
            *top -= scrolled;
        }
        for (float& top : l.addedRowTops) top -= scrolled;
        l.offsetY -= scrolled;
    }
    return l;
}

float settingsPageScrollLimit(float height) {
    // At the least spread the feedback row ends at 356 DIPs, plus the added rows.
    const float content = 364 + (52.0f / kAddedSettingsRowPitch) * kAddedSettingsRowsHeight;
    return std::max(0.0f, content - height);
}

namespace {

// DIP values are truncated before they are scaled, as in the main window.
ControlPlacement place(float x, float y, float w, float h, uint32_t dpi, bool visible) {
    const int32_t px = dipsToPixels(static_cast<int32_t>(x), dpi);
    const int32_t py = dipsToPixels(static_cast<int32_t>(y), dpi);
    return {{px, py, px + dipsToPixels(static_cast<int32_t>(w), dpi), py + dipsToPixels(static_cast<int32_t>(h), dpi)},
            visible};
}

}  // namespace

SettingsControlsLayout layoutSettingsControls(Size clientPx, uint32_t dpi, UiState state, UiLanguage language,
                                              float scrolled) {
    const float scale = 96.0f / static_cast<float>(effectiveDpi(dpi));
    const float W = static_cast<float>(std::lroundf(static_cast<float>(clientPx.width) * scale));
    const float H = static_cast<float>(std::lroundf(static_cast<float>(clientPx.height) * scale));
    const SettingsLayout l = computeSettingsPageLayout(W, H, scrolled);
    const bool visible = state != UiState::SettingsHelp && state != UiState::SettingsAbout;
    const float m = l.margin, R = l.right;
    SettingsControlsLayout out;
    out.folderBox = place(m, l.folderRowTop, R - 134 - m, 42, dpi, visible);
    out.chooseFolder = place(R - 122, l.folderRowTop, 122, 42, dpi, visible);
    out.language = place(R - 160, l.languageRowTop, 160, 42, dpi, visible);
    out.openAfter = place(R - 48, l.openAfterRowTop + 7, 48, 26, dpi, visible);
    out.logging = place(R - 48, l.loggingRowTop + 7, 48, 26, dpi, visible);
    out.feedback = place(m, l.feedbackRowTop, language == UiLanguage::English ? 72 : 64, 32, dpi, visible);
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        const float top = l.addedRowTops[i];
        out.addedRows[i] = kAddedSettingsRows[i].kind == SettingsRowControl::Switch
                               ? place(R - 48, top + 7, 48, 26, dpi, visible)
                               : place(R - kChordControlWidth, top, kChordControlWidth, 42, dpi, visible);
    }
    return out;
}

}  // namespace tf
