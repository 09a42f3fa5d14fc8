#include "core/stitch/stream_composer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace tf {
namespace {

// Rows go to the store in pieces of at most this many, whatever a frame adds.
constexpr int64_t kFlushRows = 1024;

}  // namespace

StreamComposer::StreamComposer(RowStore& rows, FrameReload reload) : rows_(rows), reload_(std::move(reload)) {}

void StreamComposer::start(PixelImage first) {
    storedWidth_ = std::max(first.width, 0);
    pending_ = first.pixels;
    canvasHeight_ = std::max(first.height, 0);
    flushed_ = offset_ = 0;
    expected_ = 0;
    stop_ = Stop::None;
    first_ = first;
    prev_ = std::move(first);
}

void StreamComposer::add(PixelImage frame) {
    if (frames_ == 0) {
        minWidth_ = frame.width;
        start(std::move(frame));
        frames_ = 1;
        return;
    }
    minWidth_ = std::min(minWidth_, frame.width);
    pairPanels_.push_back(detectSidePanels(prev_, frame));
    ++frames_;
    if (stop_ == Stop::None) join(frame, capturePanelsOfPairs(pairPanels_), nullptr);
    prev_ = std::move(frame);
}

void StreamComposer::join(const PixelImage& next, const SidePanels& capture, const std::vector<Pair>* earlier) {
    const size_t number = pairs_.size() + 1;
    Pair p;
    p.own = pairPanels_[number - 1];
    p.capture = capture;
    p.expected = expected_;
    const Pair* before = earlier && number - 1 < earlier->size() ? &(*earlier)[number - 1] : nullptr;
    // joinPair sees the capture's panels only through the panels the pair is matched around.
    if (before && before->expected == expected_ &&
        panelsForPair(before->capture, p.own) == panelsForPair(capture, p.own))
        p.join = before->join;
    else
        p.join = joinPair(prev_, next, number, expected_, capture, p.own);
    const MatchResult r = p.join.result;
    if (!r.matched) {
        pairs_.push_back(std::move(p));
        stop_ = Stop::Unmatched;
        return;
    }
    expected_ = expectationAfter(prev_.height, r);
    offset_ += prev_.height - r.overlap;
    const int32_t s = clampedSeam(r, next.height);
    p.cut = offset_ + s;
    const bool inside = p.cut >= 0 && p.cut <= canvasHeight_;
    pairs_.push_back(std::move(p));
    if (!inside) {
        stop_ = Stop::InvalidSeam;
        return;
    }
    paste(next, s);
}

void StreamComposer::paste(const PixelImage& next, int32_t fromRow) {
    const int64_t cut = offset_ + fromRow;
    // Offsets only grow and a seam is never above its frame's top, so no join
    // reaches above the newest frame's top: the rows there went to the store.
    if (cut < flushed_) throw std::logic_error("a seam above the rows already stored");
    // Rows above the new frame's top are final now; storing them first keeps
    // the waiting rows to one frame.
    flushRowsAbove(offset_);
    const size_t w = static_cast<size_t>(storedWidth_);
    const int64_t height = offset_ + next.height;
    pending_.resize(static_cast<size_t>(height - flushed_) * w, 0u);
    const size_t copied = std::min(w, static_cast<size_t>(std::max(next.width, 0)));
    for (int32_t y = fromRow; y < next.height && w > 0; ++y) {
        uint32_t* row = &pending_[static_cast<size_t>(offset_ + y - flushed_) * w];
        std::memcpy(row, next.row(y), copied * 4);
        std::fill(row + copied, row + w, 0u);
    }
    canvasHeight_ = height;
}

void StreamComposer::flushRowsAbove(int64_t row) {
    const size_t w = static_cast<size_t>(storedWidth_);
    const int64_t count = row - flushed_;
    if (count <= 0) return;
    for (int64_t done = 0; done < count; done += kFlushRows)
        rows_.append(pending_.data() + static_cast<size_t>(done) * w, storedWidth_,
                     static_cast<int32_t>(std::min(kFlushRows, count - done)));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(count) * w));
    flushed_ = row;
}

