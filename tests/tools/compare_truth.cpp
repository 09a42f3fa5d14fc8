// Compares a stitched PNG with a true long image by the corpus rule: fewer
// than 0.5 % of the pixels differ by a luma of 9 or more. Reads both with the
// program's own PNG codec. Exit code 0 when the image passes, 1 otherwise.
//
//   compare_truth OUT TRUTH [X0 [X1]]
//       same size; only columns X0..X1 are compared (default: all)
//   compare_truth --capture OUT TRUTH MODE [N [PANEL FRAME]]
//       a capture against the fixture's page. MODE exact: same size;
//       shorter: up to N rows may be missing at the bottom; prefix: any
//       leading part of the truth. With PANEL, the first PANEL columns are
//       left out of the comparison and, below the first FRAME rows, each of
//       them must be one colour (the panel is in the image once).
//   compare_truth --capture --sideways OUT TRUTH MODE [N [PANEL FRAME]]
//       the same for a capture that scrolled right: both images are turned on
//       their side first, so rows read columns (N counts missing columns at
//       the right, PANEL the top rows, FRAME the first frame's columns).
//   --capture [--sideways] --leave-out-at-end X0 X1 R0 R1 OUT TRUTH MODE ...
//       also leaves out a box of the last frame: columns X0..X1 (rows when
//       sideways) of the rows R0..R1 counted back from the image's end. An
//       animation over the page is in the last frame as it was on the screen,
//       which the truth, the page alone, cannot hold.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ground/pixel_image.h"
#include "core/image/png_codec.h"
#include "core/image/png_stream_decoder.h"
#include "test_support.h"

