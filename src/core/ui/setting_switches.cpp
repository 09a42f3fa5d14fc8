#include "core/ui/setting_switches.h"

namespace tf {
namespace {

// The field of a switch, const or not as the record is.
template <typename Record>
auto switchField(Record& settings, ControlId id) -> decltype(&settings.openAfterCapture) {
    switch (id) {
        case ControlId::OpenAfterCapture: return &settings.openAfterCapture;
        case ControlId::CaptureLogging: return &settings.captureLoggingEnabled;
        case ControlId::CopyAfterCapture: return &settings.copyAfterCapture;
        case ControlId::StartFromTop: return &settings.startFromTop;
        case ControlId::ReviewAfterCapture: return &settings.reviewAfterCapture;
        default: return nullptr;
    }
}

}  // namespace

bool* switchSetting(Settings& settings, ControlId id) { return switchField(settings, id); }

bool switchIsOn(const Settings& settings, ControlId id) {
    // The scroll mode and the direction are choices of two that the switches
    // show as "manual" and "sideways".
    if (id == ControlId::ScrollMode) return settings.scrollMode == ScrollMode::Manual;
    if (id == ControlId::CaptureSideways) return settings.captureDirection == ScrollDirection::Right;
    const bool* value = switchField(settings, id);
    return value != nullptr && *value;
}

bool flipSwitch(Settings& settings, ControlId id) {
    if (id == ControlId::ScrollMode) {
        settings.scrollMode = settings.scrollMode == ScrollMode::Manual ? ScrollMode::Auto : ScrollMode::Manual;
    } else if (id == ControlId::CaptureSideways) {
        settings.captureDirection =
            settings.captureDirection == ScrollDirection::Right ? ScrollDirection::Down : ScrollDirection::Right;
    } else {
        bool* value = switchSetting(settings, id);
        if (value == nullptr) return false;
        *value = !*value;
    }
    return true;
}

}  // namespace tf
