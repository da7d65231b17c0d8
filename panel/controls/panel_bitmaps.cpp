#include "panel/controls/panel_bitmaps.h"

#include <map>
#include <memory>

#include "panel/resources/panel_resources.h"

namespace qm::panel {
namespace {

std::map<ui::UINT, std::unique_ptr<ui::CBitmap>>& cache()
{
    static std::map<ui::UINT, std::unique_ptr<ui::CBitmap>> bitmaps;
    return bitmaps;
}

}  // namespace

const ui::CBitmap* panelBitmap(ui::UINT id)
{
    auto& bitmaps = cache();
    if (auto it = bitmaps.find(id); it != bitmaps.end())
        return it->second.get();
    auto bitmap = std::make_unique<ui::CBitmap>();
    if (!bitmap->LoadBitmap(panelInstance(), id))
        return nullptr;  // not remembered: a missing bitmap costs a look-up each time, never a wrong picture
    return bitmaps.emplace(id, std::move(bitmap)).first->second.get();
}

ui::SIZE panelBitmapSize(ui::UINT id)
{
    ui::BITMAP bm{};
    const ui::CBitmap* bitmap = panelBitmap(id);
    if (!bitmap || !bitmap->GetBitmap(&bm))
        return {0, 0};
    return {bm.bmWidth, bm.bmHeight};
}

bool drawPanelBitmapPart(ui::HDC dc, ui::UINT id, int x, int y, int width, int height, int sourceX, int sourceY)
{
    const ui::CBitmap* bitmap = panelBitmap(id);
    if (!dc || !bitmap)
        return false;
    ui::HDC memory = ui::CreateCompatibleDC(dc);
    if (!memory)
        return false;
    ui::HGDIOBJ old = ui::SelectObject(memory, bitmap->m_hObject);
    const bool drawn = ui::BitBlt(dc, x, y, width, height, memory, sourceX, sourceY, ui::SRCCOPY) != 0;
    ui::SelectObject(memory, old);
    ui::DeleteDC(memory);
    return drawn;
}

bool drawPanelBitmap(ui::HDC dc, ui::UINT id, int x, int y)
{
    const ui::SIZE size = panelBitmapSize(id);
    return size.cx > 0 && drawPanelBitmapPart(dc, id, x, y, size.cx, size.cy, 0, 0);
}

}  // namespace qm::panel
