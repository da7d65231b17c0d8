#include "panel/controls/hint_wnd.h"

#include <algorithm>

#include "panel/controls/control_class.h"
#include "panel/controls/small_font.h"

namespace qm::panel {

using ui::CWnd;
IMPLEMENT_DYNAMIC(CHintWnd, CWnd)

namespace {

constexpr const char* kClassName = "VantrelHint";

}  // namespace

ui::SIZE CHintWnd::measure(const std::string& text)
{
    ui::HDC dc = ui::CreateCompatibleDC(nullptr);
    ui::SIZE size{0, 0};
    if (!dc)
        return size;
    ui::HGDIOBJ old = ui::SelectObject(dc, smallFont().m_hObject);
    ui::GetTextExtentPoint32(dc, text.c_str(), int(text.size()), &size);
    ui::SelectObject(dc, old);
    ui::DeleteDC(dc);
    return size;
}

ui::CRect CHintWnd::placement(ui::POINT pointer, ui::SIZE text, ui::SIZE screen)
{
    const int width = text.cx + 2;
    const int height = text.cy + 2;
    const int below = pointer.y + 10;
    int x = pointer.x - text.cx / 2;
    int y = below + 6;
    x = std::min(x, screen.cx - width);
    y = std::min(y, screen.cy - height);
    x = std::max(x, kMinimumEdgeGap);
    y = std::max(y, kMinimumEdgeGap);
    return {x, y, x + width, y + height};
}

ui::BOOL CHintWnd::Create(ui::CWnd* owner, const std::string& text, ui::POINT pointer)
{
    if (m_hWnd || !registerControlClass(kClassName))
        return ui::FALSE;
    text_ = text;
    const ui::SIZE screen{ui::GetSystemMetrics(ui::SM_CXSCREEN), ui::GetSystemMetrics(ui::SM_CYSCREEN)};
    const ui::CRect place = placement(pointer, measure(text), screen);
    ui::HWND ownerWindow = owner ? ui::GetAncestor(owner->m_hWnd, ui::GA_ROOT) : nullptr;
    // Made hidden and shown without activation: a hint that took the
    // activation would take the focus from the button it belongs to.
    if (!CreateEx(ui::WS_EX_TOPMOST | ui::WS_EX_TOOLWINDOW, kClassName, text.c_str(),
                  ui::WS_POPUP | ui::WS_BORDER | ui::WS_CLIPSIBLINGS, place.left, place.top, place.Width(),
                  place.Height(), ownerWindow, 0))
        return ui::FALSE;
    SetWindowPos(nullptr, 0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_NOZORDER | ui::SWP_NOACTIVATE |
                                          ui::SWP_SHOWWINDOW);
    return ui::TRUE;
}

ui::BOOL CHintWnd::OnEraseBkgnd(ui::CDC*) { return ui::TRUE; }

void CHintWnd::OnPaint()
{
    ui::CPaintDC dc(this);
    ui::CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, kBackground);
    dc.SelectObject(&smallFont());
    dc.SetBkMode(ui::OPAQUE);
    dc.SetBkColor(kBackground);
    dc.SetTextColor(ui::RGB(0, 0, 0));
    dc.TextOut(0, 0, text_);
}

}  // namespace qm::panel
