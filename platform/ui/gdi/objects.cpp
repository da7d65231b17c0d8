// The graphic object table: bitmaps, brushes, pens and fonts, and the stock
// objects that are never deleted.
#include <cstring>
#include <unordered_map>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {
namespace detail {
namespace {

struct ObjectTable {
    std::unordered_map<HGDIOBJ, std::unique_ptr<GdiObject>> objects;
    std::uintptr_t next = 0x200000;
};

ObjectTable& table()
{
    static ObjectTable* t = new ObjectTable;
    return *t;
}

HGDIOBJ makeStock(GdiObject::Kind kind, COLORREF colour, bool hollow)
{
    auto o = std::make_unique<GdiObject>();
    o->kind = kind;
    o->stock = true;
    o->colour = colour;
    o->hollow = hollow;
    if (kind == GdiObject::Kind::Font) {
        o->logFont.lfHeight = -11;
        o->logFont.lfWeight = FW_NORMAL;
        std::strcpy(o->logFont.lfFaceName, "MS Sans Serif");
    }
    return addGdiObject(std::move(o));
}

}  // namespace

GdiObject* gdiObject(HGDIOBJ handle)
{
    auto& objects = table().objects;
    auto it = objects.find(handle);
    return it == objects.end() ? nullptr : it->second.get();
}

GdiObject* gdiObject(HGDIOBJ handle, GdiObject::Kind kind)
{
    GdiObject* o = gdiObject(handle);
    return o && o->kind == kind ? o : nullptr;
}

HGDIOBJ addGdiObject(std::unique_ptr<GdiObject> object)
{
    auto& t = table();
    t.next += 8;
    auto handle = reinterpret_cast<HGDIOBJ>(t.next);
    t.objects.emplace(handle, std::move(object));
    return handle;
}

HBITMAP makeBitmap(Surface surface)
{
    auto o = std::make_unique<GdiObject>();
    o->kind = GdiObject::Kind::Bitmap;
    o->surface = std::make_shared<Surface>(std::move(surface));
    return static_cast<HBITMAP>(addGdiObject(std::move(o)));
}

HFONT defaultGuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace detail

using namespace detail;

HGDIOBJ GetStockObject(int which)
{
    UiLock lock;
    static auto& stock = *new std::unordered_map<int, HGDIOBJ>;  // kept until exit
    auto it = stock.find(which);
    if (it != stock.end())
        return it->second;
    HGDIOBJ h = nullptr;
    using K = GdiObject::Kind;
    switch (which) {
    case WHITE_BRUSH: h = makeStock(K::Brush, RGB(255, 255, 255), false); break;
    case LTGRAY_BRUSH: h = makeStock(K::Brush, RGB(192, 192, 192), false); break;
    case GRAY_BRUSH: h = makeStock(K::Brush, RGB(128, 128, 128), false); break;
    case BLACK_BRUSH: h = makeStock(K::Brush, RGB(0, 0, 0), false); break;
    case NULL_BRUSH: h = makeStock(K::Brush, 0, true); break;
    case WHITE_PEN: h = makeStock(K::Pen, RGB(255, 255, 255), false); break;
    case BLACK_PEN: h = makeStock(K::Pen, RGB(0, 0, 0), false); break;
    case NULL_PEN: h = makeStock(K::Pen, 0, true); break;
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: h = makeStock(K::Font, 0, false); break;
    default: return nullptr;
    }
    stock.emplace(which, h);
    return h;
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    UiLock lock;
    auto o = std::make_unique<GdiObject>();
    o->kind = GdiObject::Kind::Brush;
    o->colour = colour & 0xFFFFFF;
    return static_cast<HBRUSH>(addGdiObject(std::move(o)));
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    UiLock lock;
    auto o = std::make_unique<GdiObject>();
    o->kind = GdiObject::Kind::Pen;
    o->colour = colour & 0xFFFFFF;
    o->hollow = style == PS_NULL;
    o->penWidth = width < 1 ? 1 : width;
    return static_cast<HPEN>(addGdiObject(std::move(o)));
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (font == nullptr)
        return nullptr;
    UiLock lock;
    auto o = std::make_unique<GdiObject>();
    o->kind = GdiObject::Kind::Font;
    o->logFont = *font;
    o->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(addGdiObject(std::move(o)));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic != 0);
    lf.lfUnderline = BYTE(underline != 0);
    lf.lfStrikeOut = BYTE(strikeOut != 0);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL DeleteObject(HGDIOBJ object)
{
    UiLock lock;
    GdiObject* o = gdiObject(object);
    if (o == nullptr)
        return FALSE;
    if (o->stock)
        return TRUE;
    // A bitmap selected into a memory DC stays until it is deselected, as on
    // the platform; deleting it is refused.
    if (o->kind == GdiObject::Kind::Bitmap && o->selectedInto)
        return FALSE;
    table().objects.erase(object);
    return TRUE;
}

int GetObject(HGDIOBJ object, int size, void* out)
{
    UiLock lock;
    GdiObject* o = gdiObject(object);
    if (o == nullptr)
        return 0;
    if (o->kind == GdiObject::Kind::Bitmap) {
        if (out == nullptr)
            return int(sizeof(BITMAP));
        if (size < int(sizeof(BITMAP)))
            return 0;
        BITMAP bm;
        bm.bmWidth = o->surface->width();
        bm.bmHeight = o->surface->height();
        bm.bmWidthBytes = LONG(o->surface->stride());
        std::memcpy(out, &bm, sizeof bm);
        return int(sizeof bm);
    }
    if (o->kind == GdiObject::Kind::Font) {
        if (out == nullptr)
            return int(sizeof(LOGFONT));
        if (size < int(sizeof(LOGFONT)))
            return 0;
        std::memcpy(out, &o->logFont, sizeof(LOGFONT));
        return int(sizeof(LOGFONT));
    }
    return 0;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    UiLock lock;
    return makeBitmap(Surface(width, height, 0));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (width <= 0 || height <= 0 || planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return nullptr;
    UiLock lock;
    Surface s(width, height, 0);
    if (bits) {
        // Rows top-down, padded to 16 bits as the platform's device bitmaps are.
        const auto* p = static_cast<const BYTE*>(bits);
        const std::size_t bpp = bitsPerPixel / 8;
        const std::size_t stride = (std::size_t(width) * bpp + 1) & ~std::size_t(1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const BYTE* px = p + y * stride + x * bpp;
                s.setPixel(x, y, RGB(px[2], px[1], px[0]));
            }
    }
    return makeBitmap(std::move(s));
}

}  // namespace qm::ui
