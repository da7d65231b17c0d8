// Text output: TextOut, DrawText with line breaks and mnemonics, extents and
// metrics.
#include <algorithm>
#include <string>

#include "platform/ui/core/window_system.h"
#include "platform/ui/font/font_engine.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {
namespace detail {
namespace {

FontInstance& fontOf(DeviceContext* dc)
{
    GdiObject* f = gdiObject(dc->current.font, GdiObject::Kind::Font);
    if (!f)
        f = gdiObject(defaultGuiFont(), GdiObject::Kind::Font);
    return fontFor(f->logFont);
}

int measure(FontInstance& font, const std::vector<std::uint32_t>& text)
{
    int width = 0;
    for (std::uint32_t cp : text)
        width += font.glyph(cp).advance;
    return width;
}

// Draws one line with its top-left corner at (x, y) in DC coordinates.
// `underlined` is the index of a character to underline, or -1.
void drawLine(DrawTarget& t, DeviceContext* dc, FontInstance& font, const std::vector<std::uint32_t>& text, int x,
              int y, int underlined)
{
    const TEXTMETRIC& tm = font.metrics();
    const COLORREF colour = dc->current.textColour;
    if (dc->current.bkMode == OPAQUE)
        fillClipped(t, {x, y, x + measure(font, text), y + tm.tmHeight}, dc->current.bkColour);
    const std::uint8_t fg[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    int pen = x;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph& g = font.glyph(text[i]);
        const int gx = pen + g.left + t.origin.x;
        const int gy = y + tm.tmAscent - g.top + t.origin.y;
        for (const RECT& c : t.clip.rects()) {
            RECT area = intersect(intersect({gx, gy, gx + g.width, gy + g.rows}, c),
                                  {0, 0, t.surface->width(), t.surface->height()});
            for (LONG py = area.top; py < area.bottom; ++py) {
                std::uint8_t* d = t.surface->row(py) + area.left * 3;
                const std::uint8_t* cov = g.coverage.data() + std::size_t(py - gy) * g.width + (area.left - gx);
                for (LONG px = area.left; px < area.right; ++px, d += 3, ++cov) {
                    const unsigned a = *cov;
                    if (a == 0)
                        continue;
                    for (int k = 0; k < 3; ++k)
                        d[k] = std::uint8_t((d[k] * (255 - a) + fg[k] * a + 127) / 255);
                }
            }
        }
        if (font.underline() || int(i) == underlined)
            fillClipped(t, {pen, y + tm.tmAscent + 1, pen + g.advance, y + tm.tmAscent + 2}, colour);
        pen += g.advance;
    }
    if (font.strikeOut())
        fillClipped(t, {x, y + tm.tmAscent * 2 / 3, pen, y + tm.tmAscent * 2 / 3 + 1}, colour);
}

struct Line {
    std::vector<std::uint32_t> text;
    int underlined = -1;
};

// Splits at line breaks, removes mnemonic markers and wraps at spaces.
std::vector<Line> layoutLines(FontInstance& font, const std::vector<std::uint32_t>& all, UINT format, int maxWidth)
{
    std::vector<Line> lines(1);
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::uint32_t c = all[i];
        if (c == '\r')
            continue;
        if (c == '\n' && !(format & DT_SINGLELINE)) {
            lines.emplace_back();
            continue;
        }
        if (c == '&' && !(format & DT_NOPREFIX) && i + 1 < all.size()) {
            c = all[++i];
            if (c != '&')
                lines.back().underlined = int(lines.back().text.size());
        }
        lines.back().text.push_back(c);
    }
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE) || maxWidth <= 0)
        return lines;
    std::vector<Line> wrapped;
    for (Line& line : lines) {
        std::size_t start = 0;
        while (true) {
            Line piece;
            int width = 0;
            std::size_t end = start, lastSpace = std::string::npos;
            for (; end < line.text.size(); ++end) {
                const int w = font.glyph(line.text[end]).advance;
                if (width + w > maxWidth && end > start)
                    break;
                if (line.text[end] == ' ')
                    lastSpace = end;
                width += w;
            }
            std::size_t next = end;
            if (end < line.text.size() && lastSpace != std::string::npos && lastSpace > start) {
                end = lastSpace;
                next = lastSpace + 1;
            }
            piece.text.assign(line.text.begin() + long(start), line.text.begin() + long(end));
            if (line.underlined >= int(start) && line.underlined < int(end))
                piece.underlined = line.underlined - int(start);
            wrapped.push_back(std::move(piece));
            if (next >= line.text.size())
                break;
            start = next;
        }
    }
    return wrapped;
}

}  // namespace
}  // namespace detail

using namespace detail;

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* metrics)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || !metrics)
        return FALSE;
    *metrics = fontOf(dc).metrics();
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int length, SIZE* size)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || !size || (length > 0 && !text) || length < 0)
        return FALSE;
    FontInstance& font = fontOf(dc);
    size->cx = measure(font, decodeText(text, std::size_t(length)));
    size->cy = font.metrics().tmHeight;
    return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int length)
{
    UiLock lock;
    auto t = drawTarget(hdc);
    DeviceContext* dc = deviceContext(hdc);
    if (!t || !dc || length < 0 || (length > 0 && !text))
        return FALSE;
    FontInstance& font = fontOf(dc);
    const auto codepoints = decodeText(text, std::size_t(length));
    const int width = measure(font, codepoints);
    const UINT align = dc->current.textAlign;
    if ((align & TA_CENTER) == TA_CENTER)
        x -= width / 2;
    else if (align & TA_RIGHT)
        x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        y -= font.metrics().tmAscent;
    else if (align & TA_BOTTOM)
        y -= font.metrics().tmHeight;
    drawLine(*t, dc, font, codepoints, x, y, -1);
    markDrawn(hdc);
    return TRUE;
}

int DrawText(HDC hdc, LPCSTR text, int length, RECT* rect, UINT format)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || !rect || !text)
        return 0;
    const std::size_t n = length < 0 ? std::char_traits<char>::length(text) : std::size_t(length);
    FontInstance& font = fontOf(dc);
    const int lineHeight = font.metrics().tmHeight;
    const auto lines = layoutLines(font, decodeText(text, n), format, rect->right - rect->left);
    const int total = lineHeight * int(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& l : lines)
            widest = std::max(widest, measure(font, l.text));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    auto t = drawTarget(hdc);
    if (!t)
        return 0;
    if (!(format & DT_NOCLIP))
        t->clip.intersectWith(offset(*rect, t->origin.x, t->origin.y));
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - total) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - total;
    }
    for (const Line& l : lines) {
        const int w = measure(font, l.text);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect->right - rect->left - w) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - w;
        drawLine(*t, dc, font, l.text, x, y, l.underlined);
        y += lineHeight;
    }
    markDrawn(hdc);
    return total;
}

}  // namespace qm::ui
