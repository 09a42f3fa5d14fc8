#pragma once
// Where the settings window's rows and controls go, as a pure function of its
// client size; the painter and the layout pass share it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/app/control_ids.h"
#include "core/app/geometry.h"
#include "core/texts/texts.h"

namespace tf {

// The rows added below the classic ones (folder, language, two switches), in
// order. Another row is one more entry here, its control in the control
// table, and its setting where the switches or commands read it.
enum class SettingsRowControl { Switch, Chord };
struct AddedSettingsRow {
    ControlId control;
    SettingsRowControl kind;
    BilingualText label;
    BilingualText description;
};
inline constexpr AddedSettingsRow kAddedSettingsRows[] = {
    {ControlId::CopyAfterCapture, SettingsRowControl::Switch, texts::copyAfterLabel, texts::copyAfterDescription},
    {ControlId::CaptureHotkey, SettingsRowControl::Chord, texts::captureHotkeyLabel, texts::captureHotkeyDescription},
    {ControlId::ScrollMode, SettingsRowControl::Switch, texts::scrollModeCommand, texts::scrollModeDescription},
};
inline constexpr size_t kAddedSettingsRowCount = std::size(kAddedSettingsRows);
// Each added row takes this much height at full spread; the window is that
// much taller than the classic page, so the classic rows stay where they were.
inline constexpr float kAddedSettingsRowPitch = 60;
inline constexpr float kAddedSettingsRowsHeight = kAddedSettingsRowPitch * kAddedSettingsRowCount;
// The chord control's width; its row's texts end before it.
inline constexpr float kChordControlWidth = 200;

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
    std::array<float, kAddedSettingsRowCount> addedRowTops{};  // zero on the classic page
    float labelLeft = 0;       // label column from m …
    float labelRight = 0;      // … to R - 170
    bool operator==(const SettingsLayout&) const = default;
};

// The classic page: the rows spread over `height` with nothing added.
SettingsLayout computeSettingsLayout(float width, float height);

// The page as the window shows it: the classic rows laid out over the height
// left after the added rows, the added rows below the logging row at the same
// spacing, the feedback row after them; everything moved up by `scrolled`.
SettingsLayout computeSettingsPageLayout(float width, float height, float scrolled);

// How far the page may scroll in a client `height` DIPs tall: the classic rows
// squeezed to their minimum spread plus the added rows, beyond the height.
float settingsPageScrollLimit(float height);

// The six controls of the settings window as its layout pass places them
// (client pixels); all hidden on the help and about pages.
struct SettingsControlsLayout {
    ControlPlacement folderBox;     // id 29
    ControlPlacement chooseFolder;  // id 30
    ControlPlacement language;      // id 31
    ControlPlacement openAfter;     // id 32
    ControlPlacement logging;       // id 33
    ControlPlacement feedback;      // id 42
    std::array<ControlPlacement, kAddedSettingsRowCount> addedRows{};  // in the order of kAddedSettingsRows
    bool operator==(const SettingsControlsLayout&) const = default;
};

SettingsControlsLayout layoutSettingsControls(Size clientPx, uint32_t dpi, UiState state, UiLanguage language,
                                              float scrolled = 0);

}  // namespace tf
