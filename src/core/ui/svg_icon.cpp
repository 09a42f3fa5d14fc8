#include "core/ui/svg_icon.h"

#include <charconv>
#include <cmath>
#include <map>

#include "core/ui/svg_path.h"

namespace tf {
namespace {

using svg::isSpace;
using svg::NumberReader;

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == ':' || c == '.';
}


// Cubic control distance for a quarter circle.
constexpr float kKappa = 0.5522847498f;

struct Style {
    SvgPaint fill{SvgPaint::Kind::Rgb, 0x000000};
    SvgPaint stroke;
    float strokeWidth = 1;
    float opacity = 1;
    SvgLineCap lineCap = SvgLineCap::Butt;
    SvgLineJoin lineJoin = SvgLineJoin::Miter;
    bool evenOdd = false;
};

bool parseColour(std::string_view v, SvgPaint& out) {
    while (!v.empty() && isSpace(v.front())) v.remove_prefix(1);
    while (!v.empty() && isSpace(v.back())) v.remove_suffix(1);
    if (v == "none") { out = {SvgPaint::Kind::None, 0}; return true; }
    if (v == "currentColor") { out = {SvgPaint::Kind::CurrentColor, 0}; return true; }
    if (v == "white") { out = {SvgPaint::Kind::Rgb, 0xFFFFFF}; return true; }
    if (v == "black") { out = {SvgPaint::Kind::Rgb, 0x000000}; return true; }
    if (v.size() != 4 && v.size() != 7) return false;
    if (v[0] != '#') return false;
    uint32_t value = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        const char c = v[i];
        uint32_t d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        value = value * 16 + d;
        if (v.size() == 4) value = value * 16 + d;
    }
    out = {SvgPaint::Kind::Rgb, value};
    return true;
}

bool parseLength(std::string_view v, float& out) {
    if (v.size() > 2 && v.substr(v.size() - 2) == "px") v.remove_suffix(2);
    NumberReader r(v);
    return r.number(out) && r.atEnd();
}

using Attributes = std::map<std::string, std::string, std::less<>>;

bool applyStyle(const Attributes& a, Style& s, std::string& error) {
    auto bad = [&](const char* what) {
        error = std::string("bad ") + what;
        return false;
    };
    if (auto it = a.find("fill"); it != a.end() && !parseColour(it->second, s.fill)) return bad("fill");
    if (auto it = a.find("stroke"); it != a.end() && !parseColour(it->second, s.stroke)) return bad("stroke");
    if (auto it = a.find("stroke-width"); it != a.end()) {
        if (!parseLength(it->second, s.strokeWidth) || s.strokeWidth < 0) return bad("stroke-width");
    }
    if (auto it = a.find("opacity"); it != a.end()) {
        if (!parseLength(it->second, s.opacity) || s.opacity < 0 || s.opacity > 1) return bad("opacity");
    }
    if (auto it = a.find("stroke-linecap"); it != a.end()) {
        if (it->second == "round") s.lineCap = SvgLineCap::Round;
        else if (it->second == "square") s.lineCap = SvgLineCap::Square;
        else if (it->second == "butt") s.lineCap = SvgLineCap::Butt;
        else return bad("stroke-linecap");
    }
    if (auto it = a.find("stroke-linejoin"); it != a.end()) {
        if (it->second == "round") s.lineJoin = SvgLineJoin::Round;
        else if (it->second == "bevel") s.lineJoin = SvgLineJoin::Bevel;
        else if (it->second == "miter") s.lineJoin = SvgLineJoin::Miter;
        else return bad("stroke-linejoin");
    }
    if (auto it = a.find("fill-rule"); it != a.end()) {
        if (it->second == "evenodd") s.evenOdd = true;
        else if (it->second == "nonzero") s.evenOdd = false;
        else return bad("fill-rule");
    }
    return true;
}

bool number(const Attributes& a, const char* name, float& out, bool required, float fallback = 0) {
    auto it = a.find(name);
    if (it == a.end()) {
        out = fallback;
        return !required;
    }
    return parseLength(it->second, out);
}

void circleFigure(std::vector<SvgFigure>& out, float cx, float cy, float r) {
    const float rx = r, ry = r;
    SvgFigure f;
    f.start = {cx + rx, cy};
    const float kx = rx * kKappa, ky = ry * kKappa;
    f.segments.push_back({true, {cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry}});
    f.segments.push_back({true, {cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy}});
    f.segments.push_back({true, {cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry}});
    f.segments.push_back({true, {cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy}});
    f.closed = true;
    out.push_back(std::move(f));
}

