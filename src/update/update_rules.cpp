#include "update/update_rules.h"

#include <cwchar>

namespace tf {

std::optional<std::wstring> extractTagName(std::string_view body) {
    if (body.size() > kTagSearchLimit) body = body.substr(0, kTagSearchLimit);
    if (body.size() < 10) return std::nullopt;
    const size_t key = body.find("\"tag_name\"");
    if (key == std::string_view::npos) return std::nullopt;
    const size_t colon = body.find(':', key + 10);
    if (colon == std::string_view::npos) return std::nullopt;
    const size_t open = body.find('"', colon + 1);
    if (open == std::string_view::npos) return std::nullopt;
    const size_t close = body.find('"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::wstring tag;
    tag.reserve(close - open - 1);
    for (size_t i = open + 1; i < close; ++i) tag.push_back(static_cast<wchar_t>(static_cast<unsigned char>(body[i])));
    return tag;
}

std::array<int, 3> versionTriple(const std::wstring& text) {
    std::array<int, 3> v{0, 0, 0};
    const wchar_t* p = text.c_str();
    if (*p == L'v' || *p == L'V') ++p;
    // swscanf stops at the first component it cannot read; the rest stay 0.
    std::swscanf(p, L"%d.%d.%d", &v[0], &v[1], &v[2]);
    return v;
}

bool isNewerThanProgramVersion(const std::wstring& tag) {
    return versionTriple(tag) > versionTriple(kProgramVersion);
}

}  // namespace tf
