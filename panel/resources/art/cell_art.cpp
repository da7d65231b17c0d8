#include "panel/resources/art/cell_art.h"

#include "panel/resources/art/palette.h"

namespace qm::panel::art {
namespace {

using namespace palette;

// Where the picture shows: the box (10, 10)-(86, 86) holds an 80 x 60
// thumbnail 8 pixels down with its left 76 columns, an upright 60 x 80 one
// 8 pixels right with its bottom 76 rows.
constexpr RECT kLandscapeWindow{10, 18, 86, 78};
constexpr RECT kPortraitWindow{18, 10, 78, 86};
// The band under the picture with the information icon at (14, 88) and the
// white number at (60, 89).
constexpr double kBandTop = 86, kBandBottom = 106;

struct CellScheme {
    COLORREF rim;
    COLORREF cardTop;
    COLORREF cardBottom;
    COLORREF bandTop;
    COLORREF bandBottom;
};

CellScheme schemeFor(bool selected)
{
    if (selected)
        return {kAccent, RGB(255, 241, 226), RGB(250, 212, 178), RGB(178, 82, 28), RGB(132, 56, 16)};
    return {RGB(96, 103, 114), RGB(234, 236, 240), RGB(203, 207, 214), RGB(52, 58, 68), RGB(36, 40, 48)};
}

// An empty slot: a dark window with the outline of a landscape.
void window(Canvas& c, const RECT& w, COLORREF mount)
{
    const double l = w.left, t = w.top, r = w.right, b = w.bottom;
    // A bevel: shadow above and left, light below and right.
    c.fill({w.left - 1, w.top - 1, w.right + 1, w.bottom + 1}, lighten(mount, 0.6));
    c.fill({w.left - 1, w.top - 1, w.right, w.bottom}, darken(mount, 0.35));
    c.verticalGradient(w, RGB(38, 42, 50), RGB(24, 27, 32));
    const COLORREF ghost = RGB(58, 64, 75);
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const RECT all{w.left, w.top, w.right, w.bottom};
    c.paint(all, polygon({{cx - 16, cy + 9}, {cx - 5, cy - 4}, {cx + 2, cy + 4}, {cx + 7, cy - 1}, {cx + 16, cy + 9}}),
            ghost);
    c.paint(all, ellipse(cx + 9, cy - 8, 3.2, 3.2), ghost);
}

}  // namespace

void paintCellFrame(Canvas& c, bool portrait, bool selected)
{
    const CellScheme s = schemeFor(selected);
    const RECT all{0, 0, kCellWidth, kCellHeight};
    const double w = kCellWidth, h = kCellHeight;
    c.fill(all, kWell);
    if (selected) {
        // A bright ring around the whole mount.
        c.paint(all, roundedRect(0, 0, w, h, 6), s.rim);
        c.paint(all, roundedRect(2.5, 2.5, w - 2.5, h - 2.5, 3.5), verticalShader(3, kCellHeight - 3, s.cardTop, s.cardBottom));
    } else {
        c.paint(all, roundedRect(0.5, 0.5, w - 0.5, h - 0.5, 5), s.rim);
        c.paint(all, roundedRect(1.5, 1.5, w - 1.5, h - 1.5, 4), verticalShader(2, kCellHeight - 2, s.cardTop, s.cardBottom));
        c.line(5, 2, kCellWidth - 5, 2, RGB(255, 255, 255));
    }
    window(c, portrait ? kPortraitWindow : kLandscapeWindow, s.cardTop);
    c.paint(all, roundedRect(4, kBandTop + 1, w - 4, kBandBottom + 1, 3.5), lighten(s.cardBottom, 0.5));
    c.paint(all, roundedRect(4, kBandTop, w - 4, kBandBottom, 3.5),
            verticalShader(int(kBandTop), int(kBandBottom), s.bandTop, s.bandBottom));
}

void paintInfoIcon(Canvas& c, bool open, bool selected)
{
    // The band of the frame the icon sits on.
    Canvas frame(kCellWidth, kCellHeight, 0);
    paintCellFrame(frame, false, selected);
    c.copyFrom(frame, 14, 88, kInfoIconSize, kInfoIconSize, 0, 0);

    COLORREF disc = RGB(70, 130, 214), letter = RGB(255, 255, 255), rim = RGB(22, 40, 76);
    if (selected && open) {
        disc = RGB(255, 214, 90), letter = RGB(96, 40, 8), rim = RGB(255, 246, 210);
    } else if (open) {
        disc = kAccentLight, letter = RGB(255, 255, 255), rim = kAccentPale;
    } else if (selected) {
        disc = RGB(255, 255, 255), letter = kAccent, rim = RGB(96, 40, 8);
    }
    const RECT all{0, 0, kInfoIconSize, kInfoIconSize};
    const double m = kInfoIconSize / 2.0;
    c.paint(all, ellipse(m, m, 7.6, 7.6), rim);
    c.paint(all, ellipse(m, m, 6.4, 6.4), disc);
    c.paint(all, ellipse(m, 5.1, 1.35, 1.35), letter);
    c.paint(all, roundedRect(m - 1.15, 7.2, m + 1.15, 12.9, 0.6), letter);
}

}  // namespace qm::panel::art
