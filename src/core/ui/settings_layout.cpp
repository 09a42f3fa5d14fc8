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
    // The classic rows move apart by 8 DIPs more per gap at full spread.
    for (size_t k = 0; k < kClassicSettingsRowCount; ++k) {
        const int32_t i = static_cast<int32_t>(k);
        l.rowTops[k] = static_cast<float>(36 + 8 * i) * t + static_cast<float>(168 + 52 * i) + oy;
    }
    l.feedbackRowTop = 56 * t + 324 + oy;
    l.labelLeft = m;
    l.labelRight = R - 170;
    return l;
}

SettingsLayout computeSettingsPageLayout(float W, float H, float scrolled) {
    SettingsLayout l = computeSettingsLayout(W, H - kAddedSettingsRowsHeight);
    const float pitch = 52 + 8 * l.spread;
    const float lastClassic = l.rowTops[kClassicSettingsRowCount - 1];
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        l.rowTops[kClassicSettingsRowCount + i] = lastClassic + pitch * static_cast<float>(i + 1);
    }
    l.feedbackRowTop += pitch * static_cast<float>(kAddedSettingsRowCount);
    if (scrolled != 0) {
        for (RectF* r : {&l.headerTitle, &l.headerSubtitle}) {
            r->top -= scrolled;
            r->bottom -= scrolled;
        }
        for (float* top : {&l.folderLabelTop, &l.folderDescriptionTop, &l.folderRowTop, &l.feedbackRowTop}) {
            *top -= scrolled;
        }
        for (float& top : l.rowTops) top -= scrolled;
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

ControlPlacement placeRowControl(SettingsRowControl kind, float right, float top, uint32_t dpi, bool visible) {
    switch (kind) {
        case SettingsRowControl::Dropdown: return place(right - 160, top, 160, 42, dpi, visible);
        case SettingsRowControl::Chord:
            return place(right - kChordControlWidth, top, kChordControlWidth, 42, dpi, visible);
        case SettingsRowControl::Switch: break;
    }
    return place(right - 48, top + 7, 48, 26, dpi, visible);
}

// Whole DIPs of the client width, as the navigation has always been placed.
ControlPlacement placeWholeDips(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t dpi, bool visible) {
    const int32_t px = dipsToPixels(x, dpi), py = dipsToPixels(y, dpi);
    return {{px, py, px + dipsToPixels(w, dpi), py + dipsToPixels(h, dpi)}, visible};
}

}  // namespace

const SettingsRow* settingsRowOf(ControlId control) {
    for (const SettingsRow& row : kSettingsRows) {
        if (row.control == control) return &row;
    }
    return nullptr;
}

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
    for (size_t i = 0; i < kSettingsRowCount; ++i) {
        out.rows[i] = placeRowControl(kSettingsRows[i].kind, R, l.rowTops[i], dpi, visible);
    }
    out.feedback = place(m, l.feedbackRowTop, language == UiLanguage::English ? 72 : 64, 32, dpi, visible);
    const int32_t wholeW = pixelsToDips(clientPx.width, dpi);
    for (size_t i = 0; i < out.navigation.size(); ++i) {
        const int32_t fromRight = 16 + 32 + 36 * static_cast<int32_t>(out.navigation.size() - 1 - i);
        out.navigation[i] = placeWholeDips(wholeW - fromRight, 12, 32, 32, dpi, true);
    }
    out.checkUpdates = placeWholeDips((wholeW - 180) / 2, 328, 180, 40, dpi, state == UiState::SettingsAbout);
    return out;
}

PageText settingsFolderLabel(const SettingsLayout& l) {
    return {{l.margin, l.folderLabelTop, l.labelRight, l.folderLabelTop + 26}, 15, 500};
}

PageText settingsFolderDescription(const SettingsLayout& l) {
    return {{l.margin, l.folderDescriptionTop, l.right - 130, l.folderDescriptionTop + 22}, 13};
}

SettingsRowTexts settingsRowTexts(const SettingsLayout& l, size_t row) {
    const float top = l.rowTops[row];
    const bool chord = kSettingsRows[row].kind == SettingsRowControl::Chord;
    // Beside the wide chord control both texts end before it.
    const float beforeChord = l.right - kChordControlWidth - 12;
    const float labelRight = chord ? beforeChord : l.labelRight;
    const float descriptionRight = chord ? beforeChord : l.right - 100;
    return {{{l.margin, top, labelRight, top + 24}, 15, 500}, {{l.margin, top + 24, descriptionRight, top + 46}, 13}};
}

PageText settingsVersionText(const SettingsLayout& l) {
    return {{l.right - 80, l.feedbackRowTop, l.right, l.feedbackRowTop + 32}, 12};
}

SettingsHelpLayout computeSettingsHelpLayout(float W, float m, uint32_t dpi) {
    SettingsHelpLayout h;
    h.hairline = 96.0f / static_cast<float>(dpi);
    const float c = (W - 2 * m - 24) / 3;
    for (int i = 0; i < 3; ++i) {
        const float left = m + static_cast<float>(i) * (c + 12), right = left + c;
        HelpCard& card = h.cards[static_cast<size_t>(i)];
        card.frame = {left, 106, right, 218};
        card.radius = 7;
        card.number = {{left + 14, 118, right - 14, 138}, 12};
        card.title = {{left + 14, 144, right - 14, 168}, 14, 500};
        // Two lines fit the 34-DIP box; a narrow window wraps instead of cutting.
        card.description = {{left + 14, 170, right - 14, 204}, 12};
    }
    for (int i = 0; i < 3; ++i) {
        const float top = 242.0f + static_cast<float>(42 * i);
        HelpRow& row = h.rows[static_cast<size_t>(i)];
        row.text = {{m, top, W - m, top + 42}, 13};
        row.divider = i < 2;
        row.dividerY = top + 42 - 0.5f * 96.0f / static_cast<float>(dpi);
    }
    return h;
}

SettingsAboutLayout computeSettingsAboutLayout(float W, float m) {
    const float markLeft = (W - 40) / 2;
    return {{markLeft, 96, markLeft + 40, 136},
            {{m, 142, W - m, 180}, 22},
            {{m, 182, W - m, 208}, 13},
            {{m, 246, W - m, 272}, 13},
            {{m, 282, W - m, 306}, 12}};
}

Rect settingsWindowRect(const Rect& mainRect, const Rect& work, uint32_t dpi) {
    // The size the settings pages have in the main window, taller by the added rows.
    const Size base = baseWindowSizeDips(UiState::SettingsGeneral);
    const int32_t w = dipsToPixels(base.width, dpi);
    const int32_t h = std::min(dipsToPixels(base.height + static_cast<int32_t>(kAddedSettingsRowsHeight), dpi),
                               std::max(settingsMinimumTrackSize(dpi).height, work.height()));
    int32_t x = mainRect.left + (mainRect.width() - w) / 2;
    int32_t y = mainRect.top + (mainRect.height() - h) / 2;
    x = std::clamp(x, work.left, std::max(work.left, work.right - w));
    y = std::clamp(y, work.top, std::max(work.top, work.bottom - h));
    return {x, y, x + w, y + h};
}

Size settingsMinimumTrackSize(uint32_t dpi) { return {dipsToPixels(540, dpi), dipsToPixels(400, dpi)}; }

}  // namespace tf
