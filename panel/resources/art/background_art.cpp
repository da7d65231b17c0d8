#include "panel/resources/art/background_art.h"

#include "panel/resources/art/glyphs.h"
#include "panel/resources/art/layout.h"
#include "panel/resources/art/palette.h"

namespace qm::panel::art {
namespace {

using namespace palette;

// The well around the grid and the scroll rail.
constexpr RECT kWellRect{31, 22, 481, 373};
// The scroll buttons' groove inside the well.
constexpr RECT kRail{444, 32, 477, 192};
// The toolbar panel, around the buttons and the progress area.
constexpr RECT kToolbarPanel{482, 9, 595, 293};
// The plate of Help and Exit.
constexpr RECT kExitPlate{482, 392, 595, 438};

// A raised plate: outline, a gradient face and a light top edge.
void plate(Canvas& c, const RECT& r, double radius)
{
    const double l = r.left, t = r.top, rr = r.right, b = r.bottom;
    c.paint(r, roundedRect(l, t, rr, b, radius), kOutline);
    c.paint(r, roundedRect(l + 1, t + 1, rr - 1, b - 1, radius - 1),
            verticalShader(r.top, r.bottom, kPanelTop, kPanelBottom));
    c.paint({r.left + 2, r.top + 1, r.right - 2, r.top + 2}, roundedRect(l + 1, t + 1, rr - 1, b - 1, radius - 1),
            kHighlight, 0.7);
}

// A sunken well: a dark face with a shadowed top edge and a lit bottom one.
void well(Canvas& c, const RECT& r, double radius, COLORREF face)
{
    const double l = r.left, t = r.top, rr = r.right, b = r.bottom;
    c.paint({r.left, r.top, r.right, r.bottom + 1}, roundedRect(l, t + 1, rr, b + 1, radius), kHighlight, 0.35);
    c.paint(r, roundedRect(l, t, rr, b, radius), kWellEdge);
    c.paint(r, roundedRect(l + 1, t + 1, rr - 1, b - 1, radius - 1), face);
    c.paint({r.left + 1, r.top + 1, r.right - 1, r.top + 3}, roundedRect(l + 1, t + 1, rr - 1, b - 1, radius - 1),
            RGB(0, 0, 0), 0.35);
}

// An engraved line across the panel between groups of buttons.
void groove(Canvas& c, int y)
{
    c.line(492, y, 585, y, darken(kPanelBottom, 0.45));
    c.line(492, y + 1, 585, y + 1, lighten(kPanelTop, 0.12));
}

void namePlate(Canvas& c)
{
    // The lens emblem and the name, under the well.
    const double cx = 48, cy = 409;
    c.paint({34, 395, 63, 424}, ellipse(cx, cy, 13.5, 13.5), kOutline);
    c.paint({34, 395, 63, 424}, ellipse(cx, cy, 12.5, 12.5), verticalShader(396, 422, kHighlight, kPanelBottom));
    c.paint({34, 395, 63, 424}, ellipse(cx, cy, 9, 9), kWellEdge);
    c.paint({34, 395, 63, 424}, ellipse(cx, cy, 7.5, 7.5), verticalShader(401, 417, RGB(40, 62, 96), RGB(12, 16, 24)));
    c.paint({34, 395, 63, 424}, ellipse(cx, cy, 3, 3), kAccent);
    c.paint({34, 395, 63, 424}, ellipse(cx - 3.5, cy - 3.5, 2, 1.5), RGB(255, 255, 255), 0.55);

    const FontStyle name{26, ui::FW_BOLD, 0, "Sans"};
    const ui::SIZE corvel = c.measure("Corvel", name);
    c.text("Corvel", {73, 394, 73 + corvel.cx + 2, 424}, name, RGB(12, 14, 18),
           ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE);
    c.text("Corvel", {72, 393, 72 + corvel.cx + 2, 423}, name, kLabel, ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE);
    c.text("Camera", {72 + corvel.cx + 8, 393, 300, 423}, {26, ui::FW_NORMAL, 0, "Sans"}, kAccentLight,
           ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE);
    c.text("640 x 480 DIGITAL STILL CAMERA", {73, 424, 420, 438}, {11, ui::FW_NORMAL, 0, "Sans"},
           mix(kLabel, kBodyBottom, 0.45), ui::DT_LEFT | ui::DT_TOP | ui::DT_SINGLELINE);
}

}  // namespace

void paintBackground(Canvas& c)
{
    c.verticalGradient({0, 0, c.width(), c.height()}, kBodyTop, kBodyBottom);
    // A thin accent along the top edge, away from the focus sink's corner.
    c.line(12, 6, c.width() - 12, 6, darken(kBodyTop, 0.3));
    c.line(12, 7, c.width() - 12, 7, lighten(kBodyTop, 0.08));

    well(c, kWellRect, 7, kWell);
    well(c, kRail, 5, darken(kWell, 0.25));

    plate(c, kToolbarPanel, 7);
    groove(c, 54);
    groove(c, 129);
    groove(c, 204);
    plate(c, kExitPlate, 7);

    namePlate(c);
}

const Canvas& renderedBackground()
{
    // Kept for the whole run: every button and the progress face take their
    // corners from it.
    static const Canvas* background = [] {
        auto* c = new Canvas(kBackgroundWidth, kBackgroundHeight, RGB(0, 0, 0));
        paintBackground(*c);
        return c;
    }();
    return *background;
}

void paintFocusSink(Canvas& canvas)
{
    const RECT& r = layout::kFocusSink;
    canvas.copyFrom(renderedBackground(), r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0);
}

}  // namespace qm::panel::art
