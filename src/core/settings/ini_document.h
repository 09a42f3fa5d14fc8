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
    // A value that reading would change (blanks at either end, or one pair of
    // enclosing quotes) is written in quotes, so it reads back as it was set.
    void set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    struct Entry {
        std::wstring section, key, value;
    };
    // Every key in file order, each with the value `get` gives for it (the first
    // occurrence of a section and key wins).
    std::vector<Entry> entries() const;

private:
    std::vector<std::wstring> lines_;
};

// The profile functions' integer rule: leading decimal digits (saturated), 0
// when the text does not start with one.
int profileInteger(const std::wstring& text);

// The profile functions' reads over a document: a string cut to what a buffer
// of `capacity` characters holds (capacity − 1), and an integer by the rule above.
std::wstring profileString(const IniDocument& doc, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback, size_t capacity);
int profileInt(const IniDocument& doc, const std::wstring& section, const std::wstring& key, int fallback);

}  // namespace tf
