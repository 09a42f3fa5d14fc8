#pragma once
// Joins the frames of a capture as they arrive, with the same matches, the
// same log lines and the same pixels as composeFrames over the whole list:
// only the last frame (for the next match), the first (for side panels) and
// the canvas rows a later seam may still replace are held; every row above
// them is final and goes to a RowStore at once.
//
// The capture's side panels are a majority over all pairs, so a pair is
// matched around the majority of the pairs seen so far. When the final
// majority would have matched some pair differently, the frames are read back
// in order through `reload` and joined again, reusing every pair whose
// expectation and panels come out the same; only then are the log lines
// written, in the order composeFrames writes them.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/stitch/composer.h"
#include "core/stitch/row_store.h"
#include "core/stitch/seam_record.h"
#include "core/stitch/side_panels.h"
#include "ground/pixel_image.h"
#include "ground/text_log.h"

namespace tf {

// Frame `index` (0-based, in the order added) once more, exactly as it was added.
using FrameReload = std::function<PixelImage(size_t index)>;

// A finished stream: its size and what is painted over the stored rows.
struct StreamedImage {
    int32_t width = 0;  // the narrowest frame's; the stored rows are the first frame's width
    int32_t height = 0;
    SidePanels panels;
    std::vector<uint32_t> panelFill;
    PixelImage firstFrame;  // held only when there are panels to paint
    std::vector<SeamRecord> joins;
    size_t replayedPairs = 0;  // pairs matched a second time (0 when the guessed panels held)
};

class StreamComposer {
public:
    StreamComposer(RowStore& rows, FrameReload reload);
    StreamComposer(const StreamComposer&) = delete;
    StreamComposer& operator=(const StreamComposer&) = delete;

    // The next frame. Never throws for its content: a pair that does not join
    // is reported by finish, as the panels decided there may join it after all.
    void add(PixelImage frame);
    size_t frameCount() const { return frames_; }
    // The frame added last (the next pair's earlier frame); empty before the first.
    const PixelImage& lastFrame() const { return prev_; }

    // Decides the panels, writes the panel and pair lines to `log`, puts the
    // last rows into the store, and throws what composeFrames throws for the
    // same frames ("stitch failed", "invalid seam") after the same lines.
    StreamedImage finish(const TextLog& log = TextLog());

private:
    struct Pair {
        SidePanels own;      // the pair's own panels
        SidePanels capture;  // the capture's panels it was matched around
        int32_t expected = 0;
        PairJoin join;
        int64_t cut = 0;
    };
    enum class Stop { None, Unmatched, InvalidSeam };

    void start(PixelImage first);
    void join(const PixelImage& next, const SidePanels& capture, const std::vector<Pair>* earlier);
    void paste(const PixelImage& next, int32_t fromRow);
    void flushRowsAbove(int64_t row);
    void replay(const SidePanels& capture);
    bool joinedAsWith(const SidePanels& capture) const;

    RowStore& rows_;
    FrameReload reload_;
    size_t frames_ = 0;
    std::vector<SidePanels> pairPanels_;  // every pair's own, also past a stop
    std::vector<Pair> pairs_;             // the pairs joined, a failing last one included
    Stop stop_ = Stop::None;
    PixelImage first_;
    PixelImage prev_;
    int32_t storedWidth_ = 0;
    int32_t minWidth_ = 0;
    std::vector<uint32_t> pending_;  // canvas rows [flushed_, canvasHeight_), storedWidth_ wide
    int64_t flushed_ = 0;
    int64_t offset_ = 0;
    int64_t canvasHeight_ = 0;
    int32_t expected_ = 0;
};

// Rows [firstRow, firstRow + count) of a finished stream, panels painted, into
// `out` (count × image.width pixels).
void readStreamedRows(RowStore& rows, const StreamedImage& image, int32_t firstRow, int32_t count, uint32_t* out);

}  // namespace tf
