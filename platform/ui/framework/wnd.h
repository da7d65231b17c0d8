// CWnd: a window as an object. Messages reach virtual handler functions
// (OnPaint, OnLButtonDown, ...); what a handler does not take goes on to the
// window's original procedure with Default(). Windows made by Create,
// CreateEx or a CDialog are attached before their first message; existing
// ones (dialog controls) are subclassed by id.
#pragma once

#include <string>

#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/framework/gdi_objects.h"
#include "platform/ui/framework/geometry.h"
#include "platform/ui/framework/object.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui {

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    // Destroys a window still attached.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to a window, or a temporary one that lives as long
    // as the window (never null for a valid window).
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                          CWnd* parent, UINT id, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, UINT id, void* param = nullptr);
    virtual BOOL DestroyWindow();

    // Message plumbing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void PostNcDestroy() {}
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A parent passes its control's notifications (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM) back to the control's object first.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Message handlers; each defaults to the original procedure.
    virtual int OnCreate(CREATESTRUCT* cs);
    virtual void OnDestroy();
    virtual void OnNcDestroy();
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnRButtonDblClk(UINT flags, CPoint point);
    virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
    virtual void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnChar(UINT ch, UINT repeat, UINT flags);
    virtual void OnClose();
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual void OnEnable(BOOL enable);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnCaptureChanged(CWnd* wnd);
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
    virtual void OnDrawItem(int id, DRAWITEMSTRUCT* dis);
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColorMessage);

    // Window functions on this window.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;
    int GetDlgCtrlID() const { return qm::ui::GetDlgCtrlID(m_hWnd); }
    DWORD GetStyle() const { return DWORD(GetWindowLongPtr(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return DWORD(GetWindowLongPtr(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add);
    void SetWindowText(LPCSTR text) { qm::ui::SetWindowText(m_hWnd, text); }
    void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
    int GetWindowText(LPSTR buffer, int size) const { return qm::ui::GetWindowText(m_hWnd, buffer, size); }
    void GetWindowText(std::string& text) const { text = getWindowText(m_hWnd); }
    std::string GetWindowText() const { return getWindowText(m_hWnd); }
    int GetWindowTextLength() const { return qm::ui::GetWindowTextLength(m_hWnd); }
    void SetDlgItemText(int id, LPCSTR text) { qm::ui::SetDlgItemText(m_hWnd, id, text); }
    std::string GetDlgItemText(int id) const { return getDlgItemText(m_hWnd, id); }
    int GetDlgItemText(int id, LPSTR buffer, int size) const { return int(qm::ui::GetDlgItemText(m_hWnd, id, buffer, size)); }
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { qm::ui::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const
    {
        return qm::ui::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    BOOL ShowWindow(int command) { return qm::ui::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return qm::ui::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return qm::ui::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return qm::ui::IsWindowVisible(m_hWnd); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        qm::ui::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE)
    {
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(RECT* rect) const { qm::ui::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { qm::ui::GetClientRect(m_hWnd, rect); }
    void ClientToScreen(POINT* p) const { qm::ui::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(RECT* r) const;
    void ScreenToClient(POINT* p) const { qm::ui::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(RECT* r) const;
    void Invalidate(BOOL erase = TRUE) { qm::ui::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { qm::ui::InvalidateRect(m_hWnd, rect, erase); }
    void ValidateRect(const RECT* rect) { qm::ui::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() { qm::ui::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* rect = nullptr, void* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return qm::ui::RedrawWindow(m_hWnd, rect, region, flags);
    }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr)
    {
        return qm::ui::SetTimer(m_hWnd, id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return qm::ui::KillTimer(m_hWnd, id); }
    CWnd* SetCapture() { return FromHandle(qm::ui::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(qm::ui::GetCapture()); }
    CWnd* SetFocus() { return FromHandle(qm::ui::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(qm::ui::GetFocus()); }
    CWnd* SetActiveWindow() { return FromHandle(qm::ui::SetActiveWindow(m_hWnd)); }
    // Centres over the owner (or the parent of a child window), or the
    // alternate window when given.
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void BringWindowToTop() { qm::ui::BringWindowToTop(m_hWnd); }
    BOOL IsChild(const CWnd* wnd) const { return wnd && qm::ui::IsChild(m_hWnd, wnd->m_hWnd); }
    void SetFont(CFont* font, BOOL redraw = TRUE);
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

protected:
    WNDPROC m_pfnSuper = nullptr;  // the procedure before subclassing

private:
    friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool temporary_ = false;
};

// The framework's window procedure; every attached window runs through it.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

namespace detail {
// Makes the next window the calling thread creates belong to `wnd`.
void attachNextCreated(CWnd* wnd);
void installFrameworkHooks();
}  // namespace detail

}  // namespace qm::ui
