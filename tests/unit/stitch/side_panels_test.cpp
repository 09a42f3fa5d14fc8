#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/stitch/side_panels.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::cropRows;
using test::makeDocumentPage;

// A table-of-contents-like panel: grey box, dark entries every 18 rows.
void paintPanel(PixelImage& f, int32_t x0, int32_t x1, int32_t highlightRow = -1) {
    for (int32_t y = 0; y < f.height; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            uint32_t c = 0xFFEEEEEEu;
            if (y % 18 < 8 && x > x0 + 4 && x < x1 - 4 - (y / 18 % 5) * ((x1 - x0) / 10)) c = 0xFF303060u;
            if (highlightRow >= 0 && y >= highlightRow && y < highlightRow + 18) c ^= 0x00404000u;
            f.at(x, y) = c;
        }
}

struct PanelPage {
    int32_t left, right;
};

std::vector<PixelImage> panelFrames(PanelPage p, const std::vector<int32_t>& offsets, int32_t h = 500,
                                    int32_t highlightPair = -1) {
    const PixelImage page = makeDocumentPage(900, 3000, 61);
    std::vector<PixelImage> frames;
    for (size_t i = 0; i < offsets.size(); ++i) {
        PixelImage f = cropRows(page, offsets[i], h);
        const int32_t highlight = (highlightPair >= 0 && static_cast<int32_t>(i) >= highlightPair) ? 100 : 40;
        if (p.left) paintPanel(f, 0, p.left, highlight);
        if (p.right) paintPanel(f, f.width - p.right, f.width, highlight);
        frames.push_back(f);
    }
    return frames;
}

// The content columns of a composed capture against the page they came from.
void expectContentIs(const PixelImage& out, PanelPage p, int32_t height) {
    const PixelImage page = makeDocumentPage(900, 3000, 61);
    ASSERT_EQ(out.height, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = p.left; x < out.width - p.right; ++x)
            ASSERT_EQ(out.at(x, y), page.at(x, y)) << x << "," << y;
}

// Panel columns below the first frame: one colour per column, no slices of the panel.
void expectPanelsPaintedOnce(const PixelImage& out, const PixelImage& first, PanelPage p) {
    for (int32_t y = 0; y < first.height; ++y) {
        for (int32_t x = 0; x < p.left; ++x) ASSERT_EQ(out.at(x, y), first.at(x, y));
        for (int32_t x = out.width - p.right; x < out.width; ++x) ASSERT_EQ(out.at(x, y), first.at(x, y));
    }
    for (int32_t y = first.height; y < out.height; ++y) {
        for (int32_t x = 0; x < p.left; ++x) ASSERT_EQ(out.at(x, y), out.at(x, first.height)) << x << "," << y;
        for (int32_t x = out.width - p.right; x < out.width; ++x) ASSERT_EQ(out.at(x, y), out.at(x, first.height));
    }
}

TEST(SidePanels, DetectedOnEitherSideAndBoth) {
    for (PanelPage p : {PanelPage{200, 0}, PanelPage{0, 150}, PanelPage{180, 120}, PanelPage{24, 0}}) {
        SCOPED_TRACE(testing::Message() << p.left << "," << p.right);
        const auto frames = panelFrames(p, {0, 250});
        const SidePanels found = detectSidePanels(frames[0], frames[1]);
        EXPECT_EQ(found, (SidePanels{p.left, p.right}));
    }
}

TEST(SidePanels, TooNarrowOrTooWideIsNoPanel) {
    for (PanelPage p : {PanelPage{20, 0}, PanelPage{0, 12}, PanelPage{420, 0}}) {
        SCOPED_TRACE(testing::Message() << p.left << "," << p.right);
        const auto frames = panelFrames(p, {0, 250});
        EXPECT_FALSE(detectSidePanels(frames[0], frames[1]).any());
    }
}

TEST(SidePanels, APanelWhoseContentChangesIsNoPanelForThatPair) {
    const auto frames = panelFrames({200, 0}, {0, 250, 500}, 500, 1);  // highlight moves at frame 1
    EXPECT_FALSE(detectSidePanels(frames[0], frames[1]).any());
    EXPECT_EQ(detectSidePanels(frames[1], frames[2]), (SidePanels{200, 0}));
}

