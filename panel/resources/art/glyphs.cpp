#include "panel/resources/art/glyphs.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace qm::panel::art {
namespace {

// Draws in a 12 x 12 design grid mapped onto the glyph's box.
class Pen {
public:
    Pen(Canvas& canvas, double x, double y, double size) : c_(canvas), x_(x), y_(y), s_(size / 12.0) {}

    void line(double x0, double y0, double x1, double y1, double width, COLORREF colour)
    {
        fill(stroke(at(x0, y0), at(x1, y1), width * s_), colour);
    }
    void box(double l, double t, double r, double b, double radius, COLORREF colour)
    {
        const PointF a = at(l, t), z = at(r, b);
        fill(roundedRect(a.x, a.y, z.x, z.y, radius * s_), colour);
    }
    void frame(double l, double t, double r, double b, double radius, double width, COLORREF colour)
    {
        const PointF a = at(l, t), z = at(r, b);
        const double w = width * s_;
        fill(ring(roundedRect(a.x, a.y, z.x, z.y, radius * s_),
                  roundedRect(a.x + w, a.y + w, z.x - w, z.y - w, std::max(0.0, radius * s_ - w))),
             colour);
    }
    void disc(double cx, double cy, double r, COLORREF colour)
    {
        const PointF p = at(cx, cy);
        fill(ellipse(p.x, p.y, r * s_, r * s_), colour);
    }
    void circle(double cx, double cy, double r, double width, COLORREF colour)
    {
        const PointF p = at(cx, cy);
        fill(ring(ellipse(p.x, p.y, r * s_, r * s_), ellipse(p.x, p.y, (r - width) * s_, (r - width) * s_)), colour);
    }
    // An arc of a ring from angle `from` to `to` (degrees, clockwise from
    // twelve o'clock).
    void arc(double cx, double cy, double r, double width, double from, double to, COLORREF colour)
    {
        const PointF p = at(cx, cy);
        const double outer = r * s_, inner = (r - width) * s_;
        auto inArc = [=](double x, double y) {
            const double dx = x - p.x, dy = y - p.y;
            const double d2 = dx * dx + dy * dy;
            if (d2 > outer * outer || d2 < inner * inner)
                return false;
            double angle = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
            if (angle < 0)
                angle += 360;
            return from <= to ? angle >= from && angle <= to : angle >= from || angle <= to;
        };
        fill(inArc, colour);
    }
    void poly(std::vector<PointF> points, COLORREF colour)
    {
        for (PointF& q : points)
            q = at(q.x, q.y);
        fill(polygon(std::move(points)), colour);
    }

private:
    PointF at(double x, double y) const { return {x_ + x * s_, y_ + y * s_}; }
    void fill(const Shape& shape, COLORREF colour)
    {
        const RECT bounds{int(std::floor(x_)) - 1, int(std::floor(y_)) - 1, int(std::ceil(x_ + 12 * s_)) + 1,
                          int(std::ceil(y_ + 12 * s_)) + 1};
        c_.paint(bounds, shape, colour);
    }

    Canvas& c_;
    double x_, y_, s_;
};

// A chevron pointing up (or down) with its tip at (6, tip).
void chevron(Pen& p, double tip, bool up, COLORREF colour)
{
    const double d = up ? 4.0 : -4.0;
    p.line(1.8, tip + d, 6, tip, 2.2, colour);
    p.line(6, tip, 10.2, tip + d, 2.2, colour);
}

}  // namespace

