#include "panel/controls/control_class.h"

#include "panel/resources/panel_resources.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/window/window.h"

namespace qm::panel {

bool registerControlClass(const char* name, ui::HBRUSH background)
{
    ui::WNDCLASS existing;
    if (ui::GetClassInfo(panelInstance(), name, &existing)) {
        if (background && background != existing.hbrBackground)
            ui::DeleteObject(background);
        return true;
    }
    ui::WNDCLASS wc;
    wc.lpfnWndProc = ui::DefWindowProc;
    wc.hInstance = panelInstance();
    wc.hCursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (ui::RegisterClass(&wc) != 0)
        return true;
    if (background)
        ui::DeleteObject(background);
    return false;
}

bool unregisterControlClass(const char* name)
{
    ui::WNDCLASS existing;
    if (!ui::GetClassInfo(panelInstance(), name, &existing))
        return true;
    if (!ui::UnregisterClass(name, panelInstance()))
        return false;
    if (existing.hbrBackground)
        ui::DeleteObject(existing.hbrBackground);
    return true;
}

}  // namespace qm::panel
