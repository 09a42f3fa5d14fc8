#pragma once
// The path data of the icon subset (M L H V C A Z, absolute or relative) and
// the number syntax shared with the document's attributes. Internal to the
// SVG icon parser.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/svg_icon.h"

namespace tf::svg {

inline bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads one number at `pos` in `s` (skipping blanks and one comma before it).
class NumberReader {
public:
    explicit NumberReader(std::string_view s) : s_(s) {}

    void skipSeparators() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == ',') ++pos_;
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= s_.size();
    }
    bool startsNumber() {
        skipSeparators();
        if (pos_ >= s_.size()) return false;
        const char c = s_[pos_];
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    }
    bool number(float& out) {
        skipSeparators();
        size_t p = pos_;
        if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
        const size_t digitsStart = p;
        bool any = false;
        while (p < s_.size() && s_[p] >= '0' && s_[p] <= '9') { ++p; any = true; }
        if (p < s_.size() && s_[p] == '.') {
            ++p;
            while (p < s_.size() && s_[p] >= '0' && s_[p] <= '9') { ++p; any = true; }
        }
        if (!any) return false;
        if (p < s_.size() && (s_[p] == 'e' || s_[p] == 'E')) {
            size_t q = p + 1;
            if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) ++q;
            const size_t expDigits = q;
            while (q < s_.size() && s_[q] >= '0' && s_[q] <= '9') ++q;
            if (q > expDigits) p = q;
        }
        const bool negative = s_[pos_] == '-';
        double value = 0;
        const auto r = std::from_chars(s_.data() + digitsStart, s_.data() + p, value, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr != s_.data() + p || !std::isfinite(value) || std::fabs(value) > 1e7) {
            return false;
        }
        out = static_cast<float>(negative ? -value : value);
        pos_ = p;
        return true;
    }
    // Arc flags may be written without separators ("a1 1 0 01 4 4").
    bool flag(bool& out) {
        skipSeparators();
        if (pos_ < s_.size() && (s_[pos_] == '0' || s_[pos_] == '1')) {
            out = s_[pos_] == '1';
            ++pos_;
            return true;
        }
        return false;
    }
    bool command(char& out) {
        skipBlanks();
        if (pos_ < s_.size() && std::string_view("MmLlHhVvCcAaZz").find(s_[pos_]) != std::string_view::npos) {
            out = s_[pos_++];
            return true;
        }
        return false;
    }

private:
    void skipBlanks() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }
    std::string_view s_;
    size_t pos_ = 0;
};

// Appends the figures of a path's "d" to `figures`, spending one unit of
// `budget` per segment; false with `error` set on bad data or an empty budget.
bool parsePathData(std::string_view d, std::vector<SvgFigure>& figures, size_t& budget, std::string& error);

}  // namespace tf::svg
