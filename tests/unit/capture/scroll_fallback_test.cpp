// The ways of scrolling besides the wheel, chosen by what moves the picture,
// the refusal of a window the system keeps our input from, and the start from
// the top of the page.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/capture/scroll_method.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

using test::makeDocumentPage;
using test::ScrollModel;
using test::SimulatedScreen;

constexpr ScrollRoute kMessageTo0{ScrollMethod::ScrollBarMessage, 0};
constexpr ScrollRoute kMessageTo1{ScrollMethod::ScrollBarMessage, 1};
constexpr ScrollRoute kArrow{ScrollMethod::ArrowKey};
constexpr ScrollRoute kPage{ScrollMethod::PageKey};

// A page of `span` rows more than the view that ignores the wheel unless the
// model says otherwise.
SimulatedScreen screenFor(int32_t span, ScrollModel model) {
    return SimulatedScreen(makeDocumentPage(320, 240 + span, 11), 240, model);
}

std::string headerOf(const std::filesystem::path& folder) {
    const std::string text = test::readFile(folder / "capture.log.txt");
    return text.substr(0, text.find("\r\n"));
}

TEST(ScrollRoutes, AfterTheWheelEveryMessageTargetThenTheKeys) {
    std::vector<ScrollRoute> order;
    for (ScrollRoute r{}; r.method != ScrollMethod::None; r = nextScrollRoute(r, 2)) order.push_back(r);
    EXPECT_EQ(order, (std::vector<ScrollRoute>{{ScrollMethod::Wheel}, kMessageTo0, kMessageTo1, kArrow, kPage}));
    // Without a window under the centre only the wheel can reach the page.
    EXPECT_EQ(nextScrollRoute({ScrollMethod::Wheel}, 0).method, ScrollMethod::None);
    EXPECT_EQ(nextScrollRoute({ScrollMethod::Person}, 3).method, ScrollMethod::None);
}

TEST(ScrollRoutes, OnlyAKnownHigherLevelBlocksInput) {
    struct Case {
        IntegrityLevel ours, target;
        bool blocked;
    } cases[] = {
        {{true, 0x2000}, {true, 0x3000}, true},    // an administrator's window under a normal program
        {{true, 0x2000}, {true, 0x2100}, true},    // medium plus is higher too
        {{true, 0x3000}, {true, 0x3000}, false},   // both elevated
        {{true, 0x2000}, {true, 0x1000}, false},   // a low-integrity window takes our input
        {{true, 0x2000}, {false, 0}, false},       // the target's level could not be read
        {{false, 0}, {true, 0x4000}, false},       // nor ours
    };
    for (const Case& c : cases) EXPECT_EQ(inputBlockedByIntegrity(c.ours, c.target), c.blocked) << c.target.rid;
}

TEST(ScrollFallback, FirstRouteThatMovesIsKeptForTheWholeCapture) {
    struct Case {
        const char* name;
        ScrollModel model;
        int32_t targets;
        ScrollRoute kept;
        const char* header;
    } cases[] = {
        {"scroll bar message to the window under the centre", {.rowsPerNotch = 0, .messageTarget = 0, .messageRows = 90},
         1, kMessageTo0, "scrollMethod=scrollBarMessage"},
        {"scroll bar message to an ancestor", {.rowsPerNotch = 0, .messageTarget = 1, .messageRows = 60}, 3,
         kMessageTo1, "scrollMethod=scrollBarMessage"},
        {"arrow key", {.rowsPerNotch = 0, .arrowRows = 40}, 1, kArrow, "scrollMethod=arrowKey"},
        {"page key only", {.rowsPerNotch = 0, .pageRows = 150}, 1, kPage, "scrollMethod=pageKey"},
        {"arrow key preferred over the page key", {.rowsPerNotch = 0, .arrowRows = 40, .pageRows = 200}, 1, kArrow,
         "scrollMethod=arrowKey"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        SimulatedScreen s = screenFor(900, c.model);
        s.scrollTargets = c.targets;
        s.logFolder = dir.path();
        const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true});
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_FALSE(out.failure.failed());
        EXPECT_FALSE(out.pageNeverMoved);
        EXPECT_EQ(s.position(), s.maxPosition());
        ASSERT_TRUE(s.stitchStarted);
        EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), composeFrames(s.handedOver)));
        // The wheel was given its still probes, then nothing but the route kept
        // once it had moved the page.
        EXPECT_EQ(s.notchDeltas.size(), 3u);
        ASSERT_FALSE(s.scrollSteps.empty());
        size_t firstKept = 0;
        while (firstKept < s.scrollSteps.size() && !(s.scrollSteps[firstKept] == c.kept)) ++firstKept;
        ASSERT_LT(firstKept, s.scrollSteps.size());
        EXPECT_EQ(firstKept % 3, 0u) << "each route before it had its three still probes";
        for (size_t i = firstKept; i < s.scrollSteps.size(); ++i) EXPECT_EQ(s.scrollSteps[i], c.kept) << i;
        const std::string header = headerOf(dir.path());
        EXPECT_EQ(header, std::string("wheelScrollLines=3 wheelDelta=-120 ") + c.header);
        EXPECT_EQ(s.scrollTargetQueries, (std::vector<Point>{{40 + 160, 30 + 120}}));
    }
}