void rectFigure(std::vector<SvgFigure>& out, float x, float y, float w, float h, float rx, float ry) {
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    SvgFigure f;
    f.closed = true;
    if (rx <= 0 || ry <= 0) {
        f.start = {x, y};
        f.segments.push_back({false, {}, {}, {x + w, y}});
        f.segments.push_back({false, {}, {}, {x + w, y + h}});
        f.segments.push_back({false, {}, {}, {x, y + h}});
        out.push_back(std::move(f));
        return;
    }
    const float kx = rx * (1 - kKappa), ky = ry * (1 - kKappa);
    f.start = {x + rx, y};
    f.segments.push_back({false, {}, {}, {x + w - rx, y}});
    f.segments.push_back({true, {x + w - kx, y}, {x + w, y + ky}, {x + w, y + ry}});
    f.segments.push_back({false, {}, {}, {x + w, y + h - ry}});
    f.segments.push_back({true, {x + w, y + h - ky}, {x + w - kx, y + h}, {x + w - rx, y + h}});
    f.segments.push_back({false, {}, {}, {x + rx, y + h}});
    f.segments.push_back({true, {x + kx, y + h}, {x, y + h - ky}, {x, y + h - ry}});
    f.segments.push_back({false, {}, {}, {x, y + ry}});
    f.segments.push_back({true, {x, y + ky}, {x + kx, y}, {x + rx, y}});
    out.push_back(std::move(f));
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    SvgParseResult run() {
        SvgParseResult result;
        if (s_.size() > kSvgMaxDocumentBytes) return fail("document too large");
        if (!parseContent()) return fail(error_);
        if (!sawRoot_) return fail("no svg element");
        result.document = std::move(doc_);
        return result;
    }

private:
    SvgParseResult fail(std::string why) {
        SvgParseResult r;
        r.error = why.empty() ? "malformed document" : std::move(why);
        return r;
    }
    bool error(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    void skipSpace() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }
    bool startsWith(std::string_view p) const { return s_.substr(pos_, p.size()) == p; }
    bool skipPast(std::string_view end) {
        const size_t at = s_.find(end, pos_);
        if (at == std::string_view::npos) return false;
        pos_ = at + end.size();
        return true;
    }

    bool parseContent() {
        std::vector<std::string> open;
        std::vector<Style> styles{Style{}};
        while (true) {
            // Text between elements is ignored (our icons have none that draws).
            const size_t lt = s_.find('<', pos_);
            if (lt == std::string_view::npos) {
                pos_ = s_.size();
                break;
            }
            pos_ = lt;
            if (startsWith("<?")) {
                if (!skipPast("?>")) return error("unterminated declaration");
                continue;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->")) return error("unterminated comment");
                continue;
            }
            if (startsWith("<!")) return error("doctype or CDATA not supported");
            if (startsWith("</")) {
                pos_ += 2;
                const std::string name = readName();
                skipSpace();
                if (pos_ >= s_.size() || s_[pos_] != '>') return error("bad end tag");
                ++pos_;
                if (open.empty() || open.back() != name) return error("unbalanced end tag");
                open.pop_back();
                styles.pop_back();
                if (open.empty()) rootClosed_ = true;
                continue;
            }
            ++pos_;
            const std::string name = readName();
            if (name.empty()) return error("bad element name");
            Attributes attrs;
            bool selfClosing = false;
            if (!readAttributes(attrs, selfClosing)) return false;
            if (rootClosed_) return error("content after the root element");
            if (!element(name, attrs, styles.back(), open.empty())) return false;
            if (!selfClosing) {
                if (static_cast<int>(open.size()) >= kSvgMaxDepth) return error("nested too deeply");
                open.push_back(name);
                styles.push_back(current_);
            }
        }
        if (!open.empty()) return error("unclosed element");
        return true;
    }

    std::string readName() {
        const size_t start = pos_;
        while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
        return std::string(s_.substr(start, pos_ - start));
    }

    bool readAttributes(Attributes& attrs, bool& selfClosing) {
        while (true) {
            skipSpace();
            if (pos_ >= s_.size()) return error("unterminated element");
            if (s_[pos_] == '>') { ++pos_; return true; }
            if (startsWith("/>")) { pos_ += 2; selfClosing = true; return true; }
            const std::string name = readName();
            if (name.empty()) return error("bad attribute");
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '=') return error("attribute without value");
            ++pos_;
            skipSpace();
            if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) return error("unquoted attribute");
            const char quote = s_[pos_++];
            const size_t end = s_.find(quote, pos_);
            if (end == std::string_view::npos) return error("unterminated attribute");
            if (!attrs.emplace(name, std::string(s_.substr(pos_, end - pos_))).second) {
                return error("repeated attribute");
            }
            pos_ = end + 1;
        }
    }

    // Handles one start tag; leaves in current_ the style its children inherit.
    bool element(const std::string& name, const Attributes& a, const Style& inherited, bool isRoot) {
        current_ = inherited;
        if (isRoot != (name == "svg")) return error(isRoot ? "root is not svg" : "nested svg");
        if (!applyStyle(a, current_, error_)) return false;
        if (name == "svg") {
            sawRoot_ = true;
            auto vb = a.find("viewBox");
            if (vb == a.end()) return error("no viewBox");
            NumberReader r(vb->second);
            float v[4];
            for (float& x : v) {
                if (!r.number(x)) return error("bad viewBox");
            }
            if (!r.atEnd() || v[2] <= 0 || v[3] <= 0) return error("bad viewBox");
            doc_.viewX = v[0];
            doc_.viewY = v[1];
            doc_.viewWidth = v[2];
            doc_.viewHeight = v[3];
            return true;
        }
        if (name == "g") return true;
        SvgShape shape;
        if (name == "path") {
            auto d = a.find("d");
            if (d == a.end()) return error("path without d");
            if (!svg::parsePathData(d->second, shape.figures, budget_, error_)) return false;
        } else if (name == "circle") {
            float cx, cy, r;
            if (!number(a, "cx", cx, false) || !number(a, "cy", cy, false) || !number(a, "r", r, true) || r < 0) {
                return error("bad circle");
            }
            if (!spend(4)) return false;
            circleFigure(shape.figures, cx, cy, r);
        } else if (name == "rect") {
            float x, y, w, h, rx, ry;
            if (!number(a, "x", x, false) || !number(a, "y", y, false) || !number(a, "width", w, true) ||
                !number(a, "height", h, true) || w < 0 || h < 0) {
                return error("bad rect");
            }
            const bool hasRx = a.count("rx") != 0, hasRy = a.count("ry") != 0;
            if (!number(a, "rx", rx, false) || !number(a, "ry", ry, false) || rx < 0 || ry < 0) return error("bad rect");
            if (hasRx && !hasRy) ry = rx;
            if (hasRy && !hasRx) rx = ry;
            if (!spend(8)) return false;
            rectFigure(shape.figures, x, y, w, h, rx, ry);
        } else if (name == "line") {
            float x1, y1, x2, y2;
            if (!number(a, "x1", x1, false) || !number(a, "y1", y1, false) || !number(a, "x2", x2, false) ||
                !number(a, "y2", y2, false)) {
                return error("bad line");
            }
            if (!spend(1)) return false;
            SvgFigure f;
            f.start = {x1, y1};
            f.segments.push_back({false, {}, {}, {x2, y2}});
            shape.figures.push_back(std::move(f));
        } else {
            return error("element outside the icon subset");
        }
        shape.fill = current_.fill;
        shape.stroke = current_.stroke;
        shape.strokeWidth = current_.strokeWidth;
        shape.opacity = current_.opacity;
        shape.lineCap = current_.lineCap;
        shape.lineJoin = current_.lineJoin;
        shape.evenOdd = current_.evenOdd;
        doc_.shapes.push_back(std::move(shape));
        return true;
    }

    bool spend(size_t n) {
        if (budget_ < n) return error("too many segments");
        budget_ -= n;
        return true;
    }

    std::string_view s_;
    size_t pos_ = 0;
    size_t budget_ = kSvgMaxSegments;
    std::string error_;
    SvgDocument doc_;
    Style current_;
    bool sawRoot_ = false;
    bool rootClosed_ = false;
};

}  // namespace

SvgParseResult parseSvgIcon(std::string_view text) { return Parser(text).run(); }

}  // namespace tf
