#include "platform/ui/framework/wnd.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/system/trace.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/framework/win_app.h"

namespace qm::ui {

IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace {

std::unordered_map<HWND, CWnd*>& permanentMap()
{
    static auto* map = new std::unordered_map<HWND, CWnd*>;
    return *map;
}

std::unordered_map<HWND, std::unique_ptr<CWnd>>& temporaryMap()
{
    static auto* map = new std::unordered_map<HWND, std::unique_ptr<CWnd>>;
    return *map;
}

thread_local CWnd* pendingCreate = nullptr;
thread_local std::vector<MSG> currentMessages;

void frameworkCreateHook(HWND hwnd, void*)
{
    if (CWnd* wnd = pendingCreate) {
        pendingCreate = nullptr;
        wnd->SubclassWindow(hwnd);
    }
}

// Offers a message to the objects of its window and its ancestors, then to
// the application.
bool walkPreTranslate(MSG* msg)
{
    for (HWND h = msg->hwnd; h;) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(h); wnd && wnd->PreTranslateMessage(msg))
            return true;
        HWND parent = GetAncestor(h, GA_PARENT);
        h = parent == GetDesktopWindow() ? nullptr : parent;
    }
    CWinApp* app = AfxGetApp();
    return app && app->PreTranslateMessage(msg);
}

CWnd* wndFromWParam(WPARAM w) { return CWnd::FromHandle(reinterpret_cast<HWND>(w)); }

}  // namespace

namespace detail {

void installFrameworkHooks()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    setCreateHook(frameworkCreateHook, nullptr);
    setPreTranslateHook(walkPreTranslate);
}

void attachNextCreated(CWnd* wnd)
{
    installFrameworkHooks();
    pendingCreate = wnd;
}

}  // namespace detail

CWnd::~CWnd()
{
    if (m_hWnd && !temporary_) {
        // Destroying from here cannot reach this object's handlers any more.
        HWND hwnd = Detach();
        qm::ui::DestroyWindow(hwnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    detail::UiLock lock;
    auto& map = permanentMap();
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    detail::UiLock lock;
    if (CWnd* wnd = FromHandlePermanent(hwnd))
        return wnd;
    if (!IsWindow(hwnd))
        return nullptr;
    auto& temps = temporaryMap();
    auto it = temps.find(hwnd);
    if (it == temps.end()) {
        auto wnd = std::make_unique<CWnd>();
        wnd->m_hWnd = hwnd;
        wnd->temporary_ = true;
        it = temps.emplace(hwnd, std::move(wnd)).first;
    }
    return it->second.get();
}

BOOL CWnd::Attach(HWND hwnd)
{
    detail::UiLock lock;
    if (!IsWindow(hwnd) || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    m_hWnd = hwnd;
    permanentMap()[hwnd] = this;
    return TRUE;
}

HWND CWnd::Detach()
{
    detail::UiLock lock;
    HWND hwnd = m_hWnd;
    if (hwnd)
        permanentMap().erase(hwnd);
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    detail::installFrameworkHooks();
    if (!Attach(hwnd))
        return FALSE;
    auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtr(hwnd, GWLP_WNDPROC));
    if (old != &AfxWndProc)
        m_pfnSuper = old;
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = parent ? qm::ui::GetDlgItem(parent->m_hWnd, int(id)) : nullptr;
    return control && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper)
        SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, id, param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, UINT id, void* param)
{
    detail::UiLock lock;
    if (m_hWnd)
        return FALSE;
    detail::attachNextCreated(this);
    HWND hwnd = CreateWindowEx(exStyle, className, windowName, style, x, y, width, height, parent,
                               std::intptr_t(id), AfxGetInstanceHandle(), param);
    detail::attachNextCreated(nullptr);
    if (!hwnd && m_hWnd)
        Detach();
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? qm::ui::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd)
        return qm::ui::DefWindowProc(hwnd, message, wParam, lParam);
    currentMessages.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        qm::sys::trace("qm::ui: exception escaped a framework message handler\n");
    }
    currentMessages.pop_back();
    if (message == WM_NCDESTROY) {
        // The window is gone; the object may live on (or delete itself).
        if (CWnd* still = CWnd::FromHandlePermanent(hwnd)) {
            still->Detach();
            still->m_pfnSuper = nullptr;
            still->PostNcDestroy();
        }
        temporaryMap().erase(hwnd);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return qm::ui::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (currentMessages.empty())
        return 0;
    const MSG m = currentMessages.back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return dispatch(message, wParam, lParam); }