TEST(ScrollFallback, WheelThatMovesNeverTriesAnotherRoute) {
    test::ScratchDir dir;
    SimulatedScreen s = screenFor(500, {.rowsPerNotch = 100, .messageTarget = 0, .messageRows = 90, .arrowRows = 40});
    s.scrollTargets = 2;
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_TRUE(s.scrollSteps.empty());
    EXPECT_EQ(headerOf(dir.path()), "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel");
    EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), composeFrames(s.handedOver)));
}

TEST(ScrollFallback, PageThatNothingMovesEndsWithItsOneFrameAsBefore) {
    struct Case {
        const char* name;
        int32_t span;
        ScrollModel model;
    } cases[] = {
        // A window that takes every route but is at its end already: no route
        // may turn that into anything but the one frame.
        {"page at its end", 0, {.rowsPerNotch = 100, .messageTarget = 0, .messageRows = 90, .arrowRows = 40, .pageRows = 200}},
        {"window that ignores everything", 900, {.rowsPerNotch = 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        SimulatedScreen s = screenFor(c.span, c.model);
        s.scrollTargets = 2;
        s.logFolder = dir.path();
        const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true});
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_TRUE(out.pageNeverMoved);
        EXPECT_FALSE(out.failure.failed());
        ASSERT_EQ(s.handedOver.size(), 1u);
        EXPECT_EQ(s.notchDeltas.size(), 3u);
        const std::vector<ScrollRoute> tried = {kMessageTo0, kMessageTo0, kMessageTo0, kMessageTo1, kMessageTo1,
                                                kMessageTo1, kArrow,      kArrow,      kArrow,      kPage,
                                                kPage,       kPage};
        EXPECT_EQ(s.scrollSteps, tried);
        EXPECT_EQ(s.probes.size(), 15u);
        for (const ProbeRecord& p : s.probes) EXPECT_EQ(p.action, CaptureAction::NoMotion);
        EXPECT_EQ(headerOf(dir.path()), "wheelScrollLines=3 wheelDelta=-120 scrollMethod=none");
    }
}

TEST(ScrollFallback, RouteOnTrialThatJumpsPastTheRectangleIsNotUsed) {
    // A page key that moves more than the rectangle is high leaves no overlap:
    // the frame already kept is all the capture can honestly give.
    SimulatedScreen s = screenFor(1200, {.rowsPerNotch = 0, .pageRows = 400});
    s.scrollTargets = 1;
    const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_FALSE(out.failure.failed());
    EXPECT_TRUE(out.pageNeverMoved);
    ASSERT_EQ(s.handedOver.size(), 1u);
    EXPECT_EQ(s.probes.back().action, CaptureAction::LostOverlap);
    EXPECT_EQ(s.scrollSteps.back(), kPage);
}

