#pragma once
// The user settings: one record, read once at start and written back whole
// whenever one of them changes. The interactive program's application object
// owns it; everything else gets it as a parameter.

#include <cstdint>
#include <string>

#include "core/settings/hotkey_chord.h"
#include "core/settings/ui_language.h"
#include "ground/scroll_direction.h"

namespace tf {

// Who scrolls the area during a capture: the program by wheel input, or the
// person (for windows that drop synthesised input) while the program follows.
enum class ScrollMode : int32_t { Auto = 0, Manual = 1 };

struct Settings {
    std::wstring captureFolder;                         // never empty after loading
    UiLanguage language = UiLanguage::ChineseSimplified;
    bool openAfterCapture = true;
    bool captureLoggingEnabled = kCaptureLoggingDefault;
    bool copyAfterCapture = true;                        // the saved image also goes to the clipboard
    HotkeyChord captureHotkey = defaultCaptureHotkey();  // empty: no global hotkey
    ScrollMode scrollMode = ScrollMode::Auto;
    bool startFromTop = false;                           // an automatic capture first sends the page to its top
    ScrollDirection captureDirection = ScrollDirection::Down;  // the overlay's arrow keys change it for one capture
    bool reviewAfterCapture = false;                     // the review window opens after every capture
    // Rows (columns, sideways) per saved part of a longer image; 0 saves one
    // file. One of kSplitHeightChoices after loading.
    int32_t splitHeightPx = 0;
};

// What the settings row offers for splitHeightPx, in its order: off, and two
// heights many viewers show whole (some refuse anything over 16,384 or 32,767 px).
inline constexpr int32_t kSplitHeightChoices[] = {0, 16000, 32000};

// Over this many rows (columns, sideways) an image is not shown whole by
// some viewers; the result page says so when splitting is off.
inline constexpr int64_t kViewerSafeImageLength = 32767;

}  // namespace tf
