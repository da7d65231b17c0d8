#include "panel/resources/art/dialog_art.h"

#include <string>

#include "panel/resources/art/background_art.h"
#include "panel/resources/art/layout.h"
#include "panel/resources/art/palette.h"

namespace qm::panel::art {
namespace {

using namespace palette;

// The dialogs' paper between slate edges, the same on every row so the
// body strip repeats without a seam.
constexpr int kEdge = 4;

void paperRow(Canvas& c, int top, int bottom)
{
    c.fill({0, top, kStripWidth, bottom}, kPaper);
    c.fill({0, top, kEdge, bottom}, kPanelBottom);
    c.fill({kStripWidth - kEdge, top, kStripWidth, bottom}, kPanelBottom);
    c.fill({kEdge, top, kEdge + 1, bottom}, RGB(206, 210, 216));
    c.fill({kStripWidth - kEdge - 1, top, kStripWidth - kEdge, bottom}, RGB(206, 210, 216));
}

// A slate band with a light top edge, as the browser's panels.
void slateBand(Canvas& c, int top, int bottom)
{
    c.verticalGradient({0, top, kStripWidth, bottom}, kPanelTop, kPanelBottom);
    c.line(0, top, kStripWidth, top, lighten(kPanelTop, 0.25));
}

// Pieces that sit on the paper take it as their surroundings.
void paperUnder(Canvas& c)
{
    Canvas strip(kStripWidth, kStripHeight, 0);
    paintStrip(strip, Strip::Body);
    c.copyFrom(strip, 200, 0, c.width(), c.height(), 0, 0);
}

void lensEmblem(Canvas& c, double cx, double cy, double r)
{
    const RECT all{int(cx - r - 2), int(cy - r - 2), int(cx + r + 2), int(cy + r + 2)};
    c.paint(all, ellipse(cx, cy, r + 1, r + 1), kOutline);
    c.paint(all, ellipse(cx, cy, r, r), verticalShader(int(cy - r), int(cy + r), kHighlight, kPanelBottom));
    c.paint(all, ellipse(cx, cy, r * 0.68, r * 0.68), kWellEdge);
    c.paint(all, ellipse(cx, cy, r * 0.56, r * 0.56),
            verticalShader(int(cy - r), int(cy + r), RGB(40, 62, 96), RGB(12, 16, 24)));
    c.paint(all, ellipse(cx, cy, r * 0.22, r * 0.22), kAccent);
}

}  // namespace

void paintProgressFace(Canvas& c)
{
    const RECT& at = layout::kProgress;
    c.copyFrom(renderedBackground(), at.left, at.top, kProgressWidth, kProgressHeight, 0, 0);
    const RECT all{0, 0, kProgressWidth, kProgressHeight};
    c.paint(all, roundedRect(0, 0, kProgressWidth, kProgressHeight, 3.5), kOutline);
    c.paint(all, roundedRect(1, 1, kProgressWidth - 1, kProgressHeight - 1, 2.5),
            verticalShader(1, 24, RGB(56, 62, 72), RGB(42, 47, 55)));
    // A scale above the trough: quarter marks over the bar's 72 segments.
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const int x = 11 + 72 * quarter / 4 - (quarter == 4 ? 1 : 0);
        c.line(x, quarter % 2 ? 10 : 8, x, 13, quarter % 2 ? kPanelTop : kHighlight);
    }
    for (int eighth = 1; eighth < 8; eighth += 2)
        c.setPixel(11 + 72 * eighth / 8, 12, kPanelTop);
    // The trough the bar's lines are drawn in (rows 17..22, x 10..83).
    c.fill({9, 15, 86, 16}, RGB(24, 26, 24));
    c.fill({9, 15, 10, 24}, RGB(24, 26, 24));
    c.fill({10, 16, 86, 24}, kTrough);
    c.fill({85, 16, 86, 24}, RGB(80, 86, 80));
    // The text line, black text at (2, 26)-(98, 38).
    c.fill({1, 24, kProgressWidth - 1, 25}, RGB(24, 27, 32));
    c.paint(all, roundedRect(1, 25, kProgressWidth - 1, kProgressHeight - 1, 2.5),
            verticalShader(25, 39, RGB(234, 238, 228), RGB(212, 218, 206)));
}

void paintStrip(Canvas& c, Strip strip)
{
    switch (strip) {
    case Strip::Body:
        paperRow(c, 0, kStripHeight);
        return;
    case Strip::Top:
        slateBand(c, 0, 26);
        c.fill({0, 26, kStripWidth, 28}, kAccent);
        c.fill({0, 28, kStripWidth, 29}, darken(kAccent, 0.5));
        paperRow(c, 29, kStripHeight);
        lensEmblem(c, 18, 13, 7.5);
        c.text("Corvel", {33, 0, 200, 26}, {15, ui::FW_BOLD, 0, "Sans"}, kLabel,
               ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE);
        c.text("Camera", {33 + c.measure("Corvel ", {15, ui::FW_BOLD, 0, "Sans"}).cx, 0, 240, 26},
               {15, ui::FW_NORMAL, 0, "Sans"}, kAccentLight, ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE);
        return;
    case Strip::Bottom:
        paperRow(c, 0, 18);
        c.fill({kEdge + 1, 14, kStripWidth - kEdge - 1, 15}, RGB(214, 218, 224));
        c.fill({0, 18, kStripWidth, 19}, RGB(24, 27, 32));
        slateBand(c, 19, kStripHeight);
        return;
    }
}