void drawGlyph(Canvas& canvas, Command command, double x, double y, double size, COLORREF ink, COLORREF accent)
{
    Pen p(canvas, x, y, size);
    switch (command) {
    case Command::Save:  // a disk with its shutter and label
        p.box(1, 1, 11, 11, 1.2, ink);
        p.box(3.2, 1, 8.8, 4.4, 0.3, accent);
        p.box(2.6, 6.4, 9.4, 11, 0.6, accent);
        p.box(3.6, 7.4, 8.4, 11, 0.3, ink);
        break;
    case Command::Transfer:  // an arrow into the application's window
        p.frame(5, 1.5, 11.5, 10.5, 1, 1.3, ink);
        p.box(5, 1.5, 11.5, 3.6, 0.8, ink);
        p.line(0.6, 6.6, 6.6, 6.6, 2.2, accent);
        p.poly({{5.4, 3.2}, {9.4, 6.6}, {5.4, 10}}, accent);
        break;
    case Command::SelectAll:  // every picture ticked
        for (double gx : {1.0, 6.6})
            for (double gy : {1.0, 6.6})
                p.box(gx, gy, gx + 4.4, gy + 4.4, 0.8, accent);
        break;
    case Command::SelectNone:  // every picture empty
        for (double gx : {1.0, 6.6})
            for (double gy : {1.0, 6.6})
                p.frame(gx, gy, gx + 4.4, gy + 4.4, 0.8, 1.1, ink);
        break;
    case Command::Rotate:  // a turn to the right, the arrow head at three o'clock
        p.arc(6, 6.4, 4.6, 1.8, 215, 75, accent);
        p.poly({{8.1, 5.0}, {12.3, 5.0}, {10.2, 8.8}}, accent);
        break;
    case Command::Erase:  // a waste bin
        p.box(1.2, 2.2, 10.8, 3.6, 0.5, ink);
        p.box(4.4, 0.6, 7.6, 2.4, 0.5, ink);
        p.poly({{2.2, 4.4}, {9.8, 4.4}, {9.0, 11.6}, {3.0, 11.6}}, accent);
        for (double gx : {4.6, 7.4})
            p.line(gx, 5.8, gx, 10.0, 0.9, ink);
        break;
    case Command::Settings: {  // a cog
        for (int tooth = 0; tooth < 8; ++tooth) {
            const double a = tooth * std::numbers::pi / 4;
            p.line(6 + std::sin(a) * 3.2, 6 - std::cos(a) * 3.2, 6 + std::sin(a) * 5.2, 6 - std::cos(a) * 5.2, 2.2,
                   accent);
        }
        p.circle(6, 6, 4.4, 2.4, accent);
        break;
    }
    case Command::Status:  // a meter's bars
        p.box(1, 7.5, 3.6, 11, 0.5, ink);
        p.box(4.7, 4.8, 7.3, 11, 0.5, accent);
        p.box(8.4, 1.2, 11, 11, 0.5, accent);
        break;
    case Command::Upload:  // an arrow up out of the tray
        p.line(1.4, 8, 1.4, 11, 1.3, ink);
        p.line(1.4, 11, 10.6, 11, 1.3, ink);
        p.line(10.6, 8, 10.6, 11, 1.3, ink);
        p.line(6, 9.2, 6, 4.2, 2.2, accent);
        p.poly({{2.4, 5.0}, {6, 0.8}, {9.6, 5.0}}, accent);
        break;
    case Command::Shoot:  // a camera
        p.box(0.6, 3, 11.4, 11, 1.4, ink);
        p.box(3.6, 1.2, 8.4, 3.4, 0.6, ink);
        p.disc(6, 7, 2.9, accent);
        p.disc(6, 7, 1.4, ink);
        break;
    case Command::Connect:  // a plug on its cable
        p.box(2.6, 3.0, 8.2, 9.0, 1.2, accent);
        p.line(8.2, 4.4, 11.4, 4.4, 1.2, ink);
        p.line(8.2, 7.6, 11.4, 7.6, 1.2, ink);
        p.line(2.8, 6, 0.4, 6, 1.6, ink);
        break;
    case Command::Help:  // a question in a ring
        p.circle(6, 6, 5.6, 1.3, ink);
        p.arc(6, 4.6, 2.4, 1.4, 280, 160, accent);
        p.line(6.6, 6.8, 6, 7.6, 1.4, accent);
        p.disc(6, 9.4, 0.9, accent);
        break;
    case Command::Exit:  // the power sign
        p.arc(6, 6.6, 5, 1.6, 35, 325, accent);
        p.line(6, 0.8, 6, 6, 1.7, ink);
        break;
    case Command::PageUp:
        chevron(p, 1.6, true, accent);
        chevron(p, 6.0, true, accent);
        break;
    case Command::RowUp:
        chevron(p, 3.8, true, accent);
        break;
    case Command::RowDown:
        chevron(p, 8.2, false, accent);
        break;
    case Command::PageDown:
        chevron(p, 6.0, false, accent);
        chevron(p, 10.4, false, accent);
        break;
    }
}

}  // namespace qm::panel::art
