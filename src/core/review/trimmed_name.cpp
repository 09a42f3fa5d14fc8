#include "core/review/trimmed_name.h"

#include <string>

namespace tf {

std::filesystem::path trimmedFileName(const std::filesystem::path& capture,
                                      const std::function<bool(const std::filesystem::path&)>& exists) {
    const std::filesystem::path folder = capture.parent_path();
    const std::wstring stem = capture.stem().wstring() + L"-trimmed";
    for (int32_t n = 1; n <= kMaxTrimmedNumber; ++n) {
        const std::wstring name = n == 1 ? stem + L".png" : stem + L"-" + std::to_wstring(n) + L".png";
        const std::filesystem::path candidate = folder / name;
        if (!exists(candidate)) return candidate;
    }
    return {};
}

}  // namespace tf
