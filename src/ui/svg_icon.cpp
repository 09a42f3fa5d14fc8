#include "ui/svg_icon.h"

#include <charconv>
#include <cmath>
#include <map>

namespace tf {
namespace {

constexpr double kPi = 3.14159265358979323846;
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

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == ':' || c == '.';
}

// Reads one number at `pos` in `s` (skipping blanks and one comma before it).
class NumberReader {
public:
    explicit NumberReader(std::string_view s) : s_(s) {}

    void skipSeparators() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == ',') ++pos_;
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= s_.size();
    }
    bool startsNumber() {
        skipSeparators();
        if (pos_ >= s_.size()) return false;
        const char c = s_[pos_];
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    }
    bool number(float& out) {
        skipSeparators();
        size_t p = pos_;
        if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
        const size_t digitsStart = p;
        bool any = false;
        while (p < s_.size() && s_[p] >= '0' && s_[p] <= '9') { ++p; any = true; }
        if (p < s_.size() && s_[p] == '.') {
            ++p;
            while (p < s_.size() && s_[p] >= '0' && s_[p] <= '9') { ++p; any = true; }
        }
        if (!any) return false;
        if (p < s_.size() && (s_[p] == 'e' || s_[p] == 'E')) {
            size_t q = p + 1;
            if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) ++q;
            const size_t expDigits = q;
            while (q < s_.size() && s_[q] >= '0' && s_[q] <= '9') ++q;
            if (q > expDigits) p = q;
        }
        const bool negative = s_[pos_] == '-';
        double value = 0;
        const auto r = std::from_chars(s_.data() + digitsStart, s_.data() + p, value, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr != s_.data() + p || !std::isfinite(value) || std::fabs(value) > 1e7) {
            return false;
        }
        out = static_cast<float>(negative ? -value : value);
        pos_ = p;
        return true;
    }
    // Arc flags may be written without separators ("a1 1 0 01 4 4").
    bool flag(bool& out) {
        skipSeparators();
        if (pos_ < s_.size() && (s_[pos_] == '0' || s_[pos_] == '1')) {
            out = s_[pos_] == '1';
            ++pos_;
            return true;
        }
        return false;
    }
    bool command(char& out) {
        skipBlanks();
        if (pos_ < s_.size() && std::string_view("MmLlHhVvCcSsQqTtAaZz").find(s_[pos_]) != std::string_view::npos) {
            out = s_[pos_++];
            return true;
        }
        return false;
    }

private:
    void skipBlanks() {
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
    }
    std::string_view s_;
    size_t pos_ = 0;
};

class FigureBuilder {
public:
    explicit FigureBuilder(std::vector<SvgFigure>& out, size_t& segmentBudget) : out_(out), budget_(segmentBudget) {}

    bool moveTo(SvgPoint p) {
        finish();
        current_ = SvgFigure{};
        current_.start = p;
        open_ = true;
        pen_ = p;
        return true;
    }
    bool lineTo(SvgPoint p) {
        if (!ensureOpen()) return false;
        if (!spend()) return false;
        current_.segments.push_back({false, {}, {}, p});
        pen_ = p;
        return true;
    }
    bool cubicTo(SvgPoint c1, SvgPoint c2, SvgPoint p) {
        if (!ensureOpen()) return false;
        if (!spend()) return false;
        current_.segments.push_back({true, c1, c2, p});
        pen_ = p;
        return true;
    }
    bool quadTo(SvgPoint q, SvgPoint p) {
        const SvgPoint c1{pen_.x + 2.0f / 3.0f * (q.x - pen_.x), pen_.y + 2.0f / 3.0f * (q.y - pen_.y)};
        const SvgPoint c2{p.x + 2.0f / 3.0f * (q.x - p.x), p.y + 2.0f / 3.0f * (q.y - p.y)};
        return cubicTo(c1, c2, p);
    }
    bool arcTo(float rx, float ry, float rotationDeg, bool large, bool sweep, SvgPoint p);
    void close() {
        if (!open_) return;
        current_.closed = true;
        const SvgPoint start = current_.start;
        finish();
        // A command after Z starts from the figure's first point.
        pen_ = start;
        pendingStart_ = true;
    }
    void finish() {
        if (open_) out_.push_back(std::move(current_));
        current_ = SvgFigure{};
        open_ = false;
    }
    SvgPoint pen() const { return pen_; }

private:
    bool ensureOpen() {
        if (open_) return true;
        if (!pendingStart_) return false;  // drawing before any moveto
        return moveTo(pen_);
    }
    bool spend() {
        if (budget_ == 0) return false;
        --budget_;
        return true;
    }
    std::vector<SvgFigure>& out_;
    size_t& budget_;
    SvgFigure current_;
    SvgPoint pen_;
    bool open_ = false;
    bool pendingStart_ = false;
};

