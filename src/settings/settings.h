#pragma once
// The user settings: one process-wide record, read once at start and written
// back whole whenever one of them changes.

#include <cstdint>
#include <string>

#include "settings/hotkey_chord.h"
#include "settings/ui_language.h"

namespace tf {

struct Settings {
    std::wstring captureFolder;                         // never empty after loading
    UiLanguage language = UiLanguage::ChineseSimplified;
    bool openAfterCapture = true;
    bool captureLoggingEnabled = kCaptureLoggingDefault;
    bool copyAfterCapture = true;                        // the saved image also goes to the clipboard
    HotkeyChord captureHotkey = defaultCaptureHotkey();  // empty: no global hotkey
};

// The process-wide record. Main thread only.
extern Settings settings;

}  // namespace tf
