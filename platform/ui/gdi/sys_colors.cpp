// The classic desktop colour scheme.
#include <unordered_map>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {

COLORREF GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(0, 0, 0);
    case COLOR_3DLIGHT: return RGB(223, 223, 223);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return RGB(192, 192, 192);
    }
}

HBRUSH GetSysColorBrush(int index)
{
    detail::UiLock lock;
    static auto& brushes = *new std::unordered_map<int, HBRUSH>;  // kept until exit
    auto it = brushes.find(index);
    if (it != brushes.end())
        return it->second;
    HBRUSH brush = CreateSolidBrush(GetSysColor(index));
    detail::gdiObject(brush)->stock = true;
    brushes.emplace(index, brush);
    return brush;
}

}  // namespace qm::ui
