#include "core/update/update_rules.h"

#include <algorithm>
#include <climits>
#include <cwctype>

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

namespace {

// One "%d" of a wide scan: blanks, an optional sign, at least one digit. The
// library scan has undefined behaviour when the number does not fit, and a tag
// is whatever the server sent, so out-of-range values saturate instead.
bool scanInteger(const wchar_t*& p, int& out) {
    const wchar_t* q = p;
    while (std::iswspace(static_cast<wint_t>(*q))) ++q;
    const bool negative = *q == L'-';
    if (*q == L'-' || *q == L'+') ++q;
    if (*q < L'0' || *q > L'9') return false;
    long long v = 0;
    for (; *q >= L'0' && *q <= L'9'; ++q) {
        if (v <= INT_MAX) v = v * 10 + (*q - L'0');
    }
    if (negative) v = -v;
    out = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    p = q;
    return true;
}

}  // namespace

std::array<int, 3> versionTriple(const std::wstring& text) {
    std::array<int, 3> v{0, 0, 0};
    const wchar_t* p = text.c_str();
    if (*p == L'v' || *p == L'V') ++p;
    // "%d.%d.%d": the scan stops at the first component it cannot read.
    for (size_t i = 0; i < v.size(); ++i) {
        if (i > 0) {
            if (*p != L'.') break;
            ++p;
        }
        if (!scanInteger(p, v[i])) break;
    }
    return v;
}

bool isNewerThanProgramVersion(const std::wstring& tag) {
    return versionTriple(tag) > versionTriple(kProgramVersion);
}

}  // namespace tf