// Endpoint arc to cubic curves, per the usual centre parameterisation.
bool FigureBuilder::arcTo(float rxIn, float ryIn, float rotationDeg, bool large, bool sweep, SvgPoint p) {
    const SvgPoint p0 = pen_;
    double rx = std::fabs(rxIn), ry = std::fabs(ryIn);
    if ((p0.x == p.x && p0.y == p.y)) return true;
    if (rx == 0 || ry == 0) return lineTo(p);
    const double phi = rotationDeg * kPi / 180.0;
    const double cphi = std::cos(phi), sphi = std::sin(phi);
    const double dx = (p0.x - p.x) / 2.0, dy = (p0.y - p.y) / 2.0;
    const double x1 = cphi * dx + sphi * dy, y1 = -sphi * dx + cphi * dy;
    const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double coef = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep) coef = -coef;
    const double cx1 = coef * rx * y1 / ry, cy1 = -coef * ry * x1 / rx;
    const double cx = cphi * cx1 - sphi * cy1 + (p0.x + p.x) / 2.0;
    const double cy = sphi * cx1 + cphi * cy1 + (p0.y + p.y) / 2.0;
    auto angle = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double theta1 = angle(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
    double delta = angle((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
    if (!sweep && delta > 0) delta -= 2 * kPi;
    if (sweep && delta < 0) delta += 2 * kPi;
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / (kPi / 2) - 1e-9)));
    const double step = delta / pieces;
    const double t = 4.0 / 3.0 * std::tan(step / 4);
    double a = theta1;
    auto pointAt = [&](double ang, double ex, double ey) {
        // (ex, ey) offsets the point along the tangent to give a control point.
        const double px = rx * std::cos(ang) + ex, py = ry * std::sin(ang) + ey;
        return SvgPoint{static_cast<float>(cphi * px - sphi * py + cx), static_cast<float>(sphi * px + cphi * py + cy)};
    };
    for (int i = 0; i < pieces; ++i) {
        const double b = a + step;
        const SvgPoint c1 = pointAt(a, -t * rx * std::sin(a), t * ry * std::cos(a));
        const SvgPoint c2 = pointAt(b, t * rx * std::sin(b), -t * ry * std::cos(b));
        const SvgPoint end = (i == pieces - 1) ? p : pointAt(b, 0, 0);
        if (!cubicTo(c1, c2, end)) return false;
        a = b;
    }
    return true;
}

