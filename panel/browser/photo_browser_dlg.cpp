// The browser window itself: creation, layout, painting and the routing of
// its commands and messages.
#include "panel/browser/photo_browser_dlg.h"

#include "panel/browser/browser_commands.h"
#include "panel/browser/toolbar_layout.h"
#include "panel/entry/panel_globals.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/trace.h"

namespace qm::panel {

using ui::CDialog;
IMPLEMENT_DYNAMIC(CPhotoBrowserDlg, CDialog)

namespace {

CPhotoBrowserDlg* theBrowser = nullptr;

constexpr int kBackgroundWidth = 634;
constexpr int kBackgroundHeight = 455;

}  // namespace

CPhotoBrowserDlg* browserDialog()
{
    return theBrowser;
}

CPhotoBrowserDlg::CPhotoBrowserDlg(ui::CWnd* owner) : ui::CDialog(IDD_PHOTO_BROWSER, owner), owner_(owner)
{
    m_hResource = panelInstance();
}

CPhotoBrowserDlg::~CPhotoBrowserDlg()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
    if (theBrowser == this)
        theBrowser = nullptr;
    if (panelState().browser == this)
        panelState().browser = nullptr;
}

ui::BOOL CPhotoBrowserDlg::CreateBrowser()
{
    return Create(IDD_PHOTO_BROWSER, owner_);
}

ui::BOOL CPhotoBrowserDlg::OnInitDialog()
{
    ui::CDialog::OnInitDialog();
    background_.LoadBitmap(panelInstance(), IDB_BACKGROUND);
    ui::BITMAP bm{};
    const int width = background_.GetBitmap(&bm) ? bm.bmWidth : kBackgroundWidth;
    const int height = background_.GetBitmap(&bm) ? bm.bmHeight : kBackgroundHeight;
    ui::CRect window;
    ui::CRect client;
    GetWindowRect(&window);
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, width + window.Width() - client.Width(), height + window.Height() - client.Height(),
                 ui::SWP_NOMOVE | ui::SWP_NOZORDER | ui::SWP_NOACTIVATE);
    CenterWindow(owner_);

    moduleBusyCursor().begin();
    theBrowser = this;
    panelState().browser = this;
    createControls();
    moduleBusyCursor().end();

    SetWindowText(panelString(IDS_BROWSER_TITLE));
    SetDisconnectedButtons(true);
    Invalidate(ui::TRUE);
    return ui::TRUE;
}

void CPhotoBrowserDlg::createControls()
{
    for (const ToolbarButton& place : kToolbar) {
        auto button = std::make_unique<CBmpButton>();
        const ButtonLooks looks{ui::UINT(place.normal), ui::UINT(place.pressed), ui::UINT(place.focus),
                                ui::UINT(place.disabled)};
        button->attach(this, ui::UINT(place.id), looks,
                       ui::CRect(place.x, place.y, place.x + place.width, place.y + place.height));
        button->setHint(panelString(ui::UINT(place.hint)));
        toolbar_.push_back(std::move(button));
    }
    focusSink_.attach(this, IDC_FOCUS_SINK, ButtonLooks{IDB_FOCUS_SINK, IDB_FOCUS_SINK, IDB_FOCUS_SINK, IDB_FOCUS_SINK},
                      ui::CRect(kFocusSinkX, kFocusSinkY, kFocusSinkX + kFocusSinkSize, kFocusSinkY + kFocusSinkSize));

    for (int index = 0; index < kCellCount; ++index)
        cells_[std::size_t(index)].attach(this, index, ui::POINT{cellX(index), cellY(index)});

    progress_.Create(this, ui::CRect(kProgressX, kProgressY, kProgressX + kProgressWidth, kProgressY + kProgressHeight),
                     IDC_PROGRESS_BAR);
}

void CPhotoBrowserDlg::destroyControls()
{
    for (CThumbCell& cell : cells_) {
        if (cell.m_hWnd != nullptr)
            cell.DestroyWindow();
    }
    for (auto& button : toolbar_) {
        if (button->m_hWnd != nullptr)
            button->DestroyWindow();
    }
    toolbar_.clear();
    if (focusSink_.m_hWnd != nullptr)
        focusSink_.DestroyWindow();
    if (progress_.m_hWnd != nullptr)
        progress_.DestroyWindow();
}

CBmpButton* CPhotoBrowserDlg::toolbarButton(int id)
{
    for (auto& button : toolbar_) {
        if (button->GetDlgCtrlID() == id)
            return button.get();
    }
    return nullptr;
}

