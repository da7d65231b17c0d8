#include "panel/browser/browser_commands.h"

#include "panel/browser/photo_browser_dlg.h"
#include "panel/entry/panel_globals.h"
#include "panel/dialogs/dialog_commands.h"
#include "panel/operations/operation_commands.h"
#include "platform/system/directories.h"
#include "platform/system/files.h"

namespace qm::panel {
namespace {

// Scrolling redraws the twelve cells under the busy cursor.
void scroll(CPhotoBrowserDlg& browser, int id)
{
    if (!browser.BeginOperation(kOperationScrolling))
        return;
    moduleBusyCursor().begin();
    switch (id) {
    case IDC_PAGE_DOWN:
        browser.ScrollPageDown();
        break;
    case IDC_PAGE_UP:
        browser.ScrollPageUp();
        break;
    case IDC_ROW_DOWN:
        browser.ScrollRowDown();
        break;
    default:
        browser.ScrollRowUp();
        break;
    }
    browser.RedrawCells();
    moduleBusyCursor().end();
    browser.EndOperation();
}

}  // namespace

bool runBrowserCommand(CPhotoBrowserDlg& browser, int id)
{
    switch (id) {
    case IDC_PAGE_DOWN:
    case IDC_PAGE_UP:
    case IDC_ROW_DOWN:
    case IDC_ROW_UP:
        scroll(browser, id);
        return true;
    case IDC_SELECT_ALL:
        browser.SelectAll(true);
        return true;
    case IDC_SELECT_NONE:
        browser.SelectAll(false);
        return true;
    case IDC_ROTATE:
        browser.RotateSelected();
        return true;
    default:
        return runOperationCommand(browser, id) || runDialogCommand(browser, id);
    }
}

std::string panelHelpFile()
{
    return sys::joinPath(sys::windowsDirectory(), "TWAIN_32/QM4200/Vantrel.hlp");
}

}  // namespace qm::panel