bool parsePathData(std::string_view d, std::vector<SvgFigure>& figures, size_t& budget, std::string& error) {
    NumberReader r(d);
    FigureBuilder b(figures, budget);
    char cmd = 0;
    SvgPoint lastControl;
    char lastCmd = 0;
    bool first = true;
    while (!r.atEnd()) {
        char next;
        if (r.command(next)) {
            cmd = next;
        } else if (cmd == 0 || cmd == 'Z' || cmd == 'z' || !r.startsNumber()) {
            error = "bad path data";
            return false;
        }
        // After a moveto, further coordinate pairs are implicit linetos.
        if (first && cmd != 'M' && cmd != 'm') {
            error = "path must start with a moveto";
            return false;
        }
        first = false;
        const bool rel = cmd >= 'a' && cmd <= 'z';
        const SvgPoint pen = b.pen();
        const float ox = rel ? pen.x : 0, oy = rel ? pen.y : 0;
        float v[7];
        auto read = [&](int n) {
            for (int i = 0; i < n; ++i) {
                if (!r.number(v[i])) return false;
            }
            return true;
        };
        bool ok = true;
        const char up = static_cast<char>(cmd & ~0x20);
        switch (up) {
            case 'M':
                ok = read(2) && b.moveTo({ox + v[0], oy + v[1]});
                cmd = rel ? 'l' : 'L';
                break;
            case 'L': ok = read(2) && b.lineTo({ox + v[0], oy + v[1]}); break;
            case 'H': ok = read(1) && b.lineTo({ox + v[0], pen.y}); break;
            case 'V': ok = read(1) && b.lineTo({pen.x, oy + v[0]}); break;
            case 'C':
                ok = read(6) && b.cubicTo({ox + v[0], oy + v[1]}, {ox + v[2], oy + v[3]}, {ox + v[4], oy + v[5]});
                if (ok) lastControl = {ox + v[2], oy + v[3]};
                break;
            case 'S': {
                ok = read(4);
                if (!ok) break;
                const char lu = static_cast<char>(lastCmd & ~0x20);
                const SvgPoint c1 = (lu == 'C' || lu == 'S') ? SvgPoint{2 * pen.x - lastControl.x, 2 * pen.y - lastControl.y}
                                                             : pen;
                ok = b.cubicTo(c1, {ox + v[0], oy + v[1]}, {ox + v[2], oy + v[3]});
                lastControl = {ox + v[0], oy + v[1]};
                break;
            }
            case 'Q':
                ok = read(4) && b.quadTo({ox + v[0], oy + v[1]}, {ox + v[2], oy + v[3]});
                if (ok) lastControl = {ox + v[0], oy + v[1]};
                break;
            case 'T': {
                ok = read(2);
                if (!ok) break;
                const char lu = static_cast<char>(lastCmd & ~0x20);
                const SvgPoint q = (lu == 'Q' || lu == 'T') ? SvgPoint{2 * pen.x - lastControl.x, 2 * pen.y - lastControl.y}
                                                            : pen;
                ok = b.quadTo(q, {ox + v[0], oy + v[1]});
                lastControl = q;
                break;
            }
            case 'A': {
                bool large = false, sweep = false;
                ok = r.number(v[0]) && r.number(v[1]) && r.number(v[2]) && r.flag(large) && r.flag(sweep) &&
                     r.number(v[3]) && r.number(v[4]);
                if (ok) ok = b.arcTo(v[0], v[1], v[2], large, sweep, {ox + v[3], oy + v[4]});
                break;
            }
            case 'Z': b.close(); break;
            default: ok = false;
        }
        if (!ok) {
            error = budget == 0 ? "too many segments" : "bad path data";
            return false;
        }
        lastCmd = cmd;
    }
    b.finish();
    return true;
}

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

void ellipseFigure(std::vector<SvgFigure>& out, float cx, float cy, float rx, float ry) {
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
        if (name == "g" || name == "title" || name == "desc") return true;
        SvgShape shape;
        if (name == "path") {
            auto d = a.find("d");
            if (d == a.end()) return error("path without d");
            if (!parsePathData(d->second, shape.figures, budget_, error_)) return false;
        } else if (name == "circle") {
            float cx, cy, r;
            if (!number(a, "cx", cx, false) || !number(a, "cy", cy, false) || !number(a, "r", r, true) || r < 0) {
                return error("bad circle");
            }
            if (!spend(4)) return false;
            ellipseFigure(shape.figures, cx, cy, r, r);
        } else if (name == "ellipse") {
            float cx, cy, rx, ry;
            if (!number(a, "cx", cx, false) || !number(a, "cy", cy, false) || !number(a, "rx", rx, true) ||
                !number(a, "ry", ry, true) || rx < 0 || ry < 0) {
                return error("bad ellipse");
            }
            if (!spend(4)) return false;
            ellipseFigure(shape.figures, cx, cy, rx, ry);
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
        } else if (name == "polyline" || name == "polygon") {
            auto pts = a.find("points");
            if (pts == a.end()) return error("no points");
            NumberReader r(pts->second);
            SvgFigure f;
            float x, y;
            if (!r.number(x) || !r.number(y)) return error("bad points");
            f.start = {x, y};
            while (!r.atEnd()) {
                if (!r.number(x) || !r.number(y)) return error("bad points");
                if (!spend(1)) return false;
                f.segments.push_back({false, {}, {}, {x, y}});
            }
            f.closed = name == "polygon";
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
