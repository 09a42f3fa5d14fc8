#pragma once
// A small INI document with the profile functions' rules: sections and keys
// match ignoring ASCII case, values are trimmed, other sections, keys and
// comments are kept as they were when a value is set.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

class IniDocument {
public:
    static IniDocument parse(std::string_view utf8);
    std::string serialize() const;  // UTF-8, CR LF line ends

    std::optional<std::wstring> get(const std::wstring& section, const std::wstring& key) const;
    void set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

private:
    std::vector<std::wstring> lines_;
};

// Conversions that never fail: invalid input becomes U+FFFD.
std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

// The profile functions' integer rule: leading decimal digits (saturated), 0
// when the text does not start with one.
int profileInteger(const std::wstring& text);

}  // namespace tf
