#include <gtest/gtest.h>

#include <string>

#include "core/texts/seam_texts.h"
#include "core/texts/texts.h"

namespace tf {
namespace {

SeamRecord pair(size_t n, int32_t overlap, double score) {
    SeamRecord r;
    r.pair = n;
    r.overlap = overlap;
    r.score = score;
    return r;
}

TEST(SeamTexts, SayThePairTheOverlapAndWhy) {
    SeamRecord shift = pair(28, 793, 0.0);
    shift.smallShift = 7;
    SeamRecord both = pair(4, 300, 0.0);
    both.ownPanels = true;
    both.identicalRows = 90;
    SeamRecord panels = pair(2, 400, 0.25);
    panels.panelsPastedOnce = true;
    SeamRecord other = pair(5, 120, 1.0);
    other.otherNote = "bars=1";
    const struct {
        SeamRecord record;
        const wchar_t* english;
        const wchar_t* chinese;
    } cases[] = {
        {pair(1, 460, 0.46), L"Frames 1 and 2: overlap 460 px, matched over many agreeing rows (score 0.46)",
         L"第 1 与第 2 帧：重叠 460 px，多行一致，匹配可靠（分数 0.46）"},
        {pair(11, 460, 3.9), L"Frames 11 and 12: overlap 460 px, matched on thin evidence (score 3.90)",
         L"第 11 与第 12 帧：重叠 460 px，匹配依据不足（分数 3.90）"},
        {shift, L"Frames 28 and 29: overlap 793 px, joined by a small shift of 7 px",
         L"第 28 与第 29 帧：重叠 793 px，按 7 px 的小幅移动拼接"},
        {both,
         L"Frames 4 and 5: overlap 300 px, placed by 90 identical rows; matched around the side panels these two "
         L"frames show",
         L"第 4 与第 5 帧：重叠 300 px，按 90 行完全相同的像素定位；按这两帧自己的侧栏匹配"},
        {panels, L"Frames 2 and 3: overlap 400 px, matched between the side panels, which are shown once (score 0.25)",
         L"第 2 与第 3 帧：重叠 400 px，在侧栏之间匹配，侧栏只保留一份（分数 0.25）"},
        {other, L"Frames 5 and 6: overlap 120 px, decided by another fallback (bars=1)",
         L"第 5 与第 6 帧：重叠 120 px，由其他后备规则决定（bars=1）"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(seamMarkText(c.record, UiLanguage::English), c.english);
        EXPECT_EQ(seamMarkText(c.record, UiLanguage::ChineseSimplified), c.chinese);
    }
}

TEST(SeamTexts, EveryKindHasANameInBothLanguages) {
    for (int32_t k = 0; k < kSeamKindCount; ++k) {
        const auto kind = static_cast<SeamKind>(k);
        const std::wstring en = seamKindName(kind, UiLanguage::English), zh = seamKindName(kind, UiLanguage::ChineseSimplified);
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(zh.empty());
        EXPECT_NE(en, zh);
        for (int32_t j = 0; j < k; ++j) EXPECT_NE(en, seamKindName(static_cast<SeamKind>(j), UiLanguage::English));
        // A mark's name is its kind, then its text, with each language's own colon.
        SeamRecord record;
        record.pair = 2;
        record.overlap = 90;
        EXPECT_EQ(seamMarkName(kind, record, UiLanguage::English),
                  en + L": " + seamMarkText(record, UiLanguage::English));
        EXPECT_EQ(seamMarkName(kind, record, UiLanguage::ChineseSimplified),
                  zh + L"：" + seamMarkText(record, UiLanguage::ChineseSimplified));
    }
    EXPECT_STREQ(tr(UiLanguage::English, texts::reviewAfterLabel), L"Review after each capture");
    EXPECT_STREQ(tr(UiLanguage::English, texts::cutAtSeamCommand), L"Cut at this seam");
    EXPECT_STREQ(tr(UiLanguage::English, texts::saveTrimmedButton), L"Save trimmed");
}

TEST(SeamTexts, ReviewFiguresReadTheSameInBothLanguages) {
    const ReviewFigures f{1920, 70000, 1900, 69500, 99, 37};
    EXPECT_EQ(reviewStatusLine(f, UiLanguage::English),
              L"1920 \u00d7 70000 px  \u00b7  kept 1900 \u00d7 69500  \u00b7  99 seams  \u00b7  37 %");
    EXPECT_EQ(reviewStatusLine(f, UiLanguage::ChineseSimplified),
              L"1920 \u00d7 70000 px  \u00b7  保留 1900 \u00d7 69500  \u00b7  99 处拼接  \u00b7  37 %");
    EXPECT_EQ(reviewImageName(f, UiLanguage::English), L"Captured image, 1920 \u00d7 70000 px, kept 1900 \u00d7 69500 px, 99 seams");
    EXPECT_EQ(reviewImageName(f, UiLanguage::ChineseSimplified), L"截图，1920 \u00d7 70000 px，保留 1900 \u00d7 69500 px，99 处拼接");
}

}  // namespace
}  // namespace tf
