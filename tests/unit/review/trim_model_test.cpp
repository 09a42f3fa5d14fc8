#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/review/review_keys.h"
#include "core/review/seam_kinds.h"
#include "core/review/trim_model.h"

namespace tf {
namespace {

SeamRecord recordAt(size_t pair, int64_t row, double score = 0.0) {
    SeamRecord r;
    r.pair = pair;
    r.outputRow = row;
    r.overlap = 300;
    r.score = score;
    return r;
}

TEST(SeamKinds, TheWeakestDecisionOfAPairNamesItsKind) {
    SeamRecord shift = recordAt(1, 0), identical = recordAt(1, 0), own = recordAt(1, 0), other = recordAt(1, 0);
    shift.smallShift = 3;
    identical.identicalRows = 90;
    own.ownPanels = true;
    other.otherNote = "bars=1";
    SeamRecord thin = recordAt(1, 0, 2.01), convincing = recordAt(1, 0, 2.0), panels = recordAt(1, 0, 0.4);
    panels.panelsPastedOnce = true;
    SeamRecord thinWithPanels = thin, shiftWithPanels = shift;
    thinWithPanels.panelsPastedOnce = shiftWithPanels.panelsPastedOnce = true;
    SeamRecord thinShift = shift;
    thinShift.score = 9.0;
    const struct {
        const char* name;
        SeamRecord record;
        SeamKind kind;
    } cases[] = {
        {"small shift", shift, SeamKind::Fallback},
        {"identical rows", identical, SeamKind::Fallback},
        {"own panels", own, SeamKind::Fallback},
        {"a note of another decision", other, SeamKind::Fallback},
        {"a fallback with a poor score", thinShift, SeamKind::Fallback},
        {"a fallback around panels", shiftWithPanels, SeamKind::Fallback},
        {"an unconvincing score", thin, SeamKind::ThinEvidence},
        {"an unconvincing score between panels", thinWithPanels, SeamKind::ThinEvidence},
        {"between panels", panels, SeamKind::PanelsPastedOnce},
        {"the convincing limit itself", convincing, SeamKind::Solid},
        {"a perfect match", recordAt(1, 0), SeamKind::Solid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(seamKindOf(c.record), c.kind);
    }
    EXPECT_FALSE(weakestKind({}));
    EXPECT_EQ(weakestKind({recordAt(1, 0), thin, panels}), SeamKind::ThinEvidence);
    EXPECT_EQ(weakestKind({panels, recordAt(2, 0)}), SeamKind::PanelsPastedOnce);
}

TEST(ReviewSeams, AreInImageOrderWithTheirRecords) {
    // After a small shift a later join can lie above an earlier one.
    SeamRecord shifted = recordAt(3, 650);
    shifted.smallShift = 4;
    const std::vector<ReviewSeam> seams = reviewSeamsOf({recordAt(1, 300), recordAt(2, 700), shifted});
    ASSERT_EQ(seams.size(), 3u);
    EXPECT_EQ(seams[0].position, 300);
    EXPECT_EQ(seams[1].position, 650);
    EXPECT_EQ(seams[1].record, 2u);
    EXPECT_EQ(seams[1].kind, SeamKind::Fallback);
    EXPECT_EQ(seams[2].position, 700);
}

TrimModel model(int32_t w = 800, int32_t h = 2000, bool sideways = false, std::vector<ReviewSeam> seams = {}) {
    return TrimModel(w, h, sideways, std::move(seams));
}

// The keys of a review, pressed in order: T, B, L, R select, arrows move
// (a leading '+' holds Shift), Z undoes and Y redoes.
void press(TrimModel& m, const std::vector<std::string>& keys) {
    for (const std::string& k : keys) {
        const bool shift = k[0] == '+';
        const std::string key = shift ? k.substr(1) : k;
        if (key == "T") m.select(TrimEdge::Top);
        if (key == "B") m.select(TrimEdge::Bottom);
        if (key == "L") m.select(TrimEdge::Left);
        if (key == "R") m.select(TrimEdge::Right);
        if (key == "Up") m.arrow(ArrowKey::Up, shift);
        if (key == "Down") m.arrow(ArrowKey::Down, shift);
        if (key == "Left") m.arrow(ArrowKey::Left, shift);
        if (key == "Right") m.arrow(ArrowKey::Right, shift);
        if (key == "Z") m.undo();
        if (key == "Y") m.redo();
    }
}

TEST(TrimModel, KeysMoveTheSelectedEdgeAndKeepSomethingLeft) {
    const struct {
        const char* name;
        std::vector<std::string> keys;
        TrimRect rect;
    } cases[] = {
        {"nothing pressed", {}, {0, 2000, 0, 800}},
        {"300 off the top, 200 off the bottom", {"T", "+Down", "+Down", "+Down", "B", "+Up", "+Up"}, {300, 1800, 0, 800}},
        {"single pixels", {"T", "Down", "Down", "R", "Left"}, {2, 2000, 0, 799}},
        {"the top edge ignores Left and Right", {"T", "Left", "+Right"}, {0, 2000, 0, 800}},
        {"the left edge ignores Up and Down", {"L", "Down", "+Up", "Right"}, {0, 2000, 1, 800}},
        {"no edge leaves the image", {"T", "+Up", "B", "+Down", "L", "Left", "R", "Right"}, {0, 2000, 0, 800}},
        {"the top stops one row above the bottom",
         {"B", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up", "+Up",
          "+Up", "+Up", "+Up", "+Up", "+Up", "+Up"},
         {0, 1, 0, 800}},
        {"the left stops one column before the right",
         {"R", "+Left", "+Left", "+Left", "+Left", "L", "+Right", "+Right", "+Right", "+Right", "+Right"},
         {0, 2000, 399, 400}},
        {"undo and redo step by step", {"T", "+Down", "+Down", "Z", "Z", "Z", "Y"}, {100, 2000, 0, 800}},
        {"a new move forgets what was undone", {"T", "+Down", "+Down", "Z", "Down", "Y"}, {101, 2000, 0, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrimModel m = model();
        press(m, c.keys);
        EXPECT_EQ(m.rect(), c.rect);
        EXPECT_EQ(m.trimmed(), (c.rect != TrimRect{0, 2000, 0, 800}));
    }
}

TEST(TrimModel, OnlyMovesThatMoveAreUndoSteps) {
    TrimModel m = model();
    m.select(TrimEdge::Top);
    EXPECT_FALSE(m.arrow(ArrowKey::Up, false));  // already at the edge
    EXPECT_FALSE(m.arrow(ArrowKey::Left, false));
    EXPECT_FALSE(m.moveEdge(TrimEdge::Bottom, 5000));
    EXPECT_FALSE(m.canUndo());
    EXPECT_TRUE(m.moveEdge(TrimEdge::Bottom, -5));  // clamped to one row
    EXPECT_EQ(m.rect().height(), 1);
    EXPECT_TRUE(m.undo());
    EXPECT_FALSE(m.undo());
    EXPECT_TRUE(m.redo());
    EXPECT_FALSE(m.redo());
    EXPECT_EQ(m.rect().bottom, 1);
}

std::vector<ReviewSeam> seamsAt(std::initializer_list<int32_t> rows, std::initializer_list<SeamKind> kinds = {}) {
    std::vector<ReviewSeam> seams;
    auto kind = kinds.begin();
    for (int32_t r : rows) {
        seams.push_back({r, kind == kinds.end() ? SeamKind::Solid : *kind, seams.size()});
        if (kind != kinds.end()) ++kind;
    }
    return seams;
}

TEST(TrimModel, ADraggedEdgeSnapsToANearSeamItCanReach) {
    const struct {
        const char* name;
        bool sideways;
        TrimEdge edge;
        std::vector<int32_t> moves;
        int32_t snap;
        TrimRect rect;
    } cases[] = {
        {"within reach of a seam", false, TrimEdge::Top, {100, 395}, 8, {400, 2000, 0, 800}},
        {"just out of reach", false, TrimEdge::Top, {391}, 8, {391, 2000, 0, 800}},
        {"to the nearer of two", false, TrimEdge::Bottom, {1004}, 8, {0, 1000, 0, 800}},
        {"no snapping distance", false, TrimEdge::Bottom, {1004}, 0, {0, 1004, 0, 800}},
        {"an edge along the stitch does not snap", false, TrimEdge::Left, {398}, 8, {0, 2000, 398, 800}},
        {"sideways the left edge snaps", true, TrimEdge::Left, {405}, 8, {0, 2000, 400, 800}},
        {"sideways the top edge does not", true, TrimEdge::Top, {405}, 8, {405, 2000, 0, 800}},
        {"clamped like any move", false, TrimEdge::Top, {2500}, 8, {1999, 2000, 0, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrimModel m = model(800, 2000, c.sideways, seamsAt({400, 1000, 1010}));
        m.beginDrag(c.edge);
        EXPECT_TRUE(m.dragging());
        for (int32_t to : c.moves) m.dragTo(to, c.snap);
        m.endDrag();
        EXPECT_EQ(m.rect(), c.rect);
        EXPECT_EQ(m.selected(), c.edge);
        // However many moves, the drag is one step.
        ASSERT_TRUE(m.undo());
        EXPECT_FALSE(m.trimmed());
        EXPECT_FALSE(m.canUndo());
    }
}

TEST(TrimModel, ASeamPastTheOtherEdgeIsNoPlaceToSnap) {
    TrimModel m = model(800, 2000, false, seamsAt({400}));
    m.moveEdge(TrimEdge::Bottom, 395);
    m.beginDrag(TrimEdge::Top);
    m.dragTo(398, 8);
    EXPECT_EQ(m.rect().top, 394);  // clamped below the bottom, not at the seam
    m.endDrag();
    m.beginDrag(TrimEdge::Top);
    m.endDrag();  // a drag that did not move is no step
    EXPECT_TRUE(m.undo());
    EXPECT_EQ(m.rect(), (TrimRect{0, 395, 0, 800}));
}

TEST(TrimModel, CutAtASeamDropsOneSideInOneStep) {
    const struct {
        const char* name;
        bool sideways;
        size_t seam;
        CutSide side;
        bool done;
        TrimRect rect;
    } cases[] = {
        {"drop after", false, 1, CutSide::DropAfter, true, {0, 1000, 0, 800}},
        {"drop before", false, 1, CutSide::DropBefore, true, {1000, 2000, 0, 800}},
        {"sideways after", true, 0, CutSide::DropAfter, true, {0, 2000, 0, 400}},
        {"sideways before", true, 0, CutSide::DropBefore, true, {0, 2000, 400, 800}},
        {"no such seam", false, 3, CutSide::DropAfter, false, {0, 2000, 0, 800}},
        {"a seam at the image's edge leaves nothing to drop", false, 2, CutSide::DropBefore, false, {0, 2000, 0, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrimModel m = model(800, 2000, c.sideways, seamsAt({400, 1000, 0}));
        EXPECT_EQ(m.cutAtSeam(c.seam, c.side), c.done);
        EXPECT_EQ(m.rect(), c.rect);
        EXPECT_EQ(m.canUndo(), c.done);
    }
    // A seam already cut away cannot be cut at again.
    TrimModel m = model(800, 2000, false, seamsAt({400, 1000}));
    ASSERT_TRUE(m.cutAtSeam(0, CutSide::DropAfter));
    EXPECT_FALSE(m.cutAtSeam(1, CutSide::DropBefore));
    EXPECT_FALSE(m.cutAtSeam(1, CutSide::DropAfter));
    EXPECT_FALSE(m.cutAtSeam(0, CutSide::DropAfter));
}

TEST(TrimModel, NJumpsAmongTheWeakestSeamsStillKept) {
    using K = SeamKind;
    const std::vector<ReviewSeam> seams =
        seamsAt({200, 400, 600, 800, 1000, 1200}, {K::Solid, K::ThinEvidence, K::Solid, K::ThinEvidence, K::Fallback, K::Solid});
    const struct {
        const char* name;
        TrimRect keep;
        int64_t from;
        bool forward;
        std::optional<size_t> seam;
    } cases[] = {
        {"the fallback first", {0, 2000, 0, 800}, 0, true, 4},
        {"going round", {0, 2000, 0, 800}, 1000, true, 4},
        {"backwards", {0, 2000, 0, 800}, 1500, false, 4},
        {"trimmed away, the thin ones are the weakest", {0, 900, 0, 800}, 0, true, 1},
        {"next after the first", {0, 900, 0, 800}, 400, true, 3},
        {"round from the last", {0, 900, 0, 800}, 800, true, 1},
        {"previous before the first goes to the last", {0, 900, 0, 800}, 400, false, 3},
        {"a seam on the kept part's edge is not inside it", {400, 800, 0, 800}, 0, true, 2},
        {"no seam inside", {1300, 2000, 0, 800}, 0, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrimModel m = model(800, 2000, false, seams);
        m.moveEdge(TrimEdge::Top, c.keep.top);
        m.moveEdge(TrimEdge::Bottom, c.keep.bottom);
        EXPECT_EQ(m.nextWeakSeam(c.from, c.forward), c.seam);
    }
}

TEST(ReviewKeys, EachKeyHasOneCommand) {
    using C = ReviewCommand;
    namespace k = review_keys;
    const struct {
        uint32_t key;
        bool ctrl, shift;
        ReviewCommand command;
    } cases[] = {
        {'T', false, false, C::SelectTop},      {'B', false, false, C::SelectBottom},   {'L', false, false, C::SelectLeft},
        {'R', false, false, C::SelectRight},    {'T', false, true, C::None},            {'T', true, false, C::None},
        {k::kUp, false, false, C::MoveUp},      {k::kDown, false, true, C::MoveDown},   {k::kLeft, false, false, C::MoveLeft},
        {k::kRight, false, true, C::MoveRight}, {k::kUp, true, false, C::None},         {'N', false, false, C::NextSeam},
        {'N', false, true, C::PreviousSeam},    {'Z', true, false, C::Undo},            {'Z', false, false, C::None},
        {'Y', true, false, C::Redo},            {'Z', true, true, C::Redo},             {'Y', true, true, C::None},
        {'0', true, false, C::Fit},             {k::kNumpad0, true, false, C::Fit},     {'1', true, false, C::ActualSize},
        {k::kNumpad1, true, false, C::ActualSize}, {'0', false, false, C::None},        {k::kPrior, false, false, C::PageUp},
        {k::kNext, false, false, C::PageDown},  {k::kHome, false, false, C::Home},      {k::kEnd, true, false, C::End},
        {k::kReturn, false, false, C::Save},    {k::kEscape, false, false, C::Close},   {k::kReturn, true, false, C::None},
        {'C', false, false, C::CutAtSeam},      {'C', false, true, C::None},            {'C', true, false, C::None},
        {'X', false, false, C::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + (c.ctrl ? " ctrl" : "") + (c.shift ? " shift" : ""));
        EXPECT_EQ(reviewCommandFor(c.key, c.ctrl, c.shift), c.command);
    }
}

}  // namespace
}  // namespace tf
