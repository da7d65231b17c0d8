// The application object: one per module that uses the framework. Its
// instance is the module that contains the object, which is also where the
// framework finds resources unless told otherwise.
#pragma once

#include "platform/ui/framework/object.h"
#include "platform/ui/help/help.h"
#include "platform/ui/types.h"

namespace qm::ui {

class CWnd;

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // The message loop of an application that owns its process.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg);

    HCURSOR LoadStandardCursor(LPCSTR id) const;
    HCURSOR LoadCursor(LPCSTR id) const { return LoadStandardCursor(id); }
    // The wait cursor counts nested begins; restoring re-applies it while
    // any is open (after something else changed the cursor).
    void BeginWaitCursor() { DoWaitCursor(1); }
    void EndWaitCursor() { DoWaitCursor(-1); }
    void RestoreWaitCursor() { DoWaitCursor(0); }
    virtual void DoWaitCursor(int code);
    void WinHelp(std::uintptr_t data, UINT command = HELP_CONTEXT);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszHelpFilePath = nullptr;
    int m_nWaitCursorCount = 0;

private:
    HCURSOR cursorBeforeWait_ = nullptr;
};

// The application of the process (the first still alive), or null.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Where the framework loads templates and bitmaps from: the module set by
// AfxSetResourceHandle, else the application's, else the main program.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
CWnd* AfxGetMainWnd();
int AfxMessageBox(LPCSTR text, UINT type = 0, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = 0, UINT helpId = 0);

}  // namespace qm::ui
