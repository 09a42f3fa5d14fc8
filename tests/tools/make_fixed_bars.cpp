// Writes tests/data/fixed-bars: captures of real pages of the other test sets
// with a bar drawn into every frame at the same place, as a page that keeps a
// toolbar, an icon rail or a player bar fixed while its content scrolls. The
// bars carry little text on purpose: a long box or line, a few icons.
//
//   make_fixed_bars TESTDATA
//
// TESTDATA is the repository's tests/data; each case gets frames/ there. The
// tests never run this; they read what it wrote.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "core/image/png_codec.h"
#include "ground/pixel_image.h"

namespace fs = std::filesystem;
using tf::PixelImage;

namespace {

void fillRect(PixelImage& f, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t c) {
    for (int32_t y = std::max(y0, 0); y < std::min(y1, f.height); ++y)
        for (int32_t x = std::max(x0, 0); x < std::min(x1, f.width); ++x) f.at(x, y) = c;
}

void strokeRect(PixelImage& f, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t c) {
    fillRect(f, x0, y0, x1, y0 + 1, c);
    fillRect(f, x0, y1 - 1, x1, y1, c);
    fillRect(f, x0, y0, x0 + 1, y1, c);
    fillRect(f, x1 - 1, y0, x1, y1, c);
}

void disc(PixelImage& f, int32_t cx, int32_t cy, int32_t r, uint32_t c) {
    for (int32_t y = cy - r; y <= cy + r; ++y)
        for (int32_t x = cx - r; x <= cx + r; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r && x >= 0 && y >= 0 && x < f.width && y < f.height)
                f.at(x, y) = c;
}

PixelImage crop(const PixelImage& page, int32_t left, int32_t top, int32_t w, int32_t h) {
    PixelImage out(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) out.at(x, y) = page.at(left + x, top + y);
    return out;
}

// A narrow-screen navigation bar across the top: a menu icon, a logo, a
// dropdown and a search box that runs to the right edge, on a light theme.
void toolbar(PixelImage& f, int32_t height) {
    fillRect(f, 0, 0, f.width, height - 1, 0xFFF6F8FAu);
    fillRect(f, 0, height - 1, f.width, height, 0xFFD0D7DEu);
    for (int32_t line = 0; line < 3; ++line) fillRect(f, 16, 17 + 7 * line, 36, 19 + 7 * line, 0xFF57606Au);
    disc(f, 64, height / 2, 12, 0xFF0969DAu);
    fillRect(f, 84, height / 2 - 6, 140, height / 2 + 6, 0xFF24292Fu);
    strokeRect(f, 156, 12, 262, height - 12, 0xFFD0D7DEu);
    fillRect(f, 166, height / 2 - 4, 220, height / 2 + 4, 0xFF57606Au);
    for (int32_t i = 0; i < 5; ++i) fillRect(f, 242 + i, height / 2 - 2 + i, 252 - i, height / 2 - 1 + i, 0xFF57606Au);
    fillRect(f, 280, 10, f.width - 16, height - 10, 0xFFFFFFFFu);
    strokeRect(f, 280, 10, f.width - 16, height - 10, 0xFFD0D7DEu);
    strokeRect(f, 292, height / 2 - 7, 304, height / 2 + 5, 0xFF8C959Fu);
    fillRect(f, 303, height / 2 + 5, 307, height / 2 + 8, 0xFF8C959Fu);
    fillRect(f, 318, height / 2 - 4, 420, height / 2 + 4, 0xFFB8BFC6u);
}

// A thin rail of icons at the left edge: five at the top, one at the bottom,
// square glyphs whose edges across the rail are few.
void iconRail(PixelImage& f, int32_t width) {
    fillRect(f, 0, 0, width - 1, f.height, 0xFFF3F3F3u);
    fillRect(f, width - 1, 0, width, f.height, 0xFFDDDDDDu);
    auto icon = [&](int32_t i, int32_t top) {
        const int32_t x0 = (width - 24) / 2, x1 = x0 + 24;
        switch (i % 3) {
            case 0: fillRect(f, x0 + 2, top + 2, x1 - 2, top + 22, 0xFF616161u); break;
            case 1: fillRect(f, x0 + 2, top + 2, x0 + 10, top + 22, 0xFF616161u); fillRect(f, x0 + 14, top + 2, x1 - 2, top + 22, 0xFF616161u); break;
            default: fillRect(f, x0 + 2, top + 4, x1 - 2, top + 20, 0xFF1A73E8u);
        }
    };
    for (int32_t i = 0; i < 5; ++i) icon(i, 12 + 48 * i);
    icon(0, f.height - 40);
}

// A player bar along the bottom: the title, a play button, the times and a
// progress line that runs almost across the whole width, on a dark theme.
void playerBar(PixelImage& f, int32_t height) {
    const int32_t top = f.height - height;
    fillRect(f, 0, top, f.width, f.height, 0xFF181818u);
    fillRect(f, 0, top, f.width, top + 1, 0xFF282828u);
    fillRect(f, 16, top + 14, 110, top + 22, 0xFFE0E0E0u);
    fillRect(f, 16, top + 28, 80, top + 34, 0xFF9E9E9Eu);
    disc(f, f.width / 2, top + 22, 12, 0xFFFFFFFFu);
    for (int32_t i = 0; i < 8; ++i) fillRect(f, f.width / 2 - 4 + i, top + 16 + i / 2, f.width / 2 - 3 + i, top + 28 - i / 2, 0xFF181818u);
    fillRect(f, 16, top + 46, 52, top + 52, 0xFF9E9E9Eu);
    fillRect(f, f.width - 52, top + 46, f.width - 16, top + 52, 0xFF9E9E9Eu);
    fillRect(f, 64, top + 48, f.width - 64, top + 51, 0xFF535353u);
    fillRect(f, 64, top + 48, 64 + (f.width - 128) / 3, top + 51, 0xFF1DB954u);
    disc(f, 64 + (f.width - 128) / 3, top + 49, 5, 0xFFFFFFFFu);
}

void writeCase(const fs::path& folder, const std::vector<PixelImage>& frames) {
    fs::remove_all(folder);
    fs::create_directories(folder / "frames");
    for (size_t i = 0; i < frames.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%04zu.png", i);
        tf::savePng(frames[i], folder / "frames" / name);
    }
}

// One case: frames cut from a page at `starts` (columns when `sideways`,
// rows otherwise), `size` columns or rows each, with a bar painted on each.
struct Case {
    const char* folder;
    const char* page;
    bool sideways;
    std::vector<int32_t> starts;
    int32_t size;
    void (*paint)(PixelImage& frame);
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fixed_bars TESTDATA\n");
        return 2;
    }
    const Case cases[] = {
        {"sideways-toolbar-search", "sideways/debref-ch02-wide-table/truth.png", true, {0, 270, 540, 810, 840}, 800,
         [](PixelImage& f) { toolbar(f, 50); }},
        {"down-icon-rail", "corpus/py-functions-small-rect/truth.png", false, {0, 250, 500, 750, 1030}, 420,
         [](PixelImage& f) { iconRail(f, 48); }},
        {"sideways-player-bar", "sideways/debref-ch02-long-code/truth.png", true, {0, 200, 400, 600, 636}, 480,
         [](PixelImage& f) { playerBar(f, 64); }},
        {"down-player-bar", "corpus/py-functions-small-rect/truth.png", false, {0, 250, 500, 750, 1030}, 420,
         [](PixelImage& f) { playerBar(f, 64); }},
    };
    try {
        const fs::path data = argv[1];
        for (const Case& c : cases) {
            const PixelImage page = tf::loadPng(data / c.page);
            std::vector<PixelImage> frames;
            for (int32_t start : c.starts) {
                PixelImage f = c.sideways ? crop(page, start, 0, c.size, page.height)
                                          : crop(page, 0, start, page.width, c.size);
                c.paint(f);
                frames.push_back(f);
            }
            writeCase(data / "fixed-bars" / c.folder, frames);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fixed_bars: %s\n", e.what());
        return 1;
    }
    return 0;
}