TEST(ScrollFallback, UndeliverableRoutes) {
    struct Case {
        const char* name;
        int32_t refuseFrom;
        CaptureError error;
        size_t frames;
    } cases[] = {
        // A route refused while on trial is passed over like one that moved nothing.
        {"refused from the start", 0, CaptureError::None, 1},
        // Refused once it has moved the page: the page is not at its end, so
        // the capture fails rather than save a part.
        {"refused after moving the page", 4, CaptureError::ScrollInputFailed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(900, {.rowsPerNotch = 0, .messageTarget = 0, .messageRows = 90});
        s.scrollTargets = 1;
        s.refuseScrollStepsFrom = c.refuseFrom;
        const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true});
        EXPECT_EQ(out.failure.kind, c.error);
        EXPECT_EQ(s.handedOver.size(), c.frames);
        EXPECT_EQ(s.scrollSteps.size(), static_cast<size_t>(c.refuseFrom));
    }
}

TEST(ScrollFallback, ElevatedWindowIsRefusedBeforeAnythingIsSent) {
    for (const UiLanguage language : {UiLanguage::English, UiLanguage::ChineseSimplified}) {
        SimulatedScreen s = screenFor(900, {.rowsPerNotch = 100});
        s.scrollTargets = 1;
        s.language = language;
        s.ownLevel = {true, 0x2000};
        s.targetLevel = {true, 0x3000};
        const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true, true});
        EXPECT_EQ(out.failure.kind, CaptureError::TargetElevated);
        EXPECT_EQ(s.events, (std::vector<std::string>{"fail warning"}));
        EXPECT_TRUE(s.notchDeltas.empty());
        EXPECT_TRUE(s.scrollSteps.empty());
        EXPECT_EQ(s.toTopRequests, 0);
        EXPECT_EQ(s.grabs, 0);
        EXPECT_EQ(s.logFolderRequests, 0);
        EXPECT_EQ(s.cursorShowCount, 0);
        ASSERT_EQ(s.messages.size(), 1u);
        const std::wstring& m = s.messages[0];
        // It says why and what works instead.
        if (language == UiLanguage::English) {
            EXPECT_NE(m.find(L"administrator"), std::wstring::npos);
            EXPECT_NE(m.find(L"I scroll the area myself"), std::wstring::npos);
        } else {
            EXPECT_NE(m.find(L"管理员"), std::wstring::npos);
            EXPECT_NE(m.find(L"我自己滚动截图区域"), std::wstring::npos);
        }
    }
}

TEST(ScrollFallback, StartFromTheTop) {
    struct Case {
        const char* name;
        bool startFromTop;
        int32_t targets;
        int32_t toTopRequests;
        int32_t firstRow;  // of the page the capture starts at
    } cases[] = {
        {"asked for", true, 1, 1, 0},
        {"not asked for", false, 1, 0, 300},
        {"no window to send it to", true, 0, 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        // The page is smooth-scrolled halfway down already.
        SimulatedScreen s = screenFor(700, {.rowsPerNotch = 100, .animationMs = 600, .messageTarget = 0, .messageRows = 90});
        s.scrollTargets = c.targets;
        s.scrollBy(300);
        s.advance(1000);
        s.logFolder = dir.path();
        runCapture(s, CaptureRequest{s.rect, true, c.startFromTop});
        EXPECT_EQ(s.toTopRequests, c.toTopRequests);
        ASSERT_TRUE(s.stitchStarted);
        const PixelImage all = s.expectedImage(s.maxPosition());
        const PixelImage got = composeFrames(s.handedOver);
        ASSERT_EQ(got.height, all.height - c.firstRow);
        PixelImage expected(all.width, got.height);
        for (int32_t y = 0; y < got.height; ++y)
            std::copy(all.row(y + c.firstRow), all.row(y + c.firstRow) + all.width, expected.row(y));
        EXPECT_TRUE(test::imagesEqual(expected, got));
        // The grabs that waited for the top are not dumps of the capture.
        EXPECT_TRUE(test::imagesEqual(s.handedOver[0], loadPng(dir.path() / "0000-initial.png")));
    }
}

}  // namespace
}  // namespace tf