TEST(SidePanels, BlankMarginsAndUnmovedFramesAreNoPanels) {
    const PixelImage page = makeDocumentPage(900, 2000, 5);
    PixelImage a = cropRows(page, 0, 500), b = cropRows(page, 200, 500);
    for (PixelImage* f : {&a, &b})
        for (int32_t y = 0; y < 500; ++y)
            for (int32_t x = 0; x < 60; ++x) f->at(x, y) = 0xFFFFFFFFu;  // a blank 60-pixel margin
    EXPECT_FALSE(detectSidePanels(a, b).any());
    EXPECT_FALSE(detectSidePanels(a, a).any());
    EXPECT_FALSE(detectCapturePanels({a}).any());
}

// A band at the edge that stays put is a panel when joining it as content
// would repeat it, however little it shows: a few icons are enough. A band
// that looks the same all along (a border line running down the page) gives
// the same picture either way and stays with the content, and so do columns
// that look unchanged on average while what crosses them moves.
// A label at the start of each 25-row line of the page, as in a text whose
// lines all begin with the same word; `pageTop` is the frame's row on the page.
void paintLineLabels(PixelImage& f, int32_t pageTop) {
    for (int32_t y = 0; y < f.height; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const int32_t line = (pageTop + y) % 25;
            f.at(x, y) = line >= 6 && line < 14 && x >= 8 && x < 32 && (x / 4) % 2 == 0 ? 0xFF202020u : 0xFFFFFFFFu;
        }
}

TEST(SidePanels, AFixedBandIsAPanelWhenJoiningItWouldRepeatIt) {
    struct Case {
        const char* what;
        void (*paint)(PixelImage& frame, int32_t pageTop);
        bool panel;
    } cases[] = {
        {"five square icons",
         [](PixelImage& f, int32_t) {
             for (int32_t y = 0; y < f.height; ++y)
                 for (int32_t x = 0; x < 40; ++x) f.at(x, y) = 0xFFF3F3F3u;
             for (int32_t i = 0; i < 5; ++i)
                 for (int32_t y = 12 + 48 * i; y < 32 + 48 * i; ++y)
                     for (int32_t x = 10; x < 30; ++x) f.at(x, y) = 0xFF616161u;
         },
         true},
        {"a border line down the page",
         [](PixelImage& f, int32_t) {
             for (int32_t y = 0; y < f.height; ++y)
                 for (int32_t x = 0; x < 40; ++x) f.at(x, y) = x == 20 ? 0xFF808080u : 0xFFFFFFFFu;
         },
         false},
        {"a margin crossed by rules that scroll",
         [](PixelImage& f, int32_t pageTop) {
             for (int32_t y = 0; y < f.height; ++y)
                 for (int32_t x = 0; x < 40; ++x)
                     f.at(x, y) = (pageTop + y) % 150 == 70 ? 0xFFC8C8C8u : 0xFFFFFFFFu;
         },
         false},
        // Every line starts with the same word and the page moves by whole
        // lines: the band looks unmoved but is content.
        {"the same word at the start of every line",
         [](PixelImage& f, int32_t pageTop) { paintLineLabels(f, pageTop); },
         false},
        // Entries repeating every 90 rows that stay put while the page moves
        // 250 rows: no multiple of their period, so they did not move with it.
        {"a fixed list that repeats with another period",
         [](PixelImage& f, int32_t) { paintPanel(f, 0, 60); },
         true},
    };
    const PixelImage page = makeDocumentPage(900, 2000, 37);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PixelImage a = cropRows(page, 0, 500), b = cropRows(page, 250, 500);
        c.paint(a, 0);
        c.paint(b, 250);
        const SidePanels found = detectSidePanels(a, b);
        EXPECT_EQ(found.left > 0, c.panel) << found.left;
        if (c.panel) {
            EXPECT_GE(found.left, 40);
        }
        EXPECT_EQ(found.right, 0);
    }
}

TEST(SidePanels, ComposedOnceWithContentExactlyAsThePage) {
    for (PanelPage p : {PanelPage{200, 0}, PanelPage{0, 150}, PanelPage{180, 120}}) {
        SCOPED_TRACE(testing::Message() << p.left << "," << p.right);
        const auto frames = panelFrames(p, {0, 250, 500, 750, 900});
        std::ostringstream log;
        const PixelImage out = composeFrames(frames, TextLog(&log));
        expectContentIs(out, p, 1400);
        expectPanelsPaintedOnce(out, frames[0], p);
        EXPECT_EQ(log.str().rfind("panels=" + std::to_string(p.left) + "," + std::to_string(p.right) + "\r\npair 1 ", 0),
                  0u)
            << log.str();
    }
}

