#include "platform/ui/framework/win_app.h"

#include <algorithm>
#include <vector>

#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/framework/wnd.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/message/pump_internal.h"
#include "platform/ui/resource/resource.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CWinApp, CObject)

namespace {

std::vector<CWinApp*>& applications()
{
    static auto* apps = new std::vector<CWinApp*>;
    return *apps;
}

HINSTANCE resourceOverride = nullptr;

}  // namespace

CWinApp::CWinApp(LPCSTR appName) : m_hInstance(instanceOf(this)), m_pszAppName(appName)
{
    detail::UiLock lock;
    applications().push_back(this);
    detail::installFrameworkHooks();
}

CWinApp::~CWinApp()
{
    detail::UiLock lock;
    auto& apps = applications();
    apps.erase(std::remove(apps.begin(), apps.end(), this), apps.end());
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        detail::dispatchAsHost(&msg);  // pre-translate walk, dialog keys, translation, dispatch
    const int code = ExitInstance();
    return code ? code : int(msg.wParam);
}

BOOL CWinApp::PreTranslateMessage(MSG*) { return FALSE; }

HCURSOR CWinApp::LoadStandardCursor(LPCSTR id) const { return qm::ui::LoadCursor(nullptr, id); }

void CWinApp::DoWaitCursor(int code)
{
    detail::UiLock lock;
    if (code > 0) {
        if (m_nWaitCursorCount++ == 0)
            cursorBeforeWait_ = GetCursor();
        SetCursor(LoadStandardCursor(IDC_WAIT));
    } else if (code < 0) {
        m_nWaitCursorCount = std::max(0, m_nWaitCursorCount - 1);
        if (m_nWaitCursorCount == 0)
            SetCursor(cursorBeforeWait_ ? cursorBeforeWait_ : LoadStandardCursor(IDC_ARROW));
    } else if (m_nWaitCursorCount > 0) {
        SetCursor(LoadStandardCursor(IDC_WAIT));
    }
}

void CWinApp::WinHelp(std::uintptr_t data, UINT command)
{
    if (m_pszHelpFilePath)
        qm::ui::WinHelp(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_pszHelpFilePath, command, data);
}

CWinApp* AfxGetApp()
{
    detail::UiLock lock;
    auto& apps = applications();
    return apps.empty() ? nullptr : apps.front();
}

HINSTANCE AfxGetInstanceHandle()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_hInstance : nullptr;
}

HINSTANCE AfxGetResourceHandle() { return resourceOverride ? resourceOverride : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE instance) { resourceOverride = instance; }

CWnd* AfxGetMainWnd()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    CWinApp* app = AfxGetApp();
    CWnd* main = AfxGetMainWnd();
    return MessageBox(main ? main->m_hWnd : nullptr, text, app && app->m_pszAppName ? app->m_pszAppName : "Error", type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId)
{
    return AfxMessageBox(loadString(AfxGetResourceHandle(), stringId).c_str(), type, helpId);
}

}  // namespace qm::ui
