// A drawing surface for the skin generator: a bitmap selected into a memory
// DC of our GDI, with what the skin needs on top of it: gradients drawn line
// by line, anti-aliased shapes and text in a chosen DejaVu face and size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/gdi/gdi.h"

namespace qm::panel::art {

using ui::COLORREF;
using ui::RECT;
using ui::RGB;

// A CreateFont request: cell height in pixels, weight, average character
// width (0 keeps the face's proportions) and a face name ("Sans", "Serif",
// "Mono" map onto the DejaVu faces).
struct FontStyle {
    int height = 12;
    int weight = ui::FW_NORMAL;
    int width = 0;
    const char* face = "Sans";
};

// Where a shape covers the plane, asked at sample points; pixel (x, y)
// covers [x, x + 1) x [y, y + 1).
using Shape = std::function<bool(double x, double y)>;
// The colour a shape is filled with at pixel (x, y).
using Shader = std::function<COLORREF(int x, int y)>;

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    ui::HDC dc() const { return dc_; }

    COLORREF pixel(int x, int y) const;  // black outside the canvas
    void setPixel(int x, int y, COLORREF colour);
    // Mixes `colour` over the pixel by `alpha` (0..1).
    void blend(int x, int y, COLORREF colour, double alpha);

    void fill(const RECT& r, COLORREF colour);
    void frame(const RECT& r, COLORREF colour);
    // From (x0, y0) up to, not including, (x1, y1).
    void line(int x0, int y0, int x1, int y1, COLORREF colour);
    void verticalGradient(const RECT& r, COLORREF top, COLORREF bottom);
    void horizontalGradient(const RECT& r, COLORREF left, COLORREF right);

    // Fills what the shape covers inside `bounds`, each pixel weighted by
    // the share of its 4 x 4 samples inside, times `opacity`.
    void paint(const RECT& bounds, const Shape& shape, const Shader& shader, double opacity = 1.0);
    void paint(const RECT& bounds, const Shape& shape, COLORREF colour, double opacity = 1.0);

    // Text through DrawText (transparent background); returns the height
    // DrawText reports.
    int text(const std::string& s, RECT r, const FontStyle& font, COLORREF colour,
             ui::UINT format = ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
    ui::SIZE measure(const std::string& s, const FontStyle& font) const;
    // The widest proportion (down to 60 %) of `font` at which `s` fits in
    // `maxWidth` pixels.
    FontStyle fit(const std::string& s, FontStyle font, int maxWidth) const;

    // Copies a rectangle of another canvas here (BitBlt, SRCCOPY).
    void copyFrom(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy);

    // Rows top first, RGB, for PNG sheets.
    std::vector<std::uint8_t> rgb() const;

private:
    int width_;
    int height_;
    ui::HDC dc_ = nullptr;
    ui::HBITMAP bitmap_ = nullptr;
    ui::HGDIOBJ previous_ = nullptr;
};

// Shapes, in pixel coordinates (see Shape).
Shape roundedRect(double left, double top, double right, double bottom, double radius);
Shape ellipse(double cx, double cy, double rx, double ry);
struct PointF {
    double x;
    double y;
};
Shape polygon(std::vector<PointF> points);  // even-odd rule
Shape ring(Shape outer, Shape inner);        // inside `outer`, outside `inner`
Shape unite(Shape a, Shape b);
// A line segment `width` pixels wide with round ends.
Shape stroke(PointF from, PointF to, double width);

// Colour arithmetic.
COLORREF mix(COLORREF a, COLORREF b, double t);  // t = 0 gives a, 1 gives b
COLORREF lighten(COLORREF c, double amount);     // towards white
COLORREF darken(COLORREF c, double amount);      // towards black
// A vertical gradient over the rows top..bottom (clamped outside).
Shader verticalShader(int top, int bottom, COLORREF from, COLORREF to);

}  // namespace qm::panel::art