// Scrolled by whole lines, the labels at the line starts are kept on every
// line of the image, not shown once from the first frame.
TEST(SidePanels, LabelsAtTheStartOfEveryLineAreComposedAsContent) {
    PixelImage page = makeDocumentPage(900, 2000, 43);
    paintLineLabels(page, 0);
    std::vector<PixelImage> frames;
    for (int32_t top : {0, 250, 500, 750}) frames.push_back(cropRows(page, top, 500));
    std::ostringstream log;
    const PixelImage out = composeFrames(frames, TextLog(&log));
    ASSERT_EQ(out.height, 1250) << log.str();
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x) ASSERT_EQ(out.at(x, y), page.at(x, y)) << x << "," << y;
}

// A table of contents that becomes fixed late in the capture: only 2 of 4
// pairs see it, short of the two-thirds the capture's panels need, but the
// capture controller left it out of those pairs when it accepted them. The
// composer must join them the same way instead of refusing at save.
TEST(SidePanels, PairsThatSawAPanelTheCaptureDidNotAreJoinedAroundTheirOwn) {
    const PanelPage p{400, 0};
    const PixelImage page = makeDocumentPage(900, 3000, 61);
    PixelImage panelPage(p.left, 3000);
    paintPanel(panelPage, 0, p.left);
    std::vector<PixelImage> frames;
    const int32_t offsets[] = {0, 260, 520, 780, 1040};
    for (int32_t i = 0; i < 5; ++i) {
        PixelImage f = cropRows(page, offsets[i], 500);
        // Up to frame 2 the panel scrolls with the page; from there it stays put.
        const PixelImage panel = cropRows(panelPage, std::min(offsets[i], 520), 500);
        for (int32_t y = 0; y < f.height; ++y) std::copy(panel.row(y), panel.row(y) + p.left, f.row(y));
        frames.push_back(f);
    }
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_EQ(detectSidePanels(frames[i - 1], frames[i]).any(), i >= 3) << i;
    EXPECT_FALSE(detectCapturePanels(frames).any());
    std::ostringstream log;
    PixelImage out;
    EXPECT_NO_THROW(out = composeFrames(frames, TextLog(&log))) << log.str();
    expectContentIs(out, p, 1540);
}

TEST(SidePanels, ABlankMarginChangesNothing) {
    const PixelImage page = makeDocumentPage(900, 2000, 8);
    std::vector<PixelImage> frames;
    for (int32_t o : {0, 220, 440}) {
        PixelImage f = cropRows(page, o, 500);
        for (int32_t y = 0; y < 500; ++y)
            for (int32_t x = 0; x < 30; ++x) f.at(x, y) = 0xFFFFFFFFu;
        frames.push_back(f);
    }
    std::ostringstream log;
    const PixelImage out = composeFrames(frames, TextLog(&log));
    EXPECT_EQ(log.str().find("panels="), std::string::npos);
    EXPECT_EQ(out.height, 940);
}

// Real pages rendered with a sticky table of contents.
class PanelCorpusCase : public testing::TestWithParam<std::tuple<const char*, int32_t>> {};

TEST_P(PanelCorpusCase, ContentMatchesTheTruthAndThePanelAppearsOnce) {
    const auto [name, panelRight] = GetParam();
    const fs::path dir = test::testDataDir() / "corpus-panels" / name;
    const std::vector<PixelImage> frames = test::loadFrames(dir / "frames");
    const PixelImage truth = loadPng(dir / "truth.png");
    const PixelImage out = composeFrames(frames);
    ASSERT_EQ(out.width, truth.width);
    ASSERT_EQ(out.height, truth.height);
    const double off = test::lumaDifferenceFraction(out, truth, panelRight + 8, out.width);
    EXPECT_LT(off, 0.005) << off;
    // Below the first frame the panel columns are uniform: no repeated panel content.
    double sum = 0, sumSq = 0, n = 0;
    for (int32_t y = frames[0].height; y < out.height; ++y)
        for (int32_t x = 0; x < panelRight; ++x) {
            const double v = luma(out.at(x, y));
            sum += v;
            sumSq += v * v;
            ++n;
        }
    const double sd = std::sqrt(std::max(0.0, sumSq / n - (sum / n) * (sum / n)));
    EXPECT_LT(sd, 4.0);
}

INSTANTIATE_TEST_SUITE_P(RealPages, PanelCorpusCase,
                         testing::Values(std::tuple{"py-json-sidebar", 246}, std::tuple{"py-pathlib-wide-sidebar", 246},
                                         std::tuple{"rust-datatypes-sidebar", 300}));

}  // namespace
}  // namespace tf
