#include "core/review/trim_model.h"

#include <algorithm>
#include <cstdlib>

namespace tf {

std::vector<ReviewSeam> reviewSeamsOf(const std::vector<SeamRecord>& records) {
    std::vector<ReviewSeam> seams;
    for (size_t i = 0; i < records.size(); ++i) {
        const int64_t at = std::clamp<int64_t>(records[i].outputRow, 0, INT32_MAX);
        seams.push_back({static_cast<int32_t>(at), seamKindOf(records[i]), i});
    }
    std::stable_sort(seams.begin(), seams.end(),
                     [](const ReviewSeam& a, const ReviewSeam& b) { return a.position < b.position; });
    return seams;
}

TrimModel::TrimModel(int32_t width, int32_t height, bool sideways, std::vector<ReviewSeam> seams)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), sideways_(sideways), seams_(std::move(seams)),
      rect_(full()) {}

int32_t TrimModel::edgeOf(const TrimRect& r, TrimEdge edge) const {
    switch (edge) {
        case TrimEdge::Top: return r.top;
        case TrimEdge::Bottom: return r.bottom;
        case TrimEdge::Left: return r.left;
        case TrimEdge::Right: return r.right;
    }
    return 0;
}

TrimRect TrimModel::withEdge(TrimRect r, TrimEdge edge, int32_t position) const {
    switch (edge) {
        case TrimEdge::Top: r.top = std::clamp(position, 0, r.bottom - 1); break;
        case TrimEdge::Bottom: r.bottom = std::clamp(position, r.top + 1, height_); break;
        case TrimEdge::Left: r.left = std::clamp(position, 0, r.right - 1); break;
        case TrimEdge::Right: r.right = std::clamp(position, r.left + 1, width_); break;
    }
    return r;
}

bool TrimModel::acrossStitch(TrimEdge edge) const {
    const bool horizontal = edge == TrimEdge::Top || edge == TrimEdge::Bottom;
    return horizontal != sideways_;
}

void TrimModel::commit(const TrimRect& before) {
    undo_.push_back(before);
    redo_.clear();
}

bool TrimModel::moveEdge(TrimEdge edge, int32_t position) {
    const TrimRect next = withEdge(rect_, edge, position);
    if (next == rect_) return false;
    commit(rect_);
    rect_ = next;
    return true;
}

bool TrimModel::arrow(ArrowKey key, bool shift) {
    const bool vertical = key == ArrowKey::Up || key == ArrowKey::Down;
    const bool edgeIsRow = selected_ == TrimEdge::Top || selected_ == TrimEdge::Bottom;
    if (vertical != edgeIsRow) return false;
    const int32_t step = shift ? kShiftArrowStep : kArrowStep;
    const int32_t delta = key == ArrowKey::Up || key == ArrowKey::Left ? -step : step;
    return moveEdge(selected_, edgeOf(rect_, selected_) + delta);
}

void TrimModel::beginDrag(TrimEdge edge) {
    if (dragging_) endDrag();
    dragging_ = true;
    dragEdge_ = edge;
    selected_ = edge;
    dragStart_ = rect_;
}

void TrimModel::dragTo(int32_t position, int32_t snapDistance) {
    if (!dragging_) return;
    int32_t target = position;
    if (acrossStitch(dragEdge_) && snapDistance > 0) {
        int64_t best = int64_t{snapDistance} + 1;
        for (const ReviewSeam& s : seams_) {
            const int64_t d = std::llabs(int64_t{s.position} - position);
            if (d < best) {
                best = d;
                target = s.position;
            }
        }
    }
    // A seam the edge cannot reach (past the other edge) is no place to snap to.
    const TrimRect snapped = withEdge(dragStart_, dragEdge_, target);
    rect_ = edgeOf(snapped, dragEdge_) == target ? snapped : withEdge(dragStart_, dragEdge_, position);
}

void TrimModel::endDrag() {
    if (!dragging_) return;
    dragging_ = false;
    if (rect_ != dragStart_) commit(dragStart_);
}

bool TrimModel::cutAtSeam(size_t index, CutSide side) {
    if (index >= seams_.size() || dragging_) return false;
    const int32_t at = seams_[index].position;
    const TrimEdge start = sideways_ ? TrimEdge::Left : TrimEdge::Top;
    const TrimEdge end = sideways_ ? TrimEdge::Right : TrimEdge::Bottom;
    const TrimEdge edge = side == CutSide::DropAfter ? end : start;
    // Only a seam strictly inside the kept part leaves something on both sides.
    if (at <= edgeOf(rect_, start) || at >= edgeOf(rect_, end)) return false;
    return moveEdge(edge, at);
}

bool TrimModel::undo() {
    if (undo_.empty() || dragging_) return false;
    redo_.push_back(rect_);
    rect_ = undo_.back();
    undo_.pop_back();
    return true;
}

bool TrimModel::redo() {
    if (redo_.empty() || dragging_) return false;
    undo_.push_back(rect_);
    rect_ = redo_.back();
    redo_.pop_back();
    return true;
}

std::optional<size_t> TrimModel::nextWeakSeam(int64_t position, bool forward) const {
    const int32_t lo = sideways_ ? rect_.left : rect_.top;
    const int32_t hi = sideways_ ? rect_.right : rect_.bottom;
    std::optional<SeamKind> weakest;
    for (const ReviewSeam& s : seams_)
        if (s.position > lo && s.position < hi && (!weakest || s.kind < *weakest)) weakest = s.kind;
    if (!weakest) return std::nullopt;
    std::optional<size_t> first, last, next;
    for (size_t i = 0; i < seams_.size(); ++i) {
        const ReviewSeam& s = seams_[i];
        if (s.kind != *weakest || s.position <= lo || s.position >= hi) continue;
        if (!first) first = i;
        last = i;
        if (forward && !next && s.position > position) next = i;
        if (!forward && s.position < position) next = i;
    }
    return next ? next : (forward ? first : last);
}

}  // namespace tf
