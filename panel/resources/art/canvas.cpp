#include "panel/resources/art/canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qm::panel::art {
namespace {

constexpr int kSamples = 4;  // per axis, for anti-aliased shapes

int channel(double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); }

// A font selected into a DC for one scope.
class SelectedFont {
public:
    SelectedFont(ui::HDC dc, const FontStyle& font)
        : dc_(dc),
          font_(ui::CreateFont(font.height, font.width, 0, 0, font.weight, 0, 0, 0, ui::ANSI_CHARSET, 0, 0, 0,
                               ui::FF_SWISS, font.face))
    {
        previous_ = ui::SelectObject(dc_, font_);
    }
    ~SelectedFont()
    {
        ui::SelectObject(dc_, previous_);
        ui::DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    ui::HDC dc_;
    ui::HFONT font_;
    ui::HGDIOBJ previous_ = nullptr;
};

}  // namespace

Canvas::Canvas(int width, int height, COLORREF fill) : width_(std::max(1, width)), height_(std::max(1, height))
{
    dc_ = ui::CreateCompatibleDC(nullptr);
    bitmap_ = ui::CreateCompatibleBitmap(dc_, width_, height_);
    previous_ = ui::SelectObject(dc_, bitmap_);
    this->fill({0, 0, width_, height_}, fill);
}

Canvas::~Canvas()
{
    ui::SelectObject(dc_, previous_);
    ui::DeleteObject(bitmap_);
    ui::DeleteDC(dc_);
}

COLORREF Canvas::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return ui::GetPixel(dc_, x, y);
}

void Canvas::setPixel(int x, int y, COLORREF colour)
{
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
        ui::SetPixel(dc_, x, y, colour);
}

void Canvas::blend(int x, int y, COLORREF colour, double alpha)
{
    if (alpha <= 0 || x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    setPixel(x, y, alpha >= 1 ? colour : mix(pixel(x, y), colour, alpha));
}

void Canvas::fill(const RECT& r, COLORREF colour)
{
    ui::HBRUSH brush = ui::CreateSolidBrush(colour);
    ui::FillRect(dc_, &r, brush);
    ui::DeleteObject(brush);
}

void Canvas::frame(const RECT& r, COLORREF colour)
{
    ui::HBRUSH brush = ui::CreateSolidBrush(colour);
    ui::FrameRect(dc_, &r, brush);
    ui::DeleteObject(brush);
}

void Canvas::line(int x0, int y0, int x1, int y1, COLORREF colour)
{
    ui::HPEN pen = ui::CreatePen(ui::PS_SOLID, 1, colour);
    ui::HGDIOBJ old = ui::SelectObject(dc_, pen);
    ui::MoveToEx(dc_, x0, y0, nullptr);
    ui::LineTo(dc_, x1, y1);
    ui::SelectObject(dc_, old);
    ui::DeleteObject(pen);
}

void Canvas::verticalGradient(const RECT& r, COLORREF top, COLORREF bottom)
{
    const int rows = r.bottom - r.top;
    for (int i = 0; i < rows; ++i) {
        const double t = rows > 1 ? double(i) / (rows - 1) : 0.0;
        line(r.left, r.top + i, r.right, r.top + i, mix(top, bottom, t));
    }
}

void Canvas::horizontalGradient(const RECT& r, COLORREF left, COLORREF right)
{
    const int columns = r.right - r.left;
    for (int i = 0; i < columns; ++i) {
        const double t = columns > 1 ? double(i) / (columns - 1) : 0.0;
        line(r.left + i, r.top, r.left + i, r.bottom, mix(left, right, t));
    }
}

void Canvas::paint(const RECT& bounds, const Shape& shape, const Shader& shader, double opacity)
{
    const int left = std::max<int>(0, bounds.left), right = std::min<int>(width_, bounds.right);
    const int top = std::max<int>(0, bounds.top), bottom = std::min<int>(height_, bounds.bottom);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    inside += shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
            if (inside)
                blend(x, y, shader(x, y), opacity * inside / (kSamples * kSamples));
        }
}

