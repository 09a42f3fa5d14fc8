#include "core/ui/svg_icon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "test_support.h"

namespace {

using tf::parseSvgIcon;
using tf::SvgDocument;
using tf::SvgPaint;

std::filesystem::path iconFolder() { return tf::test::testDataDir() / ".." / ".." / "src" / "shell" / "resources" / "icons"; }

SvgDocument parsed(const std::string& text) {
    auto r = parseSvgIcon(text);
    EXPECT_TRUE(r.document.has_value()) << r.error << " in " << text;
    return r.document.value_or(SvgDocument{});
}

std::string wrap(const std::string& body, const std::string& rootAttrs = "") {
    return "<svg viewBox=\"0 0 24 24\"" + rootAttrs + ">" + body + "</svg>";
}

// Last point of the last figure of the first shape.
tf::SvgPoint endPoint(const SvgDocument& d) {
    const auto& f = d.shapes.at(0).figures.back();
    return f.segments.empty() ? f.start : f.segments.back().end;
}

TEST(SvgIcon, EveryShippedIconParsesWithItsViewBoxAndShapes) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(iconFolder())) {
        if (entry.path().extension() != ".svg") continue;
        ++count;
        const auto r = parseSvgIcon(tf::test::readFile(entry.path()));
        ASSERT_TRUE(r.document) << entry.path() << ": " << r.error;
        EXPECT_GT(r.document->viewWidth, 0);
        EXPECT_FALSE(r.document->shapes.empty()) << entry.path();
        const int id = std::stoi(entry.path().filename().string().substr(0, 3));
        const bool tinted = id != 201 && id != 217;
        bool usesCurrent = false;
        for (const auto& s : r.document->shapes) {
            usesCurrent |= s.fill.kind == SvgPaint::Kind::CurrentColor || s.stroke.kind == SvgPaint::Kind::CurrentColor;
        }
        EXPECT_EQ(usesCurrent, tinted) << entry.path();
    }
    EXPECT_EQ(count, 19);
}

TEST(SvgIcon, PathCommandsAbsoluteAndRelativeEndWhereSvgSays) {
    struct Case {
        const char* d;
        float x, y;
    } cases[] = {
        {"M1 2 L5 6", 5, 6},
        {"M1 2 l5 6", 6, 8},
        {"M1 2 H9", 9, 2},
        {"M1 2 h9 v3", 10, 5},
        {"M1 2 V7", 1, 7},
        {"M0 0 C1 1 2 2 3 3", 3, 3},
        {"M1 1 c1 1 2 2 3 3", 4, 4},
        {"M2 12 A10 10 0 0 1 22 12", 22, 12},
        {"m2 12 a10 10 0 1 0 20 0", 22, 12},
        {"M1 1 2 2 3 3", 3, 3},            // implicit linetos after a moveto
        {"M1,1,4,5", 4, 5},
        {"M-1-2L.5.5", 0.5f, 0.5f},        // signs and dots separate numbers
        {"M0 0 a5 5 0 0010 0", 10, 0},     // flags without separators
        {"M1e1 0 L2E0 1e0", 2, 1},
    };
    for (const auto& c : cases) {
        const auto d = parsed(wrap(std::string("<path d=\"") + c.d + "\"/>"));
        ASSERT_EQ(d.shapes.size(), 1u) << c.d;
        const auto p = endPoint(d);
        EXPECT_NEAR(p.x, c.x, 1e-4) << c.d;
        EXPECT_NEAR(p.y, c.y, 1e-4) << c.d;
    }
}

TEST(SvgIcon, ArcsBecomeCubicsOnTheCircle) {
    // A half circle of radius 10 around (12, 12), swept through the bottom.
    const auto d = parsed(wrap("<path d=\"M2 12 A10 10 0 0 0 22 12\"/>"));
    const auto& segs = d.shapes[0].figures[0].segments;
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_TRUE(segs[0].cubic);
    EXPECT_NEAR(segs[0].end.x, 12, 1e-3);
    EXPECT_NEAR(segs[0].end.y, 22, 1e-3);
    // An arc whose radius is too small is scaled up to reach its end point.
    const auto small = parsed(wrap("<path d=\"M0 0 A1 1 0 0 1 10 0\"/>"));
    EXPECT_NEAR(endPoint(small).x, 10, 1e-4);
    // Zero radius draws a line.
    const auto flat = parsed(wrap("<path d=\"M0 0 A0 3 0 0 1 10 0\"/>"));
    EXPECT_FALSE(flat.shapes[0].figures[0].segments[0].cubic);
}

