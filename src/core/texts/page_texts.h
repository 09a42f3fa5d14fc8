#pragma once
// Texts the result page derives from the saved image: pure, so they are
// checked natively.

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

// The part after the last '\' or '/'.
std::wstring fileNameOf(std::wstring_view path);
// Everything before the last separator, trailing separators removed.
std::wstring parentFolderOf(std::wstring_view path);

inline constexpr size_t kStatisticsBufferChars = 160;  // output is cut to 159 characters

// "W × H px  ·  N frames  ·  T ms" (Chinese: "拼接 N 帧"), T = stitch + save.
std::wstring resultStatisticsLine(uint64_t width, uint64_t height, uint32_t frames, uint64_t totalMs, bool english);

}  // namespace tf
