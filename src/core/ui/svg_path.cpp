#include "core/ui/svg_path.h"

#include <cmath>

namespace tf::svg {
namespace {

constexpr double kPi = 3.14159265358979323846;

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

}  // namespace

bool parsePathData(std::string_view d, std::vector<SvgFigure>& figures, size_t& budget, std::string& error) {
    NumberReader r(d);
    FigureBuilder b(figures, budget);
    char cmd = 0;
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
                break;
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
    }
    b.finish();
    return true;
}

}  // namespace tf::svg