TEST(SvgIcon, CloseReturnsThePenToTheFigureStart) {
    const auto d = parsed(wrap("<path d=\"M4 4 H10 V10 Z l2 0\"/>"));
    ASSERT_EQ(d.shapes[0].figures.size(), 2u);
    EXPECT_TRUE(d.shapes[0].figures[0].closed);
    EXPECT_FLOAT_EQ(d.shapes[0].figures[1].start.x, 4);
    EXPECT_FLOAT_EQ(endPoint(d).x, 6);
}

TEST(SvgIcon, BasicShapesBecomeClosedFigures) {
    const auto d = parsed(wrap("<circle cx=\"12\" cy=\"12\" r=\"5\"/><rect x=\"1\" y=\"2\" width=\"8\" height=\"6\"/>"
                               "<rect x=\"1\" y=\"2\" width=\"8\" height=\"6\" rx=\"10\"/><line x1=\"1\" y1=\"1\" x2=\"3\" y2=\"3\"/>"));
    ASSERT_EQ(d.shapes.size(), 4u);
    EXPECT_EQ(d.shapes[0].figures[0].segments.size(), 4u);
    EXPECT_FLOAT_EQ(d.shapes[0].figures[0].start.x, 17);
    EXPECT_EQ(d.shapes[1].figures[0].segments.size(), 3u);
    // rx larger than half the width is clamped: the corner starts at the middle.
    EXPECT_FLOAT_EQ(d.shapes[2].figures[0].start.x, 5);
    EXPECT_FALSE(d.shapes[3].figures[0].closed);
}

TEST(SvgIcon, PresentationAttributesInheritAndOverride) {
    const auto d = parsed(wrap("<g stroke-width=\"3\" stroke-linecap=\"round\"><path d=\"M0 0 L1 1\" fill=\"#abc\"/>"
                               "<g stroke=\"#102030\" fill-rule=\"evenodd\" opacity=\"0.5\"><circle r=\"2\" stroke-width=\"1.5\"/></g></g>"
                               "<line x2=\"4\"/>",
                               " fill=\"none\" stroke=\"currentColor\" stroke-linejoin=\"round\""));
    ASSERT_EQ(d.shapes.size(), 3u);
    const auto& a = d.shapes[0];
    EXPECT_EQ(a.fill.kind, SvgPaint::Kind::Rgb);
    EXPECT_EQ(a.fill.rgb, 0xAABBCCu);
    EXPECT_EQ(a.stroke.kind, SvgPaint::Kind::CurrentColor);
    EXPECT_FLOAT_EQ(a.strokeWidth, 3);
    EXPECT_EQ(a.lineCap, tf::SvgLineCap::Round);
    EXPECT_EQ(a.lineJoin, tf::SvgLineJoin::Round);
    const auto& b = d.shapes[1];
    EXPECT_EQ(b.fill.kind, SvgPaint::Kind::None);
    EXPECT_EQ(b.stroke.rgb, 0x102030u);
    EXPECT_FLOAT_EQ(b.strokeWidth, 1.5f);
    EXPECT_TRUE(b.evenOdd);
    EXPECT_FLOAT_EQ(b.opacity, 0.5f);
    const auto& c = d.shapes[2];  // outside the groups: back to the root's style
    EXPECT_FLOAT_EQ(c.strokeWidth, 1);
    EXPECT_EQ(c.lineCap, tf::SvgLineCap::Butt);
    EXPECT_FALSE(c.evenOdd);
    // Without any fill attribute SVG fills black.
    const auto plain = parsed(wrap("<rect width=\"1\" height=\"1\"/>"));
    EXPECT_EQ(plain.shapes[0].fill.kind, SvgPaint::Kind::Rgb);
    EXPECT_EQ(plain.shapes[0].fill.rgb, 0u);
}

TEST(SvgIcon, DeclarationsAndCommentsAreSkipped) {
    const auto d = parsed("<?xml version=\"1.0\"?>\n<!-- mark -->\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                          "viewBox=\"0 0 16 16\"><path d=\"M0 0 H4\"/></svg>\n");
    EXPECT_FLOAT_EQ(d.viewWidth, 16);
    EXPECT_EQ(d.shapes.size(), 1u);
}

