#pragma once
// Where the settings window's rows and controls go, as a pure function of its
// client size; the painter and the layout pass share it.

#include <cstdint>

#include "app/geometry.h"

namespace tf {

// All values in DIPs.
struct SettingsLayout {
    float margin = 0;          // m: left and right margin, 20..50
    float right = 0;           // R = W - m
    float offsetY = 0;         // oy: extra top offset of a tall window
    float spread = 0;          // t: 0..1, how far the rows move apart
    RectF headerTitle;
    RectF headerSubtitle;
    float folderLabelTop = 0;  // "Capture folder"
    float folderDescriptionTop = 0;
    float folderRowTop = 0;    // f
    float languageRowTop = 0;  // l
    float openAfterRowTop = 0; // a
    float loggingRowTop = 0;   // g
    float feedbackRowTop = 0;  // b
    float scrollModeRowTop = 0;  // below the feedback row, one row further
    float labelLeft = 0;       // label column from m …
    float labelRight = 0;      // … to R - 170
    bool operator==(const SettingsLayout&) const = default;
};

SettingsLayout computeSettingsLayout(float width, float height);

// The controls of the settings window as its layout pass places them
// (client pixels); all hidden on the help and about pages.
struct SettingsControlsLayout {
    ControlPlacement folderBox;     // id 29
    ControlPlacement chooseFolder;  // id 30
    ControlPlacement language;      // id 31
    ControlPlacement openAfter;     // id 32
    ControlPlacement logging;       // id 33
    ControlPlacement feedback;      // id 42
    ControlPlacement scrollMode;    // id 50
    bool operator==(const SettingsControlsLayout&) const = default;
};

SettingsControlsLayout layoutSettingsControls(Size clientPx, uint32_t dpi, UiState state, UiLanguage language);

}  // namespace tf
