#include "core/texts/capture_messages.h"

#include <gtest/gtest.h>

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
        {{CaptureError::LostOverlap, 0, 1e18}, UiLanguage::ChineseSimplified,
         L"单次滚动后与上一帧失去重叠（候选重叠 0 px，分数 1000000000000000000.00），已停止以避免生成缺失内容的长图。",
         false},
        {{CaptureError::None}, UiLanguage::English, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure.kind));
        EXPECT_EQ(tf::captureFailureText(c.failure, c.language), c.text);
        EXPECT_EQ(tf::captureFailureIsWarning(c.failure), c.warning);
    }
    EXPECT_EQ(tf::captureFailureText({CaptureError::FrameLimit}, UiLanguage::English)
                  .rfind(L"The 100-frame safety limit was reached.", 0),
              0u);
}

}  // namespace