LRESULT CWnd::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point(lParam);
    const UINT flags = UINT(wParam);
    switch (message) {
    case WM_CREATE: return OnCreate(reinterpret_cast<CREATESTRUCT*>(lParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY: OnNcDestroy(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: {
        CDC dc;
        dc.Attach(reinterpret_cast<HDC>(wParam));
        const BOOL erased = OnEraseBkgnd(&dc);
        dc.Detach();
        return erased;
    }
    case WM_TIMER: OnTimer(UINT_PTR(wParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(flags, point); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, point); return 0;
    case WM_LBUTTONUP: OnLButtonUp(flags, point); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(flags, point); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(flags, point); return 0;
    case WM_RBUTTONUP: OnRButtonUp(flags, point); return 0;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(flags, point); return 0;
    case WM_SETCURSOR: return OnSetCursor(wndFromWParam(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam)));
    case WM_KEYDOWN: OnKeyDown(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return 0;
    case WM_KEYUP: OnKeyUp(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return 0;
    case WM_SYSKEYDOWN: OnSysKeyDown(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return 0;
    case WM_CHAR: OnChar(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_SETFOCUS: OnSetFocus(wndFromWParam(wParam)); return 0;
    case WM_KILLFOCUS: OnKillFocus(wndFromWParam(wParam)); return 0;
    case WM_ENABLE: OnEnable(BOOL(wParam)); return 0;
    case WM_SHOWWINDOW: OnShowWindow(BOOL(wParam), UINT(lParam)); return 0;
    case WM_SIZE: OnSize(UINT(wParam), LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam))); return 0;
    case WM_MOVE: OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lParam))); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)), HIWORD(wParam)); return 0;
    case WM_COMMAND: return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_NOTIFY: {
        LRESULT result = 0;
        return OnNotify(wParam, lParam, &result) ? result : Default();
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        LRESULT result = 0;
        CWnd* control = dis ? FromHandlePermanent(dis->hwndItem) : nullptr;
        if (control && control->OnChildNotify(message, wParam, lParam, &result))
            return TRUE;
        OnDrawItem(int(wParam), dis);
        return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
        CDC dc;
        dc.Attach(reinterpret_cast<HDC>(wParam));
        HBRUSH brush = OnCtlColor(&dc, FromHandle(reinterpret_cast<HWND>(lParam)), message);
        dc.Detach();
        return reinterpret_cast<LRESULT>(brush);
    }
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    CWnd* control = lParam ? FromHandlePermanent(reinterpret_cast<HWND>(lParam)) : nullptr;
    return control && control != this && control->OnChildNotify(WM_COMMAND, wParam, lParam, &result);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    CWnd* control = header ? FromHandlePermanent(header->hwndFrom) : nullptr;
    return control && control != this && control->OnChildNotify(WM_NOTIFY, 0, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

int CWnd::OnCreate(CREATESTRUCT*) { return int(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return BOOL(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return BOOL(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return qm::ui::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return qm::ui::PostMessage(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(qm::ui::GetDlgItem(m_hWnd, id)); }
CWnd* CWnd::GetParent() const { return FromHandle(qm::ui::GetParent(m_hWnd)); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add)
{
    const DWORD style = GetStyle();
    const DWORD next = (style & ~remove) | add;
    if (next == style)
        return FALSE;
    SetWindowLongPtr(m_hWnd, GWL_STYLE, LONG_PTR(next));
    return TRUE;
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return qm::ui::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ClientToScreen(RECT* r) const
{
    POINT a{r->left, r->top}, b{r->right, r->bottom};
    ClientToScreen(&a);
    ClientToScreen(&b);
    *r = {a.x, a.y, b.x, b.y};
}

void CWnd::ScreenToClient(RECT* r) const
{
    POINT a{r->left, r->top}, b{r->right, r->bottom};
    ScreenToClient(&a);
    ScreenToClient(&b);
    *r = {a.x, a.y, b.x, b.y};
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    HWND over = alternateOwner ? alternateOwner->m_hWnd : nullptr;
    if (!over)
        over = (GetStyle() & WS_CHILD) ? qm::ui::GetParent(m_hWnd) : GetWindow(m_hWnd, GW_OWNER);
    qm::ui::CenterWindow(m_hWnd, over);
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    CWinApp* app = AfxGetApp();
    if (!caption)
        caption = app && app->m_pszAppName ? app->m_pszAppName : "Error";
    return qm::ui::MessageBox(m_hWnd, text, caption, type);
}

}  // namespace qm::ui
