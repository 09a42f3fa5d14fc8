#include "core/texts/capture_messages.h"

#include <cstdio>

#include "core/texts/texts.h"

namespace tf {

std::wstring captureFailureText(const CaptureFailure& failure, UiLanguage language) {
    switch (failure.kind) {
        case CaptureError::WheelDisabled: return pick(texts::wheelDisabledMessage, language);
        case CaptureError::WheelInputFailed: return pick(texts::wheelInputFailedMessage, language);
        case CaptureError::ScrollInputFailed: return pick(texts::scrollInputFailedMessage, language);
        case CaptureError::TargetElevated: return pick(texts::targetElevatedMessage, language);
        case CaptureError::LostOverlap: {
            wchar_t buffer[320] = {};
            std::swprintf(buffer, sizeof buffer / sizeof buffer[0], pick(texts::lostOverlapMessage, language),
                          failure.overlap, failure.score);
            buffer[319] = L'\0';
            return buffer;
        }
        case CaptureError::None: break;
    }
    return {};
}

std::wstring captureLimitResultText(CaptureLimit limit, int32_t frameLimit, UiLanguage language) {
    if (limit == CaptureLimit::Pixels) return pick(texts::pixelLimitResultSubtitle, language);
    if (limit != CaptureLimit::Frames) return {};
    wchar_t buffer[160] = {};
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], pick(texts::frameLimitResultSubtitle, language), frameLimit);
    buffer[159] = L'\0';
    return buffer;
}

const wchar_t* splitHeightName(int32_t splitHeightPx, UiLanguage language) {
    switch (splitHeightPx) {
        case 16000: return pick(texts::split16000Choice, language);
        case 32000: return pick(texts::split32000Choice, language);
        default: return pick(texts::splitOffChoice, language);
    }
}

std::wstring splitPartsResultText(size_t parts, int32_t partLength, UiLanguage language) {
    wchar_t buffer[200] = {};
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], pick(texts::splitPartsResultSubtitle, language),
                  static_cast<unsigned>(parts), partLength);
    buffer[199] = L'\0';
    return buffer;
}

std::wstring tallImageResultText(int64_t length, UiLanguage language) {
    wchar_t buffer[240] = {};
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], pick(texts::tallImageResultSubtitle, language),
                  static_cast<long long>(length));
    buffer[239] = L'\0';
    return buffer;
}

}  // namespace tf
