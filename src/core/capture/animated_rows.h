#pragma once
// Rows of the area that keep changing while the rest of the picture stands
// still: an animation in the page (a spinner, a badge, a video). Learnt over
// one capture from the grabs of each probe's watch, and left out of the tests
// that ask whether the page moved or stood still, so that the end of the page
// is still seen behind it. The settle tests keep every row: a frame is never
// judged while rows are still painting, animated or not.

#include <cstdint>
#include <vector>

#include "ground/pixel_image.h"

namespace tf {

class AnimatedRows {
public:
    // A probe's watch begins: changes are counted within one watch, so that
    // rows painted once per probe (content that loads late) are not taken for
    // an animation.
    void beginWatch(uint64_t t);
    // Two grabs in a row of the watch, the later one taken at `t`.
    void observe(const PixelImage& before, const PixelImage& after, uint64_t t);

    // One byte per row, 1 for a row left out of the motion and still tests;
    // empty while no animation was learnt.
    const std::vector<uint8_t>& mask() const { return animated_; }
    int32_t count() const { return count_; }
    // Rows were added during the current watch.
    bool grew() const { return grew_; }

private:
    void learn(const std::vector<int32_t>& changed, int32_t height);

    std::vector<uint16_t> changes_;    // per row: partial changes seen in this watch
    std::vector<uint64_t> firstChange_;  // per row: when the first of them came
    std::vector<uint8_t> animated_;
    int32_t count_ = 0;
    bool grew_ = false;
};

// Rows whose sampled pixels (the columns framesNearlyIdentical samples) differ
// by kStillMeanDifference or more on average between the two grabs.
std::vector<int32_t> changedRows(const PixelImage& a, const PixelImage& b);

// framesNearlyIdentical over the rows `ignored` leaves (1 = left out); all rows
// when it is empty.
bool framesNearlyIdenticalOutside(const PixelImage& a, const PixelImage& b, const std::vector<uint8_t>& ignored);

// The two grabs differ only in rows that stay in place, few and in few runs,
// as an animation over a page that stood still makes them: what a reader of
// the dumped frames alone, who never saw the watch grabs, can tell of it.
bool changedOnlyByAnAnimation(const PixelImage& a, const PixelImage& b);

}  // namespace tf