TEST(SvgIcon, MalformedDocumentsAreRefusedWithAReason) {
    const std::string cases[] = {
        "",
        "not xml at all",
        "<svg viewBox=\"0 0 24 24\">",                                     // unclosed
        "<svg viewBox=\"0 0 24 24\"></g>",                                 // unbalanced
        "<svg><path d=\"M0 0\"/></svg>",                                   // no viewBox
        "<svg viewBox=\"0 0 0 24\"></svg>",                                // degenerate
        "<svg viewBox=\"0 0 24\"></svg>",
        "<svg viewBox=\"0 0 24 24 5\"></svg>",
        "<g viewBox=\"0 0 24 24\"></g>",                                   // root is not svg
        wrap("<svg viewBox=\"0 0 1 1\"></svg>"),                           // nested svg
        wrap("<text>hi</text>"),                                           // outside the subset
        wrap("<title>x</title>"),
        wrap("<ellipse cx=\"3\" cy=\"3\" rx=\"2\" ry=\"1\"/>"),
        wrap("<polygon points=\"0,0 4,0 4,4\"/>"),
        wrap("<path d=\"M0 0 Q5 5 10 0\"/>"),                             // commands beyond the subset
        wrap("<path d=\"M1 1 C1 1 2 2 3 3 S1 1 4 0\"/>"),
        wrap("<path d=\"M0 0 T20 0\"/>"),
        wrap("<path/>"),
        wrap("<path d=\"L1 1\"/>"),                                        // no moveto first
        wrap("<path d=\"M0 0 X 1\"/>"),
        wrap("<path d=\"M0 0 L1\"/>"),                                     // missing coordinate
        wrap("<path d=\"M0 0 Z 4\"/>"),
        wrap("<path d=\"M0 0 A1 1 0 2 0 3 3\"/>"),                         // bad flag
        wrap("<path d=\"M0 0 L1e999 1\"/>"),                               // out of range
        wrap("<path d=\"M0 0 L- 1\"/>"),
        wrap("<circle cx=\"1\" cy=\"1\"/>"),                               // no radius
        wrap("<circle r=\"-1\"/>"),
        wrap("<rect width=\"1\"/>"),
        wrap("<rect width=\"1\" height=\"1\" fill=\"red\"/>"),             // named colours beyond the subset
        wrap("<rect width=\"1\" height=\"1\" fill=\"#12345\"/>"),
        wrap("<rect width=\"1\" height=\"1\" stroke-width=\"-2\"/>"),
        wrap("<rect width=\"1\" height=\"1\" opacity=\"2\"/>"),
        wrap("<rect width=\"1\" height=\"1\" stroke-linecap=\"fancy\"/>"),
        wrap("<rect width=1 height=\"1\"/>"),                              // unquoted
        wrap("<rect width=\"1\" width=\"2\" height=\"1\"/>"),              // repeated
        wrap("<rect width=\"1\" height=\"1\""),                            // unterminated
        wrap("<polygon points=\"1 2 3\"/>"),
        "<svg viewBox=\"0 0 24 24\"></svg><svg viewBox=\"0 0 24 24\"></svg>",  // two roots
        "<!DOCTYPE svg><svg viewBox=\"0 0 1 1\"></svg>",
        "<!-- unterminated <svg viewBox=\"0 0 1 1\"></svg>",
    };
    for (const auto& text : cases) {
        const auto r = parseSvgIcon(text);
        EXPECT_FALSE(r.document) << text;
        EXPECT_FALSE(r.error.empty()) << text;
    }
}

TEST(SvgIcon, LimitsStopHugeAndDeepDocuments) {
    std::string deep = "<svg viewBox=\"0 0 1 1\">";
    for (int i = 0; i < 40; ++i) deep += "<g>";
    for (int i = 0; i < 40; ++i) deep += "</g>";
    deep += "</svg>";
    EXPECT_FALSE(parseSvgIcon(deep).document);

    std::string many = "M0 0";
    for (size_t i = 0; i < tf::kSvgMaxSegments + 1; ++i) many += " L1 1";
    EXPECT_FALSE(parseSvgIcon(wrap("<path d=\"" + many + "\"/>")).document);

    EXPECT_FALSE(parseSvgIcon(std::string(tf::kSvgMaxDocumentBytes + 1, ' ')).document);
}

}  // namespace
