#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/texts/bilingual.h"
#include "core/texts/texts.h"

namespace tf {
namespace {

// The conversions of a printf format, in order ("%d", "%.2f", "%llu", ...).
std::wstring conversionsOf(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') continue;
        while (*p && std::wstring_view(L"diouxXeEfgGcsp").find(*p) == std::wstring_view::npos) out.push_back(*p++);
        if (!*p) break;
        out.push_back(*p);
        out.push_back(L' ');
    }
    return out;
}

TEST(BilingualTexts, EnglishOnlyWhenTheLanguageIsEnglish) {
    EXPECT_STREQ(pick(texts::startButton, UiLanguage::English), L"Start long screenshot");
    EXPECT_STREQ(pick(texts::startButton, UiLanguage::ChineseSimplified), L"开始截长图");
    // A value that was never stored still means Chinese.
    EXPECT_STREQ(pick(texts::productName, static_cast<UiLanguage>(7)), L"塔利帧");

}

// The lookup the interface uses takes the language at each call: two lookups
// in two languages side by side each get their own half.
TEST(BilingualTexts, LookupFollowsTheLanguageItIsGiven) {
    struct Case {
        UiLanguage language;
        const wchar_t* product;
        const wchar_t* start;
        bool english;
    } cases[] = {
        {UiLanguage::English, L"Tallyframe", L"Start long screenshot", true},
        {UiLanguage::ChineseSimplified, L"塔利帧", L"开始截长图", false},
        {static_cast<UiLanguage>(7), L"塔利帧", L"开始截长图", false},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(tr(c.language, texts::productName), c.product);
        EXPECT_STREQ(tr(c.language, texts::startButton), c.start);
        EXPECT_EQ(englishUi(c.language), c.english);
    }
    EXPECT_STRNE(tr(UiLanguage::English, texts::settingsButton), tr(UiLanguage::ChineseSimplified, texts::settingsButton));
}

TEST(BilingualTexts, FormatPairsTakeTheSameArguments) {
    const BilingualText formats[] = {texts::capturingStatus, texts::autoCapturingStatus, texts::savingStatus,
                                     texts::lostOverlapMessage, texts::resultStatistics};
    for (const BilingualText& f : formats) {
        EXPECT_FALSE(conversionsOf(f.english).empty()) << f.english;
        EXPECT_EQ(conversionsOf(f.english), conversionsOf(f.chinese)) << f.english;
    }
}

TEST(BilingualTexts, SourceIsReadAsUtf8) {
    // One wide character per Chinese character: the compiler took the file as UTF-8.
    EXPECT_EQ(std::wstring(texts::productName.chinese), std::wstring({L'\u5854', L'\u5229', L'\u5E27'}));
}

}  // namespace
}  // namespace tf