ui::BOOL CPhotoBrowserDlg::OnEraseBkgnd(ui::CDC*)
{
    return ui::TRUE;  // the background bitmap covers the whole client area
}

void CPhotoBrowserDlg::OnPaint()
{
    ui::CPaintDC dc(this);
    ui::CRect client;
    GetClientRect(&client);
    ui::BITMAP bm{};
    if (!background_.GetBitmap(&bm))
        return;
    ui::CDC memory;
    memory.CreateCompatibleDC(&dc);
    ui::HGDIOBJ old = memory.SelectObject(&background_);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, bm.bmWidth, bm.bmHeight, ui::SRCCOPY);
    memory.SelectObject(old);
}

void CPhotoBrowserDlg::OnMouseMove(ui::UINT flags, ui::CPoint point)
{
    // Over the background no toolbar button keeps the focus (hover) look.
    if (focusSink_.m_hWnd != nullptr && ui::GetFocus() != focusSink_.m_hWnd)
        focusSink_.SetFocus();
    ui::CDialog::OnMouseMove(flags, point);
}

ui::BOOL CPhotoBrowserDlg::OnSetCursor(ui::CWnd*, ui::UINT, ui::UINT)
{
    moduleBusyCursor().setCursorHook();
    return ui::TRUE;
}

void CPhotoBrowserDlg::OnTimer(ui::UINT_PTR id)
{
    if (id == kPollingTimer)
        pollOnce();
    else
        ui::CDialog::OnTimer(id);
}

void CPhotoBrowserDlg::OnClose()
{
    closing_ = true;
    leave();
}

void CPhotoBrowserDlg::OnDestroy()
{
    closing_ = true;
    ui::WinHelp(m_hWnd, nullptr, ui::HELP_QUIT, 0);
    StopPolling();
    destroyControls();
    panelState().resetLists();
    if (panelState().browser == this)
        panelState().browser = nullptr;
    if (theBrowser == this)
        theBrowser = nullptr;
    ui::CDialog::OnDestroy();
}

ui::BOOL CPhotoBrowserDlg::PreTranslateMessage(ui::MSG* msg)
{
    // Keys do nothing in the browser (Tab, Enter and Escape included); each
    // one goes to the service screen as a "Y".
    if (msg->message == ui::WM_KEYDOWN && (msg->hwnd == m_hWnd || ui::IsChild(m_hWnd, msg->hwnd))) {
        runServiceAction(service_.feed('Y'));
        return ui::TRUE;
    }
    return ui::CDialog::PreTranslateMessage(msg);
}

void CPhotoBrowserDlg::OnOK()
{
    // Enter does nothing.
}

void CPhotoBrowserDlg::OnCancel()
{
    leave();
}

ui::BOOL CPhotoBrowserDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam)
{
    const int id = ui::LOWORD(wParam);
    const int code = ui::HIWORD(wParam);
    if (code != ui::BN_CLICKED)
        return ui::CDialog::OnCommand(wParam, lParam);
    if (id >= IDC_SERVICE_A && id <= IDC_SERVICE_Z) {
        runServiceAction(service_.feed(char('A' + (id - IDC_SERVICE_A))));
        return ui::TRUE;
    }
    switch (id) {
    case ui::IDOK:
        OnOK();
        return ui::TRUE;
    case ui::IDCANCEL:
    case IDC_EXIT:
        leave();
        return ui::TRUE;
    case IDC_ABOUT:
        showAbout();
        return ui::TRUE;
    case IDC_HELP:
        showHelp();
        return ui::TRUE;
    case IDC_FIRMWARE:
        showFirmwareVersion();
        return ui::TRUE;
    case IDC_VERSION:
        showSoftwareVersion();
        return ui::TRUE;
    default:
        break;
    }
    return runBrowserCommand(*this, id) ? ui::TRUE : ui::CDialog::OnCommand(wParam, lParam);
}

void CPhotoBrowserDlg::repaintNow()
{
    RedrawWindow(nullptr, nullptr, ui::RDW_INVALIDATE | ui::RDW_UPDATENOW | ui::RDW_ALLCHILDREN);
}

void CPhotoBrowserDlg::PumpMessages()
{
    ui::processPendingMessages(m_hWnd);
}

int CPhotoBrowserDlg::ShowMessage(const std::string& text, ui::UINT type)
{
    const std::string caption = panelString(IDS_CAPTION);
    return ui::MessageBox(m_hWnd, text.c_str(), caption.c_str(), type);
}

int CPhotoBrowserDlg::ShowMessage(ui::UINT stringId, ui::UINT type)
{
    return ShowMessage(panelString(stringId), type);
}

}  // namespace qm::panel
