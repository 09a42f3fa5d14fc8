#include "core/texts/capture_messages.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "core/tuning.h"

namespace {

using tf::CaptureError;
using tf::CaptureFailure;
using tf::UiLanguage;

TEST(CaptureMessages, EachFailureHasItsTextInBothLanguages) {
    struct Case {
        CaptureFailure failure;
        UiLanguage language;
        const wchar_t* text;
        bool warning;
    } cases[] = {
        {{CaptureError::WheelDisabled}, UiLanguage::ChineseSimplified,
         L"Windows 的鼠标滚轮设置为不滚动。请启用垂直滚动后重试。", true},
        {{CaptureError::WheelInputFailed}, UiLanguage::English,
         L"Mouse-wheel input could not be sent, so the capture was stopped.", false},
        {{CaptureError::LostOverlap, 12, 31.456}, UiLanguage::English,
         L"The next frame no longer overlapped the previous frame (12 px candidate overlap, score 31.46). "
         L"Capture stopped to avoid an incomplete image.",
         false},
        {{CaptureError::LostOverlap, 12, 31.456}, UiLanguage::ChineseSimplified,
         L"单次滚动后与上一帧失去重叠（候选重叠 12 px，分数 31.46），已停止以避免生成缺失内容的长图。", false},
        {{CaptureError::None}, UiLanguage::English, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure.kind));
        EXPECT_EQ(tf::captureFailureText(c.failure, c.language), c.text);
        EXPECT_EQ(tf::captureFailureIsWarning(c.failure), c.warning);
    }
}

// The limit is no failure any more: the result page says where the capture
// stopped, with the limit it stopped at, in either language.
TEST(CaptureMessages, TheLimitLineSaysWhichLimitStoppedTheCaptureAndThatThePageGoesOn) {
    using tf::CaptureLimit;
    EXPECT_EQ(tf::captureLimitResultText(CaptureLimit::Frames, tf::kMaxCaptureFrames, UiLanguage::English),
              L"The capture stopped at its " + std::to_wstring(tf::kMaxCaptureFrames) +
                  L"-frame limit: the page goes on past the end of this image.");
    EXPECT_EQ(tf::captureLimitResultText(CaptureLimit::Frames, 12, UiLanguage::ChineseSimplified),
              L"截图已在 12 帧上限处停止：页面在此图末尾之后还有内容。");
    EXPECT_EQ(tf::captureLimitResultText(CaptureLimit::Pixels, 12, UiLanguage::English),
              L"The capture stopped at its size limit: the page goes on past the end of this image.");
    EXPECT_EQ(tf::captureLimitResultText(CaptureLimit::Pixels, 12, UiLanguage::ChineseSimplified),
              L"截图已在图片尺寸上限处停止：页面在此图末尾之后还有内容。");
    EXPECT_EQ(tf::captureLimitResultText(CaptureLimit::None, 12, UiLanguage::English), L"");
}

// The numbers a lost-overlap message reports: whatever overlap and score the
// matcher gave up with, from a near miss to a pair with no usable evidence at
// all (kInvalidScore, the longest number it can give), the person reads them
// as they were (the score to two decimals) in a message that is whole, never
// cut short by its buffer.
TEST(CaptureMessages, ALostOverlapReportsItsNumbersInAWholeMessage) {
    struct Language {
        UiLanguage language;
        const wchar_t* beforeOverlap;
        const wchar_t* beforeScore;
        const wchar_t* ending;
    } languages[] = {
        {UiLanguage::English, L"(", L"candidate overlap, score ", L"Capture stopped to avoid an incomplete image."},
        {UiLanguage::ChineseSimplified, L"（候选重叠 ", L"分数 ", L"已停止以避免生成缺失内容的长图。"},
    };
    struct Numbers {
        int32_t overlap;
        double score;
    } numbers[] = {{0, tf::kInvalidScore}, {512, tf::kInvalidScore}, {401, tf::kAcceptScore + 0.01}, {12, 31.456},
                   {33, 0.0}};
    for (const Language& l : languages) {
        for (const Numbers& n : numbers) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(l.language) << " " << n.overlap << " " << n.score);
            const std::wstring text = tf::captureFailureText({CaptureError::LostOverlap, n.overlap, n.score}, l.language);
            const size_t overlapAt = text.find(l.beforeOverlap);
            const size_t scoreAt = text.find(l.beforeScore);
            ASSERT_NE(overlapAt, std::wstring::npos);
            ASSERT_NE(scoreAt, std::wstring::npos);
            EXPECT_EQ(std::wcstol(text.c_str() + overlapAt + std::wcslen(l.beforeOverlap), nullptr, 10), n.overlap);
            const double shown = std::wcstod(text.c_str() + scoreAt + std::wcslen(l.beforeScore), nullptr);
            EXPECT_NEAR(shown, n.score, 0.005 + n.score * 1e-15);
            EXPECT_EQ(text.rfind(l.ending), text.size() - std::wcslen(l.ending));
        }
    }
}

}  // namespace
