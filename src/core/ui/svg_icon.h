#pragma once
// The small SVG subset our icons are written in, parsed into plain figures of
// lines and cubic curves that any 2-D renderer can fill and stroke.
//
// It holds what the shipped icons use and no more. Elements: svg, g, path
// (M L H V C A Z, absolute and relative), circle, rect (with rx/ry), line.
// Presentation attributes:
// fill, stroke, stroke-width, stroke-linecap, stroke-linejoin, fill-rule,
// opacity, color, inherited from svg and g. Colours: none, currentColor,
// #rgb and #rrggbb. Anything else that is an element is refused; unknown
// attributes are ignored. Arcs and shapes become cubics here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

struct SvgPoint {
    float x = 0, y = 0;
};

struct SvgSegment {
    bool cubic = false;       // false: a line to `end`
    SvgPoint c1, c2, end;
};

struct SvgFigure {
    SvgPoint start;
    std::vector<SvgSegment> segments;
    bool closed = false;
};

struct SvgPaint {
    enum class Kind { None, CurrentColor, Rgb };
    Kind kind = Kind::None;
    uint32_t rgb = 0;  // 0xRRGGBB when kind is Rgb
};

enum class SvgLineCap { Butt, Round, Square };
enum class SvgLineJoin { Miter, Round, Bevel };

struct SvgShape {
    std::vector<SvgFigure> figures;
    SvgPaint fill;
    SvgPaint stroke;
    float strokeWidth = 1;
    float opacity = 1;
    SvgLineCap lineCap = SvgLineCap::Butt;
    SvgLineJoin lineJoin = SvgLineJoin::Miter;
    bool evenOdd = false;
};

struct SvgDocument {
    float viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
    std::vector<SvgShape> shapes;
};

struct SvgParseResult {
    std::optional<SvgDocument> document;
    std::string error;  // why it was refused; empty on success
};

// Refuses (with a reason) anything outside the subset, malformed numbers,
// unbalanced elements, a missing or degenerate viewBox, and documents bigger
// than the limits below; never throws for bad input.
SvgParseResult parseSvgIcon(std::string_view text);

inline constexpr size_t kSvgMaxDocumentBytes = 256 * 1024;
inline constexpr size_t kSvgMaxSegments = 20000;
inline constexpr int kSvgMaxDepth = 16;

}  // namespace tf
