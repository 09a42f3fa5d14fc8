#pragma once
// The interface language (every user-visible text exists in both) and the
// defaults of the settings that portable code must know without the record.

#include <cstdint>

namespace tf {

enum class UiLanguage : int32_t { ChineseSimplified = 0, English = 1 };

// Capture logging is off until the user turns it on.
inline constexpr bool kCaptureLoggingDefault = false;

}  // namespace tf
