// Registration of the platform's own window classes.
#include "platform/ui/controls/controls.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/window/window.h"

namespace qm::ui::detail {

void registerSystemClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    struct Entry {
        const char* name;
        WNDPROC proc;
        UINT style;
        LPCSTR cursor;
        int extra;
    };
    const Entry entries[] = {
        {"Button", buttonProc(), CS_DBLCLKS, IDC_ARROW, 0},
        {"Static", staticProc(), CS_DBLCLKS, IDC_ARROW, 0},
        {"Edit", editProc(), CS_DBLCLKS, IDC_IBEAM, 0},
        {"ListBox", listBoxProc(), CS_DBLCLKS, IDC_ARROW, 0},
        {"ComboBox", comboBoxProc(), CS_DBLCLKS, IDC_ARROW, 0},
        {PROGRESS_CLASS, progressProc(), 0, IDC_ARROW, 0},
        {kDialogClass, dialogClassProc(), CS_DBLCLKS, IDC_ARROW, DLGWINDOWEXTRA},
    };
    for (const Entry& e : entries) {
        WNDCLASS wc;
        wc.style = e.style;
        wc.lpfnWndProc = e.proc;
        wc.cbWndExtra = e.extra;
        wc.hCursor = LoadCursor(nullptr, e.cursor);
        wc.lpszClassName = e.name;
        RegisterClass(&wc);
    }
}

}  // namespace qm::ui::detail
