#pragma once
// The one UTF-8 codec: wide text is UTF-16 on Windows and UTF-32 elsewhere.
// Conversions never fail: an unpaired surrogate, an invalid code point or a
// malformed byte sequence becomes U+FFFD.

#include <string>
#include <string_view>

namespace tf {

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

}  // namespace tf
