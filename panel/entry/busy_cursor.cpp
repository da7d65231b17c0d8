#include "panel/entry/busy_cursor.h"

#include "panel/model/panel_state.h"
#include "platform/system/timing.h"
#include "platform/ui/framework/win_app.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::panel {
namespace {

void showWaitCursor()
{
    if (ui::CWinApp* app = ui::AfxGetApp())
        app->BeginWaitCursor();
    else
        ui::SetCursor(ui::LoadCursor(nullptr, ui::IDC_WAIT));
}

void restoreCursor()
{
    if (ui::CWinApp* app = ui::AfxGetApp()) {
        // Ends every open wait, so nested begins never leave the hourglass behind.
        while (app->m_nWaitCursorCount > 0)
            app->EndWaitCursor();
    } else {
        ui::SetCursor(ui::LoadCursor(nullptr, ui::IDC_ARROW));
    }
}

}  // namespace

BusyCursor::~BusyCursor()
{
    endAndPulse();
}

void BusyCursor::begin()
{
    showWaitCursor();
    busy_ = true;
}

void BusyCursor::end()
{
    busy_ = false;
    restoreCursor();
    if (BrowserHooks* browser = panelState().browser) {
        if (ui::HWND window = browser->browserWindow(); ui::IsWindow(window)) {
            ui::PostMessage(window, ui::WM_MOUSEMOVE, 0, 0);
            waitForMessage();
        }
    }
}

void BusyCursor::pulse()
{
    if (busy_) {
        begin();
        sys::Sleep(100);
        begin();
    } else {
        end();
        sys::Sleep(100);
        end();
    }
}

void BusyCursor::endAndPulse()
{
    end();
    pulse();
}

void BusyCursor::beginAndPulse()
{
    begin();
    pulse();
}

void BusyCursor::setCursorHook()
{
    if (!busy_) {
        waitCursorShown_ = false;
        ui::SetCursor(ui::LoadCursor(nullptr, ui::IDC_ARROW));
        return;
    }
    if (waitCursorShown_) {
        if (ui::CWinApp* app = ui::AfxGetApp())
            app->RestoreWaitCursor();
        else
            ui::SetCursor(ui::LoadCursor(nullptr, ui::IDC_WAIT));
    } else {
        showWaitCursor();
        waitCursorShown_ = true;
    }
}

void waitForMessage()
{
    ui::WaitMessage();
}

}  // namespace qm::panel