namespace {

using tf::PixelImage;

class FileBytes : public tf::ByteSource {
public:
    explicit FileBytes(const char* path) : file_(path, std::ios::binary) {}
    bool read(void* data, size_t size, size_t& got) override {
        file_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
        got = static_cast<size_t>(file_.gcount());
        return !file_.bad();
    }

private:
    std::ifstream file_;
};

class WholeImage : public tf::DecodedRowSink {
public:
    explicit WholeImage(PixelImage& image) : image_(image) {}
    uint32_t* rowBuffer(int32_t y) override { return image_.row(y); }
    bool rowsDone(int32_t) override { return true; }

private:
    PixelImage& image_;
};

// The codec reads frames, at most kMaxFrameSide on a side; a long capture
// and its truth are taller, and are read row by row instead.
PixelImage loadImage(const char* path) {
    try {
        return tf::loadPng(path);
    } catch (const std::exception&) {
        FileBytes bytes(path);
        tf::PngStreamDecoder decoder(bytes);
        if (decoder.readHeader() != tf::PngStreamResult::Decoded) throw;
        PixelImage image(static_cast<int32_t>(decoder.header().width), static_cast<int32_t>(decoder.header().height));
        WholeImage sink(image);
        if (decoder.decodeRows(sink) != tf::PngStreamResult::Decoded) throw std::runtime_error("damaged PNG");
        return image;
    }
}

int compareWhole(int argc, char** argv) {
    const std::string out = argv[1];
    const PixelImage a = loadImage(argv[1]);
    const PixelImage b = loadImage(argv[2]);
    if (a.width != b.width || a.height != b.height) {
        std::printf("%s: size %dx%d, truth %dx%d\n", out.c_str(), a.width, a.height, b.width, b.height);
        return 1;
    }
    const int32_t x0 = argc > 3 ? std::atoi(argv[3]) : 0;
    const int32_t x1 = argc > 4 ? std::atoi(argv[4]) : a.width;
    const double share = tf::test::lumaDifferenceFraction(a, b, x0, x1);
    std::printf("%s: %dx%d, %.3f %% of pixels off\n", out.c_str(), a.width, a.height, share * 100);
    return share < 0.005 ? 0 : 1;
}

// A box left out of the comparison, in the images as compared (turned when sideways).
struct LeftOut {
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool holds(int32_t x, int32_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The share of pixels in columns x0.. that differ by a luma of 9 or more,
// counted over the pixels outside `out` only.
double differingShare(const PixelImage& a, const PixelImage& b, int32_t x0, const LeftOut& out) {
    uint64_t differing = 0, compared = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = x0; x < a.width; ++x) {
            if (out.holds(x, y)) continue;
            ++compared;
            if (std::abs(tf::luma(a.at(x, y)) - tf::luma(b.at(x, y))) >= 9) ++differing;
        }
    return compared == 0 ? 1.0 : static_cast<double>(differing) / static_cast<double>(compared);
}

int compareCapture(int argc, char** argv, bool sideways, const int32_t* leaveOutAtEnd) {
    const PixelImage a = sideways ? tf::transposed(loadImage(argv[2])) : loadImage(argv[2]);
    const PixelImage b = sideways ? tf::transposed(loadImage(argv[3])) : loadImage(argv[3]);
    const std::string mode = argv[4];
    const int32_t n = argc > 5 ? std::atoi(argv[5]) : 0;
    const int32_t panel = argc > 6 ? std::atoi(argv[6]) : 0;
    const int32_t frame = argc > 7 ? std::atoi(argv[7]) : 0;
    const bool sizeOk = a.width == b.width && (mode == "exact"     ? a.height == b.height
                                               : mode == "shorter" ? b.height - n <= a.height && a.height <= b.height
                                                                   : a.height <= b.height);
    // Sizes as the files have them.
    const auto w = [&](const PixelImage& i) { return sideways ? i.height : i.width; };
    const auto h = [&](const PixelImage& i) { return sideways ? i.width : i.height; };
    if (!sizeOk) {
        std::printf("  size %dx%d, truth %dx%d (%s %d)\n", w(a), h(a), w(b), h(b), mode.c_str(), n);
        return 1;
    }
    LeftOut out;
    if (leaveOutAtEnd != nullptr)
        out = {leaveOutAtEnd[0], leaveOutAtEnd[1], a.height - leaveOutAtEnd[3], a.height - leaveOutAtEnd[2]};
    const double share = differingShare(a, tf::test::cropRows(b, 0, a.height), panel, out);
    std::printf("  %.3f %% of pixels off against the truth %dx%d", share * 100, w(b), h(b));
    if (leaveOutAtEnd != nullptr)
        std::printf(" leaving out %s %d..%d of the last %d..%d", sideways ? "rows" : "columns", out.x0, out.x1,
                    leaveOutAtEnd[2], leaveOutAtEnd[3]);
    if (panel != 0) std::printf(" beside a %d-%s panel", panel, sideways ? "row" : "column");
    std::printf("\n");
    bool ok = share < 0.005;
    if (panel != 0) {
        int32_t mixed = 0;
        for (int32_t x = 0; x < panel; ++x) {
            for (int32_t y = frame; y < a.height; ++y) {
                if (std::abs(tf::luma(a.at(x, y)) - tf::luma(a.at(x, frame))) >= 9) {
                    ++mixed;
                    break;
                }
            }
        }
        std::printf("  panel %s %s the first frame: %d of %d of one colour\n", sideways ? "rows" : "columns",
                    sideways ? "right of" : "below", panel - mixed, panel);
        ok = ok && mixed == 0;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 2 && std::string(argv[1]) == "--capture") {
            // Options after --capture; what is left reads as "--capture OUT TRUTH MODE ...".
            bool sideways = false;
            int32_t box[4];
            const int32_t* leaveOut = nullptr;
            for (;;) {
                if (argc >= 3 && std::string(argv[2]) == "--sideways") {
                    sideways = true;
                    argv[2] = argv[1], ++argv, --argc;
                } else if (argc >= 7 && std::string(argv[2]) == "--leave-out-at-end") {
                    for (int i = 0; i < 4; ++i) box[i] = std::atoi(argv[3 + i]);
                    leaveOut = box;
                    argv[6] = argv[1], argv += 5, argc -= 5;
                } else {
                    break;
                }
            }
            if (argc >= 5) return compareCapture(argc, argv, sideways, leaveOut);
        } else if (argc >= 3) {
            return compareWhole(argc, argv);
        }
    } catch (const std::exception& e) {
        std::printf("compare_truth: %s\n", e.what());
        return 1;
    }
    std::printf(
        "usage: compare_truth OUT TRUTH [X0 [X1]] | --capture [--sideways] [--leave-out-at-end X0 X1 R0 R1] OUT TRUTH "
        "MODE [N [PANEL FRAME]]\n");
    return 1;
}
