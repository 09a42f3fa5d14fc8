#include "core/settings/ini_document.h"

#include <climits>
#include <cstdint>

#include "ground/utf8.h"

namespace tf {
namespace {

std::wstring trim(std::wstring_view s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == L' ' || s[a] == L'\t')) ++a;
    while (b > a && (s[b - 1] == L' ' || s[b - 1] == L'\t' || s[b - 1] == L'\r')) --b;
    return std::wstring(s.substr(a, b - a));
}

bool sameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return true;
}

// The section name of a "[name]" line, if it is one.
std::optional<std::wstring> sectionOf(const std::wstring& line) {
    const std::wstring t = trim(line);
    if (t.size() < 2 || t.front() != L'[') return std::nullopt;
    const size_t close = t.find(L']');
    if (close == std::wstring::npos) return std::nullopt;
    return trim(std::wstring_view(t).substr(1, close - 1));
}

// Key and value of a "key=value" line, if it is one.
bool keyValueOf(const std::wstring& line, std::wstring& key, std::wstring& value) {
    const std::wstring t = trim(line);
    if (t.empty() || t[0] == L';') return false;
    const size_t eq = t.find(L'=');
    if (eq == std::wstring::npos) return false;
    key = trim(std::wstring_view(t).substr(0, eq));
    value = trim(std::wstring_view(t).substr(eq + 1));
    return true;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r'; }

// A value in double quotes is read without them, as the profile functions do.
std::wstring unquoted(const std::wstring& v) {
    if (v.size() >= 2 && v.front() == L'"' && v.back() == L'"') return v.substr(1, v.size() - 2);
    return v;
}

bool needsQuotes(const std::wstring& v) {
    if (v.empty()) return false;
    return isBlank(v.front()) || isBlank(v.back()) || (v.size() >= 2 && v.front() == L'"' && v.back() == L'"');
}

}  // namespace

int profileInteger(const std::wstring& text) {
    const std::wstring t = trim(text);
    int64_t v = 0;
    for (wchar_t c : t) {
        if (c < L'0' || c > L'9') break;
        v = v * 10 + (c - L'0');
        if (v > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(v);
}

IniDocument IniDocument::parse(std::string_view utf8) {
    if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    IniDocument doc;
    const std::wstring text = wideFromUtf8(utf8);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        doc.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return doc;
}

std::string IniDocument::serialize() const {
    std::string out;
    for (const std::wstring& line : lines_) out += utf8FromWide(line) + "\r\n";
    return out;
}

std::optional<std::wstring> IniDocument::get(const std::wstring& section, const std::wstring& key) const {
    bool inSection = false;
    std::wstring k, v;
    for (const std::wstring& line : lines_) {
        if (const auto s = sectionOf(line)) {
            inSection = sameName(*s, section);
        } else if (inSection && keyValueOf(line, k, v) && sameName(k, key)) {
            return unquoted(v);
        }
    }
    return std::nullopt;
}

void IniDocument::set(const std::wstring& section, const std::wstring& key, const std::wstring& rawValue) {
    const std::wstring value = needsQuotes(rawValue) ? L"\"" + rawValue + L"\"" : rawValue;
    bool inSection = false;
    size_t lastOfSection = lines_.size();
    std::wstring k, v;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (const auto s = sectionOf(lines_[i])) {
            inSection = sameName(*s, section);
            if (inSection) lastOfSection = i;
        } else if (inSection) {
            if (keyValueOf(lines_[i], k, v) && sameName(k, key)) {
                lines_[i] = k + L"=" + value;
                return;
            }
            if (!trim(lines_[i]).empty()) lastOfSection = i;
        }
    }
    if (lastOfSection == lines_.size()) {
        lines_.push_back(L"[" + section + L"]");
        lines_.push_back(key + L"=" + value);
    } else {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastOfSection) + 1, key + L"=" + value);
    }
}

std::vector<IniDocument::Entry> IniDocument::entries() const {
    std::vector<Entry> out;
    std::wstring section;
    bool inAnySection = false;
    std::wstring k, v;
    for (const std::wstring& line : lines_) {
        if (const auto s = sectionOf(line)) {
            section = *s;
            inAnySection = true;
        } else if (inAnySection && keyValueOf(line, k, v)) {
            bool seen = false;
            for (const Entry& e : out) seen = seen || (sameName(e.section, section) && sameName(e.key, k));
            if (!seen) out.push_back({section, k, *get(section, k)});
        }
    }
    return out;
}

std::wstring profileString(const IniDocument& doc, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback, size_t capacity) {
    std::wstring v = doc.get(section, key).value_or(fallback);
    const size_t room = capacity > 0 ? capacity - 1 : 0;
    if (v.size() > room) v.resize(room);
    return v;
}

int profileInt(const IniDocument& doc, const std::wstring& section, const std::wstring& key, int fallback) {
    const auto v = doc.get(section, key);
    return v ? profileInteger(*v) : fallback;
}

}  // namespace tf
