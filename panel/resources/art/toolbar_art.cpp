#include "panel/resources/art/toolbar_art.h"

#include "panel/resources/art/background_art.h"
#include "panel/resources/art/glyphs.h"
#include "panel/resources/art/layout.h"
#include "panel/resources/art/palette.h"

namespace qm::panel::art {
namespace {

using namespace palette;

struct Scheme {
    COLORREF outline;
    COLORREF faceTop;
    COLORREF faceBottom;
    double highlight;  // strength of the light top edge
    double shadow;     // strength of the pressed-in shadow
    COLORREF ink;      // label and the glyph's neutral parts
    COLORREF accent;   // the glyph's meaningful part
    int offset;        // content shift of a pressed button
};

Scheme schemeFor(Look look)
{
    switch (look) {
    case Look::Pressed:
        return {kOutline, RGB(30, 34, 41), RGB(47, 53, 63), 0.0, 0.55, RGB(214, 219, 227), kAccent, 1};
    case Look::Focus:
        return {kAccent, RGB(120, 132, 151), RGB(80, 91, 107), 0.55, 0.0, RGB(255, 255, 255), RGB(255, 196, 150), 0};
    case Look::Disabled:
        return {RGB(42, 46, 53), RGB(68, 73, 81), RGB(64, 69, 77), 0.0, 0.0, kLabelDisabled, kLabelDisabled, 0};
    case Look::Normal: break;
    }
    return {kOutline, RGB(98, 109, 126), RGB(61, 69, 82), 0.45, 0.0, kLabel, kAccentLight, 0};
}

// The button's face over the background it sits on.
void face(Canvas& c, Command command, const Scheme& s, Look look)
{
    const RECT at = layout::buttonRect(command);
    c.copyFrom(renderedBackground(), at.left, at.top, c.width(), c.height(), 0, 0);
    const double w = c.width(), h = c.height();
    const RECT all{0, 0, c.width(), c.height()};
    c.paint(all, roundedRect(0, 0, w, h, 4.5), s.outline);
    if (look == Look::Focus) {
        // A glow: the accent ring, then a pale inner line.
        c.paint(all, roundedRect(1, 1, w - 1, h - 1, 3.5), kAccentPale);
        c.paint(all, roundedRect(2, 2, w - 2, h - 2, 2.5), verticalShader(2, c.height() - 2, s.faceTop, s.faceBottom));
    } else {
        c.paint(all, roundedRect(1, 1, w - 1, h - 1, 3.5), verticalShader(1, c.height() - 1, s.faceTop, s.faceBottom));
    }
    if (s.highlight > 0)
        c.paint({2, 1, c.width() - 2, 3}, roundedRect(1, 1, w - 1, h - 1, 3.5), RGB(255, 255, 255), s.highlight * 0.5);
    if (s.shadow > 0) {
        c.paint({1, 1, c.width() - 1, 4}, roundedRect(1, 1, w - 1, h - 1, 3.5), RGB(0, 0, 0), s.shadow * 0.6);
        c.paint({1, 1, 3, c.height() - 1}, roundedRect(1, 1, w - 1, h - 1, 3.5), RGB(0, 0, 0), s.shadow * 0.4);
    }
}

}  // namespace

void paintToolbarButton(Canvas& c, Command command, const std::string& label, Look look)
{
    const Scheme s = schemeFor(look);
    face(c, command, s, look);
    const int o = s.offset;
    if (c.width() > 60) {
        // Wide (Connect): the picture beside the word.
        const FontStyle font{14, ui::FW_BOLD, 0, "Sans"};
        const int textWidth = c.measure(label, font).cx;
        const int glyph = 15, gap = 6;
        const int left = (c.width() - glyph - gap - textWidth) / 2;
        drawGlyph(c, command, left + o, 7 + o, glyph, s.ink, s.accent);
        c.text(label, {left + glyph + gap + o, o, c.width() + o, c.height() + o}, font, s.ink,
               ui::DT_LEFT | ui::DT_VCENTER | ui::DT_SINGLELINE | ui::DT_NOPREFIX);
        return;
    }
    // The picture above the word.
    const double glyph = 11;
    drawGlyph(c, command, (c.width() - glyph) / 2 + o, 3 + o, glyph, s.ink, s.accent);
    const FontStyle font = c.fit(label, {11, ui::FW_BOLD, 0, "Sans"}, c.width() - 10);
    c.text(label, {o, 15 + o, c.width() + o, 27 + o}, font, s.ink);
}

void paintScrollButton(Canvas& c, Command command, Look look)
{
    const Scheme s = schemeFor(look);
    face(c, command, s, look);
    const double glyph = 13;
    drawGlyph(c, command, (c.width() - glyph) / 2 + s.offset, (c.height() - glyph) / 2 + s.offset, glyph, s.ink,
              s.accent);
}

}  // namespace qm::panel::art
