#include "ground/utf8.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(Utf8, EncodesEveryPlane) {
    EXPECT_EQ(utf8FromWide(L"a\u00B7\u4E2D"), "a\xC2\xB7\xE4\xB8\xAD");
    std::wstring astral;
    if constexpr (sizeof(wchar_t) == 2) {
        astral = {wchar_t(0xD83D), wchar_t(0xDE00)};  // U+1F600 as a surrogate pair
    } else {
        astral = {wchar_t(0x1F600)};
    }
    EXPECT_EQ(utf8FromWide(astral), "\xF0\x9F\x98\x80");
    EXPECT_EQ(wideFromUtf8("\xF0\x9F\x98\x80"), astral);
    // A lone surrogate becomes the replacement character rather than invalid bytes.
    EXPECT_EQ(utf8FromWide(std::wstring{wchar_t(0xD800), L'x'}), "\xEF\xBF\xBDx");
}

TEST(Utf8, RoundTripsAndRepairsBrokenInput) {
    const std::wstring text = L"A ü € 截图";
    EXPECT_EQ(wideFromUtf8(utf8FromWide(text)), text);
    const std::wstring fffd(1, static_cast<wchar_t>(0xFFFD));
    struct Case {
        const char* bytes;
        std::wstring wide;
    } cases[] = {
        {"\xC3", fffd},                         // cut short
        {"\xC0\xAF", fffd + fffd},              // overlong
        {"a\xED\xA0\x80z", L"a" + fffd + fffd + fffd + L"z"},  // an encoded surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},        // beyond U+10FFFF
    };
    for (const Case& c : cases) EXPECT_EQ(wideFromUtf8(c.bytes), c.wide) << c.bytes;
}

}  // namespace
}  // namespace tf
