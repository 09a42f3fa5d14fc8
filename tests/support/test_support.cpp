#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"

namespace fs = std::filesystem;

namespace tf::test {

fs::path testDataDir() { return fs::path(TALLYFRAME_TEST_DATA); }

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "-" + info->name() : "scratch";
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("tf-" + name + "-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

::testing::AssertionResult imagesEqual(const PixelImage& expected, const PixelImage& actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", expected "
                                             << expected.width << "x" << expected.height;
    for (int32_t y = 0; y < expected.height; ++y)
        for (int32_t x = 0; x < expected.width; ++x)
            if (expected.at(x, y) != actual.at(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at x=" << x << " y=" << y << ": 0x" << std::hex << actual.at(x, y)
                       << ", expected 0x" << expected.at(x, y);
    return ::testing::AssertionSuccess();
}

double lumaDifferenceFraction(const PixelImage& a, const PixelImage& b, int32_t x0, int32_t x1) {
    if (x1 < 0) x1 = a.width;
    if (a.width != b.width || a.height != b.height || x1 <= x0 || a.height == 0) return 1.0;
    uint64_t differing = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (std::abs(luma(a.at(x, y)) - luma(b.at(x, y))) >= 9) ++differing;
    return static_cast<double>(differing) / (static_cast<double>(x1 - x0) * a.height);
}

::testing::AssertionResult stitchedAsTruth(const PixelImage& stitched, const PixelImage& truth) {
    if (stitched.width != truth.width || stitched.height != truth.height)
        return ::testing::AssertionFailure() << "stitched into " << stitched.width << " x " << stitched.height
                                             << " instead of " << truth.width << " x " << truth.height;
    const double off = lumaDifferenceFraction(stitched, truth);
    if (off >= 0.005) return ::testing::AssertionFailure() << "share of pixels off: " << off;
    return ::testing::AssertionSuccess() << "share of pixels off: " << off;
}

PixelImage makeDocumentPage(int32_t width, int32_t height, uint32_t seed) {
    PixelImage page(width, height, 0xFFFFFFFFu);
    std::mt19937 rng(seed);
    int32_t y = 12;
    while (y < height - 4) {
        const int kind = static_cast<int>(rng() % 10);
        if (kind == 0) {  // heading
            const int32_t h = 8;
            const int32_t x1 = std::min(width - 8, 20 + static_cast<int32_t>(rng() % std::max(1, width - 60)));
            for (int32_t r = y; r < std::min(height, y + h); ++r)
                for (int32_t x = 20; x < x1; ++x) page.at(x, r) = 0xFF1A1A40u;
            y += h + 14;
        } else if (kind == 1) {  // rule
            for (int32_t x = 10; x < width - 10; ++x) page.at(x, y) = 0xFFB0B0B0u;
            y += 9;
        } else {  // a line of words
            const int32_t h = 5 + static_cast<int32_t>(rng() % 3);
            int32_t x = 20 + static_cast<int32_t>(rng() % 30);
            const int32_t right = width - 20 - static_cast<int32_t>(rng() % std::max(1, width / 3));
            const uint32_t colour = 0xFF000000u | ((rng() % 0x60) * 0x010101u);
            while (x < right) {
                const int32_t len = 6 + static_cast<int32_t>(rng() % 40);
                for (int32_t r = y; r < std::min(height, y + h); ++r)
                    for (int32_t xx = x; xx < std::min(right, x + len); ++xx) page.at(xx, r) = colour;
                x += len + 5 + static_cast<int32_t>(rng() % 6);
            }
            y += h + 6 + static_cast<int32_t>(rng() % 5);
        }
    }
    return page;
}

PixelImage makeBlockNoisePage(int32_t width, int32_t height, uint32_t seed) {
    constexpr int32_t kBlock = 4;
    PixelImage page(width, height);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < height; y += kBlock)
        for (int32_t x = 0; x < width; x += kBlock) {
            const uint32_t grey = (rng() % 256) * 0x010101u;
            for (int32_t yy = y; yy < std::min(height, y + kBlock); ++yy)
                for (int32_t xx = x; xx < std::min(width, x + kBlock); ++xx) page.at(xx, yy) = 0xFF000000u | grey;
        }
    return page;
}

PixelImage cropRows(const PixelImage& page, int32_t top, int32_t height) {
    PixelImage out(page.width, height);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t src = std::min(top + y, page.height - 1);
        std::copy(page.row(src), page.row(src) + page.width, out.row(y));
    }
    return out;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> everyCorpusCase() {
    std::vector<std::string> cases;
    for (const char* corpus : {"corpus", "corpus-hard", "corpus-panels"})
        for (const auto& entry : fs::directory_iterator(testDataDir() / corpus))
            if (entry.is_directory()) cases.push_back(std::string(corpus) + "/" + entry.path().filename().string());
    std::sort(cases.begin(), cases.end());
    return cases;
}

std::vector<PixelImage> loadFrames(const fs::path& folder) {
    std::vector<PixelImage> frames;
    for (const fs::path& p : listFrameFiles(folder)) frames.push_back(loadPng(p));
    return frames;
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tf::test