void Canvas::paint(const RECT& bounds, const Shape& shape, COLORREF colour, double opacity)
{
    paint(bounds, shape, [colour](int, int) { return colour; }, opacity);
}

int Canvas::text(const std::string& s, RECT r, const FontStyle& font, COLORREF colour, ui::UINT format)
{
    SelectedFont selected(dc_, font);
    ui::SetBkMode(dc_, ui::TRANSPARENT);
    ui::SetTextColor(dc_, colour);
    return ui::DrawText(dc_, s.c_str(), int(s.size()), &r, format);
}

ui::SIZE Canvas::measure(const std::string& s, const FontStyle& font) const
{
    SelectedFont selected(dc_, font);
    ui::SIZE size;
    ui::GetTextExtentPoint32(dc_, s.c_str(), int(s.size()), &size);
    return size;
}

FontStyle Canvas::fit(const std::string& s, FontStyle font, int maxWidth) const
{
    if (measure(s, font).cx <= maxWidth)
        return font;
    // The face's natural average width at this height, then narrower steps.
    ui::TEXTMETRIC tm;
    {
        SelectedFont selected(dc_, font);
        ui::GetTextMetrics(dc_, &tm);
    }
    const int natural = std::max<int>(1, tm.tmAveCharWidth);
    for (int width = natural; width * 10 >= natural * 6; --width) {
        font.width = width;
        if (measure(s, font).cx <= maxWidth)
            return font;
    }
    return font;
}

void Canvas::copyFrom(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy)
{
    ui::BitBlt(dc_, dx, dy, w, h, source.dc_, sx, sy, ui::SRCCOPY);
}

std::vector<std::uint8_t> Canvas::rgb() const
{
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(width_) * height_ * 3);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = pixel(x, y);
            out.push_back(ui::GetRValue(c));
            out.push_back(ui::GetGValue(c));
            out.push_back(ui::GetBValue(c));
        }
    return out;
}

Shape roundedRect(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        if (x < left || x >= right || y < top || y >= bottom)
            return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        const double dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= radius * radius;
    };
}

Shape ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) {
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    };
}

Shape polygon(std::vector<PointF> points)
{
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const PointF& a = points[i];
            const PointF& b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    };
}

Shape ring(Shape outer, Shape inner)
{
    return [outer = std::move(outer), inner = std::move(inner)](double x, double y) {
        return outer(x, y) && !inner(x, y);
    };
}

Shape unite(Shape a, Shape b)
{
    return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) || b(x, y); };
}

Shape stroke(PointF from, PointF to, double width)
{
    return [=](double x, double y) {
        const double vx = to.x - from.x, vy = to.y - from.y;
        const double length2 = vx * vx + vy * vy;
        double t = length2 > 0 ? ((x - from.x) * vx + (y - from.y) * vy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double dx = x - (from.x + t * vx), dy = y - (from.y + t * vy);
        return dx * dx + dy * dy <= width * width / 4;
    };
}

COLORREF mix(COLORREF a, COLORREF b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](int p, int q) { return channel(p + (q - p) * t); };
    return RGB(m(ui::GetRValue(a), ui::GetRValue(b)), m(ui::GetGValue(a), ui::GetGValue(b)),
               m(ui::GetBValue(a), ui::GetBValue(b)));
}

COLORREF lighten(COLORREF c, double amount) { return mix(c, RGB(255, 255, 255), amount); }

COLORREF darken(COLORREF c, double amount) { return mix(c, RGB(0, 0, 0), amount); }

Shader verticalShader(int top, int bottom, COLORREF from, COLORREF to)
{
    return [=](int, int y) {
        const double span = std::max(1, bottom - top);
        return mix(from, to, (y - top) / span);
    };
}

}  // namespace qm::panel::art