void paintOptionButton(Canvas& c, bool down)
{
    paperUnder(c);
    const RECT all{0, 0, kOptionWidth, kOptionHeight};
    const double w = kOptionWidth, h = kOptionHeight;
    if (down) {
        // Pressed in: a slate-blue face whose shade suits black text as well
        // as the amber of the camera's own value.
        c.paint(all, roundedRect(0, 0, w, h, 5.5), RGB(36, 44, 60));
        c.paint(all, roundedRect(1, 1, w - 1, h - 1, 4.5), verticalShader(1, 23, RGB(84, 100, 132), RGB(98, 114, 148)));
        c.paint({1, 1, kOptionWidth - 1, 4}, roundedRect(1, 1, w - 1, h - 1, 4.5), RGB(0, 0, 0), 0.3);
        c.paint({6, 19, kOptionWidth - 6, 22}, roundedRect(8, 19.5, w - 8, 21.5, 1), kAccent);
        return;
    }
    c.paint(all, roundedRect(0, 0, w, h, 5.5), RGB(132, 140, 152));
    c.paint(all, roundedRect(1, 1, w - 1, h - 1, 4.5), verticalShader(1, 23, RGB(253, 253, 254), RGB(222, 226, 232)));
    c.paint({2, 1, kOptionWidth - 2, 2}, roundedRect(1, 1, w - 1, h - 1, 4.5), RGB(255, 255, 255));
    c.paint({1, 21, kOptionWidth - 1, 23}, roundedRect(1, 1, w - 1, h - 1, 4.5), RGB(160, 168, 180), 0.5);
}

void paintDigit(Canvas& c, int digit)
{
    paperUnder(c);
    const RECT all{0, 0, kDigitWidth, kDigitHeight};
    const double w = kDigitWidth, h = kDigitHeight;
    c.paint(all, roundedRect(0, 0, w, h, 3), kOutline);
    c.paint(all, roundedRect(1, 1, w - 1, h - 1, 2), verticalShader(1, 20, RGB(78, 87, 102), RGB(34, 38, 46)));
    // The split of a number wheel.
    c.line(1, 10, kDigitWidth - 1, 10, RGB(22, 25, 30));
    c.text(std::to_string(digit), {0, 0, kDigitWidth, kDigitHeight + 1}, {19, ui::FW_BOLD, 0, "Mono"}, kLabel);
}

void paintRepeatButton(Canvas& c, bool up)
{
    paperUnder(c);
    const RECT all{0, 0, kRepeatSize, kRepeatSize};
    const double s = kRepeatSize;
    c.paint(all, roundedRect(0, 0, s, s, 2.5), RGB(96, 104, 116));
    c.paint(all, roundedRect(1, 1, s - 1, s - 1, 1.5), verticalShader(1, 9, RGB(250, 251, 252), RGB(206, 211, 218)));
    const COLORREF arrow = RGB(44, 50, 60);
    if (up)
        c.paint(all, polygon({{5, 2.3}, {8.2, 6.9}, {1.8, 6.9}}), arrow);
    else
        c.paint(all, polygon({{1.8, 3.1}, {8.2, 3.1}, {5, 7.7}}), arrow);
}

void paintAboutCamera(Canvas& c)
{
    // On the dialog's face colour.
    c.fill({0, 0, kAboutSize, kAboutSize}, ui::GetSysColor(ui::COLOR_BTNFACE));
    const RECT all{0, 0, kAboutSize, kAboutSize};
    const COLORREF ink = RGB(28, 31, 36);
    // Top plate with the shutter release.
    c.paint(all, roundedRect(12, 10, 33, 22, 3), ink);
    c.paint(all, roundedRect(13, 11, 32, 22, 2), verticalShader(11, 21, RGB(236, 238, 242), RGB(180, 186, 194)));
    c.paint(all, roundedRect(43, 12, 55, 20, 2), ink);
    c.paint(all, roundedRect(44, 13, 54, 20, 1.5), verticalShader(13, 19, kAccentLight, kAccent));
    // The body: silver, with a dark grip band.
    c.paint(all, roundedRect(3, 17, 61, 55, 6.5), ink);
    c.paint(all, roundedRect(4, 18, 60, 54, 5.5), verticalShader(18, 54, RGB(238, 240, 244), RGB(150, 157, 168)));
    c.fill({4, 30, 60, 45}, RGB(54, 60, 70));
    c.line(4, 30, 60, 30, RGB(30, 33, 38));
    c.line(4, 44, 60, 44, RGB(112, 120, 132));
    // The flash window.
    c.paint(all, roundedRect(46, 21, 57, 28, 1.5), ink);
    c.paint(all, roundedRect(47, 22, 56, 27, 1), verticalShader(22, 27, RGB(255, 255, 246), RGB(214, 214, 200)));
    // The lens.
    const double cx = 29, cy = 37;
    c.paint(all, ellipse(cx, cy, 16, 16), ink);
    c.paint(all, ellipse(cx, cy, 14.8, 14.8), verticalShader(22, 52, RGB(226, 230, 236), RGB(120, 128, 140)));
    c.paint(all, ellipse(cx, cy, 11.5, 11.5), RGB(18, 20, 24));
    c.paint(all, ring(ellipse(cx, cy, 10.4, 10.4), ellipse(cx, cy, 9.4, 9.4)), kAccent);
    c.paint(all, ellipse(cx, cy, 8.6, 8.6), verticalShader(28, 46, RGB(54, 84, 130), RGB(8, 12, 20)));
    c.paint(all, ellipse(cx, cy, 3.6, 3.6), RGB(6, 8, 12));
    c.paint(all, ellipse(cx - 3.6, cy - 3.8, 3, 2.2), RGB(255, 255, 255), 0.7);
    c.paint(all, ellipse(cx + 4, cy + 4.2, 1.2, 1.2), RGB(255, 255, 255), 0.35);
}

}  // namespace qm::panel::art
