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

// Every row under the folder row, in order (the tab order too): its control,
// its label and description, and the name its control gives itself. The
// first kClassicSettingsRowCount are the classic page's; the window is
// taller by the rest. Another row is one more entry here, its control in the
// control table, and its setting where the switches or commands read it.
enum class SettingsRowControl { Dropdown, Switch, Chord };
struct SettingsRow {
    ControlId control;
    SettingsRowControl kind;
    BilingualText label;
    BilingualText description;
    BilingualText controlName;
};
inline constexpr SettingsRow kSettingsRows[] = {
    {ControlId::Language, SettingsRowControl::Dropdown, texts::languageLabel, texts::languageDescription,
     texts::languageCommand},
    {ControlId::OpenAfterCapture, SettingsRowControl::Switch, texts::openAfterLabel, texts::openAfterDescription,
     texts::openAfterLabel},
    {ControlId::CaptureLogging, SettingsRowControl::Switch, texts::captureLoggingCommand, texts::loggingDescription,
     texts::captureLoggingCommand},
    {ControlId::CopyAfterCapture, SettingsRowControl::Switch, texts::copyAfterLabel, texts::copyAfterDescription,
     texts::copyAfterLabel},
    {ControlId::CaptureHotkey, SettingsRowControl::Chord, texts::captureHotkeyLabel, texts::captureHotkeyDescription,
     texts::captureHotkeyLabel},
    {ControlId::ScrollMode, SettingsRowControl::Switch, texts::scrollModeCommand, texts::scrollModeDescription,
     texts::scrollModeCommand},
    {ControlId::StartFromTop, SettingsRowControl::Switch, texts::startFromTopCommand, texts::startFromTopDescription,
     texts::startFromTopCommand},
    {ControlId::CaptureSideways, SettingsRowControl::Switch, texts::captureSidewaysCommand,
     texts::captureSidewaysDescription, texts::captureSidewaysCommand},
    {ControlId::ReviewAfterCapture, SettingsRowControl::Switch, texts::reviewAfterLabel, texts::reviewAfterDescription,
     texts::reviewAfterLabel},
    {ControlId::SplitTallImages, SettingsRowControl::Dropdown, texts::splitTallLabel, texts::splitTallDescription,
     texts::splitTallLabel},
};
inline constexpr size_t kSettingsRowCount = std::size(kSettingsRows);
inline constexpr size_t kClassicSettingsRowCount = 3;
inline constexpr size_t kAddedSettingsRowCount = kSettingsRowCount - kClassicSettingsRowCount;
// Each added row takes this much height at full spread; the window is that
// much taller than the classic page, so the classic rows stay where they were.
inline constexpr float kAddedSettingsRowPitch = 60;
inline constexpr float kAddedSettingsRowsHeight = kAddedSettingsRowPitch * kAddedSettingsRowCount;
// The chord control's width; its row's texts end before it.
inline constexpr float kChordControlWidth = 200;

// The row of a control, or nothing.
const SettingsRow* settingsRowOf(ControlId control);

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
    std::array<float, kSettingsRowCount> rowTops{};  // in the order of kSettingsRows; the added ones zero on the classic page
    float feedbackRowTop = 0;  // b
    float labelLeft = 0;       // label column from m …
    float labelRight = 0;      // … to R - 170
    bool operator==(const SettingsLayout&) const = default;
};

// The header's title and subtitle sizes; their boxes are in the layout.
inline constexpr float kSettingsTitleTextSize = 28;
inline constexpr float kSettingsSubtitleTextSize = 14;

// The classic page: the rows spread over `height` with nothing added.
SettingsLayout computeSettingsLayout(float width, float height);

// The page as the window shows it: the classic rows laid out over the height
// left after the added rows, the added rows below the logging row at the same
// spacing, the feedback row after them; everything moved up by `scrolled`.
SettingsLayout computeSettingsPageLayout(float width, float height, float scrolled);

// How far the page may scroll in a client `height` DIPs tall: the classic rows
// squeezed to their minimum spread plus the added rows, beyond the height.
float settingsPageScrollLimit(float height);

// The texts of the general page.
PageText settingsFolderLabel(const SettingsLayout& l);
PageText settingsFolderDescription(const SettingsLayout& l);
struct SettingsRowTexts {
    PageText label;
    PageText description;
};
SettingsRowTexts settingsRowTexts(const SettingsLayout& l, size_t row);
PageText settingsVersionText(const SettingsLayout& l);  // at the right end of the feedback row

// The help page: three step cards side by side over the width, then three
// text rows with hairlines between them. Hairlines are one pixel of `dpi`.
struct HelpCard {
    RectF frame;
    float radius = 0;
    PageText number, title, description;
};
struct HelpRow {
    PageText text;
    bool divider = false;  // a hairline at `dividerY` along the row's width
    float dividerY = 0;
};
struct SettingsHelpLayout {
    std::array<HelpCard, 3> cards;
    std::array<HelpRow, 3> rows;
    float hairline = 0;
};
SettingsHelpLayout computeSettingsHelpLayout(float width, float margin, uint32_t dpi);

// The about page: the product mark and four centred lines.
struct SettingsAboutLayout {
    RectF mark;
    PageText product, tagline, publisher, rights;
};
SettingsAboutLayout computeSettingsAboutLayout(float width, float margin);

// The controls of the settings window as its layout pass places them (client
// pixels); the rows' controls are hidden on the help and about pages.
struct SettingsControlsLayout {
    ControlPlacement folderBox;
    ControlPlacement chooseFolder;
    std::array<ControlPlacement, kSettingsRowCount> rows{};  // in the order of kSettingsRows
    ControlPlacement feedback;
    std::array<ControlPlacement, 3> navigation{};  // general, help, about in the top right corner
    ControlPlacement checkUpdates;                 // under the about page's texts, on that page only
    bool operator==(const SettingsControlsLayout&) const = default;
};

SettingsControlsLayout layoutSettingsControls(Size clientPx, uint32_t dpi, UiState state, UiLanguage language,
                                              float scrolled = 0);

// The settings window's outer rectangle: centred over the main window's
// `mainRect`, inside the work area, taller by the added rows when the work
// area allows, else as tall as the work area and no less than its minimum.
Rect settingsWindowRect(const Rect& mainRect, const Rect& workArea, uint32_t dpi);
Size settingsMinimumTrackSize(uint32_t dpi);

}  // namespace tf
