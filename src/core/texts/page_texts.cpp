#include "core/texts/page_texts.h"

#include <cwchar>

namespace tf {

std::wstring fileNameOf(std::wstring_view path) {
    const size_t at = path.find_last_of(L"\\/");
    return std::wstring(at == std::wstring_view::npos ? path : path.substr(at + 1));
}

std::wstring parentFolderOf(std::wstring_view path) {
    const size_t at = path.find_last_of(L"\\/");
    if (at == std::wstring_view::npos) return {};
    std::wstring_view folder = path.substr(0, at);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
    return std::wstring(folder);
}

std::wstring resultStatisticsLine(uint64_t width, uint64_t height, uint32_t frames, uint64_t totalMs, bool english) {
    const wchar_t* format = english ? L"%llu \u00D7 %llu px  \u00B7  %u frames  \u00B7  %llu ms"
                                    : L"%llu \u00D7 %llu px  \u00B7  \u62FC\u63A5 %u \u5E27  \u00B7  %llu ms";
    std::wstring line(256, L'\0');
    const int n = std::swprintf(line.data(), line.size(), format, static_cast<unsigned long long>(width),
                                static_cast<unsigned long long>(height), static_cast<unsigned>(frames),
                                static_cast<unsigned long long>(totalMs));
    line.resize(n < 0 ? 0 : static_cast<size_t>(n));
    // The page formats into a fixed buffer: longer output is cut.
    if (line.size() > kStatisticsBufferChars - 1) line.resize(kStatisticsBufferChars - 1);
    return line;
}

}  // namespace tf
