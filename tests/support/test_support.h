#pragma once
// Shared helpers of the test suites: test data, scratch folders, image checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ground/pixel_image.h"

namespace tf::test {

// Root of the repository's test data (tests/data).
std::filesystem::path testDataDir();

// A fresh, empty folder for one test; removed again when the object dies.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Exact comparison that names the first differing pixel.
::testing::AssertionResult imagesEqual(const PixelImage& expected, const PixelImage& actual);

// The corpus rule: share of pixels whose luma differs by 9 or more, over the
// columns [x0, x1) of both images (sizes must agree).
double lumaDifferenceFraction(const PixelImage& a, const PixelImage& b, int32_t x0 = 0, int32_t x1 = -1);

// The corpus rule for a whole stitched page: the same size as the truth and
// fewer than 0.5 % of its pixels off (see lumaDifferenceFraction).
::testing::AssertionResult stitchedAsTruth(const PixelImage& stitched, const PixelImage& truth);

// A deterministic document-like page: text lines, headings and rules with
// varied widths, so that every shift is distinguishable.
PixelImage makeDocumentPage(int32_t width, int32_t height, uint32_t seed = 1);

// A page of random grey 4 x 4 blocks: no stretch of it looks like another, so
// long captures of small frames match at every step. The document page's
// flat bars of text repeat closely enough that a small overlap of it can be
// placed wrong (300 x 200 frames a notch of 100 rows apart lose the overlap
// after some 200 frames with seed 1), which a long capture meets sooner or later.
PixelImage makeBlockNoisePage(int32_t width, int32_t height, uint32_t seed = 1);

// Rows [top, top + height) of a page, clamped at its end.
PixelImage cropRows(const PixelImage& page, int32_t top, int32_t height);

std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

// Every page of the three real corpora as "corpus/page", sorted.
std::vector<std::string> everyCorpusCase();
// The frames of a folder, decoded, in the order a capture wrote them.
std::vector<PixelImage> loadFrames(const std::filesystem::path& folder);

}  // namespace tf::test