bool StreamComposer::joinedAsWith(const SidePanels& capture) const {
    for (const Pair& p : pairs_)
        if (panelsForPair(p.capture, p.own) != panelsForPair(capture, p.own)) return false;
    return true;
}

void StreamComposer::replay(const SidePanels& capture) {
    const std::vector<Pair> earlier = std::move(pairs_);
    pairs_.clear();
    rows_.clear();
    start(reload_(0));
    for (size_t i = 1; i < frames_ && stop_ == Stop::None; ++i) {
        PixelImage next = reload_(i);
        join(next, capture, &earlier);
        prev_ = std::move(next);
    }
}

StreamedImage StreamComposer::finish(const TextLog& log) {
    StreamedImage out;
    if (frames_ == 0) return out;
    const SidePanels panels = capturePanelsOfPairs(pairPanels_);
    if (!joinedAsWith(panels)) {
        const std::vector<Pair> guessed = pairs_;
        replay(panels);
        for (size_t i = 0; i < pairs_.size(); ++i)
            out.replayedPairs += i >= guessed.size() || !(guessed[i].join.result == pairs_[i].join.result) ||
                                 guessed[i].expected != pairs_[i].expected;
    }
    prev_ = PixelImage{};

    if (panels.any()) log.line("panels=" + std::to_string(panels.left) + "," + std::to_string(panels.right));
    for (size_t i = 0; i < pairs_.size(); ++i) {
        const Pair& p = pairs_[i];
        for (const std::string& note : p.join.notes) {
            log.line(note);
            readPairLine(note, out.joins);
        }
        const std::string pairLine = formatPairLine(i + 1, p.join.result);
        log.line(pairLine);
        if (i + 1 == pairs_.size() && stop_ == Stop::Unmatched) throw std::runtime_error("stitch failed");
        if (i + 1 == pairs_.size() && stop_ == Stop::InvalidSeam) throw std::runtime_error("invalid seam");
        readPairLine(pairLine, out.joins);
        out.joins.back().outputRow = p.cut;
        out.joins.back().panelsPastedOnce = panels.any();
    }
    if (canvasHeight_ > INT32_MAX) throw std::runtime_error("stitch failed");
    flushRowsAbove(canvasHeight_);
    pending_ = {};

    out.width = minWidth_;
    out.height = static_cast<int32_t>(canvasHeight_);
    out.panels = panels;
    if (panels.any()) {
        out.panelFill = panelBackgrounds(static_cast<size_t>(std::max(minWidth_, 0)), first_, panels);
        out.firstFrame = std::move(first_);
    }
    first_ = PixelImage{};
    return out;
}

void readStreamedRows(RowStore& rows, const StreamedImage& image, int32_t firstRow, int32_t count, uint32_t* out) {
    const size_t w = static_cast<size_t>(std::max(image.width, 0));
    const size_t stored = static_cast<size_t>(rows.width());
    if (w == 0 || count <= 0) return;
    if (stored == w) {
        rows.read(firstRow, count, out);
    } else {
        // Frames of different widths: the image is the narrowest, each row its first columns.
        std::vector<uint32_t> wide(stored * static_cast<size_t>(count));
        rows.read(firstRow, count, wide.data());
        for (int32_t k = 0; k < count; ++k)
            std::memcpy(out + static_cast<size_t>(k) * w, wide.data() + static_cast<size_t>(k) * stored, w * 4);
    }
    if (!image.panels.any()) return;
    for (int32_t k = 0; k < count; ++k)
        paintPanelRow(out + static_cast<size_t>(k) * w, static_cast<int64_t>(firstRow) + k, w, image.firstFrame,
                      image.panels, image.panelFill);
}

}  // namespace tf
