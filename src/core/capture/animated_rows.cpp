#include "core/capture/animated_rows.h"

#include <algorithm>
#include <cstdlib>

#include "core/tuning.h"

namespace tf {
namespace {

// Sum of |R| + |G| + |B| differences of one sampled pixel pair.
uint64_t pixelDifference(uint32_t pa, uint32_t pb) {
    uint64_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        sum += static_cast<uint64_t>(std::abs(static_cast<int>((pa >> shift) & 0xFFu) - static_cast<int>((pb >> shift) & 0xFFu)));
    return sum;
}

// Runs of changed rows, rows up to kAnimationRunGap apart counted as one run.
int32_t runsOf(const std::vector<int32_t>& rows) {
    int32_t runs = 0;
    for (size_t i = 0; i < rows.size(); ++i)
        if (i == 0 || rows[i] - rows[i - 1] > kAnimationRunGap) ++runs;
    return runs;
}

}  // namespace

std::vector<int32_t> changedRows(const PixelImage& a, const PixelImage& b) {
    std::vector<int32_t> rows;
    const int32_t w = std::min(a.width, b.width);
    const int32_t h = std::min(a.height, b.height);
    if (w < 1 || h < 1) return rows;
    const int32_t columnStep = std::max(w / 64, 1);
    for (int32_t y = 0; y < h; ++y) {
        const uint32_t* ra = a.row(y);
        const uint32_t* rb = b.row(y);
        uint64_t sum = 0, count = 0;
        for (int32_t x = 0; x < w; x += columnStep, ++count) sum += pixelDifference(ra[x], rb[x]);
        if (sum / count >= kStillMeanDifference) rows.push_back(y);
    }
    return rows;
}

bool framesNearlyIdenticalOutside(const PixelImage& a, const PixelImage& b, const std::vector<uint8_t>& ignored) {
    const int32_t w = std::min(a.width, b.width);
    const int32_t h = std::min(a.height, b.height);
    if (h < 1 || w < 1) return false;
    const int32_t rowStep = std::max(h / 64, 1);
    const int32_t columnStep = std::max(w / 64, 1);
    uint64_t sum = 0, count = 0;
    for (int32_t y = 0; y < h; y += rowStep) {
        if (static_cast<size_t>(y) < ignored.size() && ignored[static_cast<size_t>(y)] != 0) continue;
        const uint32_t* ra = a.row(y);
        const uint32_t* rb = b.row(y);
        for (int32_t x = 0; x < w; x += columnStep, ++count) sum += pixelDifference(ra[x], rb[x]);
    }
    if (count == 0) return false;
    return sum / count < kStillMeanDifference;
}

bool changedOnlyByAnAnimation(const PixelImage& a, const PixelImage& b) {
    const int32_t h = std::min(a.height, b.height);
    const std::vector<int32_t> changed = changedRows(a, b);
    if (changed.empty() || changed.size() > static_cast<size_t>(h / kAnimationMaxShareDivisor) ||
        runsOf(changed) > kAnimationMaxRuns)
        return false;
    std::vector<uint8_t> ignored(static_cast<size_t>(h), 0);
    for (int32_t y : changed) ignored[static_cast<size_t>(y)] = 1;
    return framesNearlyIdenticalOutside(a, b, ignored);
}

void AnimatedRows::beginWatch(uint64_t) {
    std::fill(changes_.begin(), changes_.end(), uint16_t{0});
    grew_ = false;
}

void AnimatedRows::observe(const PixelImage& before, const PixelImage& after, uint64_t t) {
    const int32_t h = std::min(before.height, after.height);
    if (h < 1) return;
    if (changes_.size() != static_cast<size_t>(h)) {
        // Another frame size is another area: nothing learnt applies to it.
        changes_.assign(static_cast<size_t>(h), 0);
        firstChange_.assign(static_cast<size_t>(h), 0);
        animated_.clear();
        count_ = 0;
    }
    const std::vector<int32_t> changed = changedRows(before, after);
    // Most of the picture changed, or in many places: the page itself moves
    // or repaints, which says nothing about an animation.
    if (changed.empty() || changed.size() > static_cast<size_t>(h / kAnimationMaxShareDivisor) ||
        runsOf(changed) > kAnimationMaxRuns)
        return;
    std::vector<int32_t> ready;
    for (int32_t y : changed) {
        const size_t i = static_cast<size_t>(y);
        if (changes_[i] == 0) firstChange_[i] = t;
        if (changes_[i] < UINT16_MAX) ++changes_[i];
        if (changes_[i] >= kAnimationChanges && t - firstChange_[i] >= kAnimationSpanMs) ready.push_back(y);
    }
    learn(ready, h);
}

// Rows that kept changing become animated while the animation stays a small
// part of the area: leaving more out would blind the tests to the page.
void AnimatedRows::learn(const std::vector<int32_t>& rows, int32_t height) {
    if (rows.empty()) return;
    if (animated_.empty()) animated_.assign(static_cast<size_t>(height), 0);
    for (int32_t y : rows) {
        uint8_t& row = animated_[static_cast<size_t>(y)];
        if (row != 0) continue;
        if (count_ >= height / kAnimationMaxShareDivisor) break;
        row = 1;
        ++count_;
        grew_ = true;
    }
}

}  // namespace tf
