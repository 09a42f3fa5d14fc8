#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/image/png_codec.h"
#include "core/review/trimmed_image.h"
#include "core/review/trimmed_name.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::makeDocumentPage;
using test::ScratchDir;

TEST(TrimmedName, TheFirstFreeNumberBesideTheCapture) {
    const fs::path capture = fs::path("shots") / "tallyframe-20261209-120000.png";
    const fs::path folder = capture.parent_path();
    const struct {
        const char* name;
        std::set<std::wstring> taken;
        std::wstring expected;
    } cases[] = {
        {"nothing taken", {}, L"tallyframe-20261209-120000-trimmed.png"},
        {"the plain name taken", {L"tallyframe-20261209-120000-trimmed.png"}, L"tallyframe-20261209-120000-trimmed-2.png"},
        {"a gap is filled",
         {L"tallyframe-20261209-120000-trimmed.png", L"tallyframe-20261209-120000-trimmed-3.png"},
         L"tallyframe-20261209-120000-trimmed-2.png"},
        {"other names do not count", {L"tallyframe-20261209-120000.png", L"tallyframe-20261209-120000-trimmed-2.png"},
         L"tallyframe-20261209-120000-trimmed.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<fs::path> asked;
        const fs::path name = trimmedFileName(capture, [&](const fs::path& p) {
            asked.push_back(p);
            return c.taken.count(p.filename().wstring()) > 0;
        });
        EXPECT_EQ(name, folder / c.expected);
        for (const fs::path& p : asked) EXPECT_EQ(p.parent_path(), folder);
    }
    // A trimmed copy trimmed again is named after its own name.
    EXPECT_EQ(trimmedFileName("a/x-trimmed.png", [](const fs::path&) { return false; }), fs::path("a/x-trimmed-trimmed.png"));
    int asked = 0;
    EXPECT_TRUE(trimmedFileName(capture, [&](const fs::path&) { return ++asked, true; }).empty());
    EXPECT_EQ(asked, kMaxTrimmedNumber);
}

// The window saves through the atomic save of every capture; its numbering
// must be the one the name above predicts, and the capture stays as it was.
TEST(TrimmedImage, WritesExactlyTheKeptPartBesideTheCapture) {
    ScratchDir dir;
    const PixelImage image = makeDocumentPage(300, 1200, 5);
    const fs::path capture = dir / "tallyframe-20261209-120000.png";
    savePng(image, capture);
    const std::string before = test::readFile(capture);
    const TrimRect rects[] = {{300, 1000, 0, 300}, {0, 1200, 17, 283}, {0, 1, 0, 1}, {0, 1200, 0, 300}};
    for (const TrimRect& r : rects) {
        SCOPED_TRACE(std::to_string(r.top) + "," + std::to_string(r.bottom) + "," + std::to_string(r.left));
        const fs::path predicted = trimmedFileName(capture, [](const fs::path& p) { return fs::exists(p); });
        const fs::path written = saveTrimmedAsNew(image, r, capture);
        EXPECT_EQ(written, predicted);
        const PixelImage back = loadPng(written);
        ASSERT_EQ(back.width, r.width());
        ASSERT_EQ(back.height, r.height());
        for (int32_t y = 0; y < back.height; ++y)
            for (int32_t x = 0; x < back.width; ++x)
                ASSERT_EQ(back.at(x, y), image.at(x + r.left, y + r.top)) << x << "," << y;
    }
    EXPECT_EQ(test::readFile(capture), before);
    EXPECT_TRUE(fs::exists(dir / "tallyframe-20261209-120000-trimmed-4.png"));
    for (const TrimRect& bad : {TrimRect{0, 1201, 0, 300}, TrimRect{5, 5, 0, 300}, TrimRect{0, 10, -1, 300}})
        EXPECT_THROW(saveTrimmedAsNew(image, bad, capture), std::runtime_error);
}

}  // namespace
}  // namespace tf
