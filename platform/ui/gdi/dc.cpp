// Device contexts: window DCs draw into their top-level window's surface,
// memory DCs into the bitmap selected into them.
#include <unordered_map>
#include <utility>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {
namespace detail {
namespace {

struct DcTable {
    std::unordered_map<HDC, std::unique_ptr<DeviceContext>> dcs;
    std::uintptr_t next = 0x400000;
};

DcTable& dcTable()
{
    static DcTable* t = new DcTable;
    return *t;
}

HDC addDc(std::unique_ptr<DeviceContext> dc)
{
    auto& t = dcTable();
    t.next += 8;
    auto handle = reinterpret_cast<HDC>(t.next);
    dc->current.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc->current.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc->current.font = defaultGuiFont();
    t.dcs.emplace(handle, std::move(dc));
    return handle;
}

}  // namespace

DeviceContext* deviceContext(HDC hdc)
{
    auto& dcs = dcTable().dcs;
    auto it = dcs.find(hdc);
    return it == dcs.end() ? nullptr : it->second.get();
}

HDC makeWindowDc(HWND hwnd, POINT origin, Region clip)
{
    auto dc = std::make_unique<DeviceContext>();
    dc->hwnd = hwnd;
    dc->origin = origin;
    dc->clip = std::move(clip);
    return addDc(std::move(dc));
}

std::optional<DrawTarget> drawTarget(HDC hdc)
{
    DeviceContext* dc = deviceContext(hdc);
    if (dc == nullptr)
        return std::nullopt;
    if (dc->memory) {
        GdiObject* bmp = gdiObject(dc->current.bitmap, GdiObject::Kind::Bitmap);
        if (!bmp)
            return std::nullopt;
        Surface* s = bmp->surface.get();
        return DrawTarget{s, {0, 0}, Region(RECT{0, 0, s->width(), s->height()})};
    }
    Window* w = windowFromHandle(dc->hwnd);
    Window* root = w ? rootOf(w) : nullptr;
    if (!root || !root->surface)
        return std::nullopt;
    return DrawTarget{root->surface.get(), dc->origin, dc->clip};
}

void markDrawn(HDC hdc)
{
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || dc->memory)
        return;
    if (Window* w = windowFromHandle(dc->hwnd))
        rootOf(w)->surfaceDirty = true;
}

}  // namespace detail

using namespace detail;

HDC GetDC(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (w == nullptr)
        return nullptr;
    return makeWindowDc(hwnd, clientOriginInRoot(w), visibleClientRegion(w, (w->style & WS_CLIPCHILDREN) != 0));
}

HDC GetWindowDC(HWND hwnd)
{
    UiLock lock;
    Window* w = windowFromHandle(hwnd);
    if (w == nullptr)
        return nullptr;
    POINT client = clientOriginInRoot(w);
    RECT cr = clientRectInWindow(w);
    return makeWindowDc(hwnd, {client.x - cr.left, client.y - cr.top}, visibleWindowRegion(w));
}

int ReleaseDC(HWND, HDC hdc)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || dc->memory)
        return 0;
    markDrawn(hdc);
    dcTable().dcs.erase(hdc);
    return 1;
}

HDC CreateCompatibleDC(HDC)
{
    UiLock lock;
    static HBITMAP placeholder = makeBitmap(Surface(1, 1, 0));
    auto dc = std::make_unique<DeviceContext>();
    dc->memory = true;
    HDC hdc = addDc(std::move(dc));
    deviceContext(hdc)->current.bitmap = placeholder;
    return hdc;
}

BOOL DeleteDC(HDC hdc)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc)
        return FALSE;
    if (GdiObject* bmp = gdiObject(dc->current.bitmap, GdiObject::Kind::Bitmap); bmp && bmp->selectedInto == hdc)
        bmp->selectedInto = nullptr;
    if (!dc->memory)
        markDrawn(hdc);
    dcTable().dcs.erase(hdc);
    return TRUE;
}

HWND WindowFromDC(HDC hdc)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    return dc ? dc->hwnd : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    GdiObject* o = gdiObject(object);
    if (!dc || !o)
        return nullptr;
    DcState& s = dc->current;
    switch (o->kind) {
    case GdiObject::Kind::Pen: return std::exchange(s.pen, static_cast<HPEN>(object));
    case GdiObject::Kind::Brush: return std::exchange(s.brush, static_cast<HBRUSH>(object));
    case GdiObject::Kind::Font: return std::exchange(s.font, static_cast<HFONT>(object));
    case GdiObject::Kind::Bitmap: {
        // Only memory DCs take bitmaps, and a bitmap sits in one DC at a time.
        if (!dc->memory || (o->selectedInto && o->selectedInto != hdc))
            return nullptr;
        if (GdiObject* old = gdiObject(s.bitmap, GdiObject::Kind::Bitmap))
            old->selectedInto = nullptr;
        o->selectedInto = hdc;
        return std::exchange(s.bitmap, static_cast<HBITMAP>(object));
    }
    }
    return nullptr;
}

int SaveDC(HDC hdc)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->current);
    return int(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc || dc->saved.empty())
        return FALSE;
    std::size_t index = saved < 0 ? dc->saved.size() - std::size_t(-saved) : std::size_t(saved) - 1;
    if (saved == 0 || index >= dc->saved.size())
        return FALSE;
    DcState restored = dc->saved[index];
    dc->saved.resize(index);
    if (dc->memory && restored.bitmap != dc->current.bitmap)
        SelectObject(hdc, restored.bitmap);
    dc->current = restored;
    return TRUE;
}

namespace {

template <typename T>
T exchangeAttribute(HDC hdc, T DcState::*field, T value, T fallback)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    if (!dc)
        return fallback;
    return std::exchange(dc->current.*field, value);
}

template <typename T>
T readAttribute(HDC hdc, T DcState::*field, T fallback)
{
    UiLock lock;
    DeviceContext* dc = deviceContext(hdc);
    return dc ? dc->current.*field : fallback;
}

constexpr COLORREF kInvalidColour = 0xFFFFFFFF;

}  // namespace

int SetBkMode(HDC hdc, int mode) { return exchangeAttribute(hdc, &DcState::bkMode, mode, 0); }
int GetBkMode(HDC hdc) { return readAttribute(hdc, &DcState::bkMode, 0); }
COLORREF SetBkColor(HDC hdc, COLORREF c) { return exchangeAttribute(hdc, &DcState::bkColour, c & 0xFFFFFF, kInvalidColour); }
COLORREF GetBkColor(HDC hdc) { return readAttribute(hdc, &DcState::bkColour, kInvalidColour); }
COLORREF SetTextColor(HDC hdc, COLORREF c) { return exchangeAttribute(hdc, &DcState::textColour, c & 0xFFFFFF, kInvalidColour); }
COLORREF GetTextColor(HDC hdc) { return readAttribute(hdc, &DcState::textColour, kInvalidColour); }
UINT SetTextAlign(HDC hdc, UINT align) { return exchangeAttribute(hdc, &DcState::textAlign, align, 0u); }
int SetStretchBltMode(HDC hdc, int mode) { return exchangeAttribute(hdc, &DcState::stretchMode, mode, 0); }
int GetStretchBltMode(HDC hdc) { return readAttribute(hdc, &DcState::stretchMode, 0); }

}  // namespace qm::ui
