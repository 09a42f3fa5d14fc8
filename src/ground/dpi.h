#pragma once
// DIP scaling shared by every layout: sizes are designed in 1/96 inch and
// turned into pixels of the window's (or monitor's) DPI.

#include <cmath>
#include <cstdint>

namespace tf {

// (a × b) / c with a 64-bit product, rounded to nearest with halves away from
// zero, as the Win32 MulDiv does; -1 when c is 0 or the result does not fit
// in 32 bits. Portable so that the layouts compute the same pixels everywhere.
inline int32_t mulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t num = static_cast<int64_t>(a) * static_cast<int64_t>(b);
    int64_t den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const int64_t q = num >= 0 ? (num + den / 2) / den : (num - den / 2) / den;
    if (q > 2147483647LL || q < -2147483647LL) return -1;
    return static_cast<int32_t>(q);
}

// The system reports 0 when it has no DPI to offer; 96 is the design DPI.
inline uint32_t effectiveDpi(uint32_t dpi) { return dpi == 0 ? 96u : dpi; }

// DIPs to pixels of `dpi`.
inline int32_t dipsToPixels(int32_t dips, uint32_t dpi) {
    return mulDiv(dips, static_cast<int32_t>(effectiveDpi(dpi)), 96);
}

// Fractional DIPs (the painters' coordinates) to pixels of `dpi`, rounded the
// same way: halves away from zero.
inline int32_t fractionalDipsToPixels(float dips, uint32_t dpi) {
    return static_cast<int32_t>(std::lroundf(static_cast<float>(effectiveDpi(dpi)) * dips / 96.0f));
}

// Pixels back to DIPs: round(px × 96 / dpi), halves away from zero.
inline int32_t pixelsToDips(int32_t px, uint32_t dpi) {
    return static_cast<int32_t>(std::lround(static_cast<double>(px) * 96.0 / effectiveDpi(dpi)));
}

}  // namespace tf
