#pragma once
// The review of one saved capture, without its window. The window (opened by
// "Review" on the result page, or after every capture when the setting
// reviewAfterCapture is on) holds the result's image, one TrimModel over its
// seams (reviewSeamsOf the StitchResult's records, or of seamsFromStitchLog
// for an offline stitch) and one ReviewView, and stays a thin layer: it asks
// the view which cache bands to scale and draws only the visible rows; it
// places a mark per seam and the four handles where the view maps their
// image positions, with seamMarkText as each mark's tooltip and automation
// name; it turns keys into reviewCommandFor's commands and runs them here or
// on the view; it passes the pointer's image position to the drag calls with
// snapDistanceInImage; "Save trimmed" (Enter) writes rect() with
// saveTrimmedAsNew, and Esc closes. Nothing here touches the pixels or the
// original file.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/review/seam_kinds.h"
#include "core/stitch/seam_record.h"

namespace tf {

enum class TrimEdge : int32_t { Top, Bottom, Left, Right };
enum class ArrowKey : int32_t { Up, Down, Left, Right };
// What "Cut at this seam" drops: the rest of the image after it, or before it.
enum class CutSide : int32_t { DropAfter, DropBefore };

// The kept part of the image: rows [top, bottom) and columns [left, right).
struct TrimRect {
    int32_t top = 0, bottom = 0, left = 0, right = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const TrimRect&) const = default;
};

// A join as the review shows it: where it lies along the stitch (an image row,
// a column when sideways) and how sure the stitch was of it.
struct ReviewSeam {
    int32_t position = 0;
    SeamKind kind = SeamKind::Solid;
    size_t record = 0;  // index of its record, for the mark's text
};

// The seams of a result in image order (later joins can lie above earlier
// ones after a small shift, so pair order is not image order).
std::vector<ReviewSeam> reviewSeamsOf(const std::vector<SeamRecord>& records);

inline constexpr int32_t kArrowStep = 1;
inline constexpr int32_t kShiftArrowStep = 100;

class TrimModel {
public:
    TrimModel(int32_t width, int32_t height, bool sideways, std::vector<ReviewSeam> seams);

    const TrimRect& rect() const { return rect_; }
    bool trimmed() const { return rect_ != full(); }
    bool sideways() const { return sideways_; }
    const std::vector<ReviewSeam>& seams() const { return seams_; }

    TrimEdge selected() const { return selected_; }
    void select(TrimEdge edge) { selected_ = edge; }

    // Moves the selected edge by 1 (or 100 with Shift) when the key runs across
    // it (Up and Down for the top and bottom edges); false when nothing moved.
    bool arrow(ArrowKey key, bool shift);
    // One step of the history: the edge to `position`, clamped so that at
    // least one row and one column remain. False when it did not move.
    bool moveEdge(TrimEdge edge, int32_t position);

    // A drag with the pointer is one step, however many moves it makes. An
    // edge across the stitch snaps to the nearest seam within `snapDistance`.
    void beginDrag(TrimEdge edge);
    void dragTo(int32_t position, int32_t snapDistance);
    void endDrag();
    bool dragging() const { return dragging_; }

    // Drops everything after (or before) seam `index` in one step; false, and
    // nothing changed, when that would leave nothing or nothing would change.
    bool cutAtSeam(size_t index, CutSide side);

    bool undo();
    bool redo();
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }

    // The next seam after `position` (before it, backwards) of the weakest kind
    // among the seams inside the kept part, going round at the end; nullopt
    // when no seam lies inside it.
    std::optional<size_t> nextWeakSeam(int64_t position, bool forward) const;

private:
    TrimRect full() const { return {0, height_, 0, width_}; }
    TrimRect withEdge(TrimRect r, TrimEdge edge, int32_t position) const;
    int32_t edgeOf(const TrimRect& r, TrimEdge edge) const;
    bool acrossStitch(TrimEdge edge) const;
    void commit(const TrimRect& before);

    int32_t width_, height_;
    bool sideways_;
    std::vector<ReviewSeam> seams_;
    TrimRect rect_;
    TrimEdge selected_ = TrimEdge::Top;
    bool dragging_ = false;
    TrimEdge dragEdge_ = TrimEdge::Top;
    TrimRect dragStart_;
    std::vector<TrimRect> undo_, redo_;
};

}  // namespace tf
