#pragma once
// The words for a failed capture: the controller says what happened, these
// say it in the user's language.

#include <cstdint>
#include <string>

#include "core/capture/capture_controller.h"
#include "core/settings/ui_language.h"

namespace tf {

// The message box text, bounded as its buffer is (320 characters); empty for
// CaptureError::None.
std::wstring captureFailureText(const CaptureFailure& failure, UiLanguage language);

// A system setting or a way of capturing the user can change is a warning;
// the rest are errors.
inline bool captureFailureIsWarning(const CaptureFailure& failure) {
    return failure.kind == CaptureError::WheelDisabled || failure.kind == CaptureError::TargetElevated;
}

// The result page's line for a capture that a limit ended: it was saved, and
// the page goes on; empty for CaptureLimit::None.
std::wstring captureLimitResultText(CaptureLimit limit, int32_t frameLimit, UiLanguage language);

// The settings row's name of a part height: "Off", "16,000 px", ...
const wchar_t* splitHeightName(int32_t splitHeightPx, UiLanguage language);
// The result page's line after a split save.
std::wstring splitPartsResultText(size_t parts, int32_t partLength, UiLanguage language);
// The result page's line for an image longer than some viewers show.
std::wstring tallImageResultText(int64_t length, UiLanguage language);

}  // namespace tf
