#include <gtest/gtest.h>

#include <vector>

#include "core/capture/capture_budget.h"

namespace tf {
namespace {

// Frames 10 px wide: the first 8 rows, each later one the rows it adds.
struct BudgetCase {
    const char* name;
    int32_t maxFrames;
    int64_t maxPixels;
    std::vector<int32_t> newRows;  // offered in turn until one is refused or a limit is met
    int32_t kept;
    CaptureLimit met;
};

TEST(CaptureBudget, KeepsFramesUntilTheFirstLimitIsMetOrWouldBePassed) {
    const BudgetCase cases[] = {
        {"room for all", 10, 1000, {8, 4, 4}, 3, CaptureLimit::None},
        {"the frame limit met by the last frame", 3, 1000, {8, 4, 4, 4}, 3, CaptureLimit::Frames},
        {"exactly at the size limit", 10, 160, {8, 4, 4, 4}, 3, CaptureLimit::Pixels},
        {"one pixel under: the third frame would pass", 10, 159, {8, 4, 4, 4}, 2, CaptureLimit::None},
        {"one pixel over: the fourth frame would pass", 10, 161, {8, 4, 4, 4}, 3, CaptureLimit::None},
        {"both met by one frame: the frame count is told", 3, 160, {8, 4, 4, 4}, 3, CaptureLimit::Frames},
        {"the size limit before the frame limit", 3, 120, {8, 4, 4}, 2, CaptureLimit::Pixels},
        {"the frame limit before the size limit", 2, 160, {8, 4, 4}, 2, CaptureLimit::Frames},
        {"the first frame is kept past the size limit", 10, 10, {8, 1}, 1, CaptureLimit::Pixels},
        {"a limit of one frame", 1, 1000, {8, 4}, 1, CaptureLimit::Frames},
        {"a limit below one frame counts as one", 0, 1000, {8, 4}, 1, CaptureLimit::Frames},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureBudget budget(c.maxFrames, c.maxPixels);
        int32_t kept = 0;
        for (int32_t rows : c.newRows) {
            if (budget.met() != CaptureLimit::None || !budget.admits(10, rows)) break;
            budget.keep(10, rows);
            ++kept;
        }
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(budget.frames(), c.kept);
        EXPECT_EQ(budget.met(), c.met);
    }
}

TEST(CaptureBudget, CountsPixelsPastThirtyTwoBits) {
    CaptureBudget budget(1000, int64_t{1} << 40);
    for (int i = 0; i < 600; ++i) budget.keep(8000, 1000);
    EXPECT_EQ(budget.pixels(), int64_t{600} * 8000 * 1000);
    EXPECT_TRUE(budget.admits(8000, 1000));
}

}  // namespace
}  // namespace tf
