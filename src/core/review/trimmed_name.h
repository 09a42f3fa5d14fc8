#pragma once
// The name a trimmed copy of a capture is saved under, beside the capture:
// "<capture name>-trimmed.png", then "-trimmed-2.png", "-trimmed-3.png" and
// so on while a name is taken. The capture itself is never the target.

#include <cstdint>
#include <filesystem>
#include <functional>

namespace tf {

inline constexpr int32_t kMaxTrimmedNumber = 9999;

// The first free name for a trimmed copy of `capture`, asking `exists` about
// each candidate; empty when every number up to kMaxTrimmedNumber is taken.
std::filesystem::path trimmedFileName(const std::filesystem::path& capture,
                                      const std::function<bool(const std::filesystem::path&)>& exists);

}  // namespace tf
