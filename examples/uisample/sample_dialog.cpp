#include "examples/uisample/sample_dialog.h"

#include "examples/uisample/resource.h"
#include "examples/uisample/save_dialog.h"

namespace uisample {

IMPLEMENT_DYNAMIC(CCaptionButton, CBitmapButton)
IMPLEMENT_DYNAMIC(CSampleDialog, CDialog)

void CCaptionButton::DrawItem(DRAWITEMSTRUCT* dis)
{
    CBitmapButton::DrawItem(dis);
    const std::string caption = GetWindowText();
    RECT r = dis->rcItem;
    if (dis->itemState & ODS_SELECTED)
        r = {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
    SelectObject(dis->hDC, GetFont());
    SetBkMode(dis->hDC, TRANSPARENT);
    SetTextColor(dis->hDC, (dis->itemState & ODS_DISABLED) ? RGB(200, 200, 200) : RGB(255, 255, 255));
    DrawText(dis->hDC, caption.c_str(), int(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 220;

}  // namespace

CSampleDialog::CSampleDialog() : CDialog(IDD_MAIN) {}

BOOL CSampleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    background_.LoadBitmap(IDB_BACKGROUND);
    // The client area takes the background's size.
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, kWidth + window.Width() - client.Width(), kHeight + window.Height() - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER);
    CenterWindow();
    SetWindowText(loadString(AfxGetResourceHandle(), IDS_TITLE));

    struct Skin {
        CCaptionButton& button;
        int id;
        int x;
    } skins[] = {{messageButton_, IDC_MESSAGE, 20}, {saveButton_, IDC_SAVE, 135}, {quitButton_, IDCANCEL, 250}};
    for (Skin& s : skins) {
        s.button.SubclassDlgItem(UINT(s.id), this);
        s.button.LoadBitmaps(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_FOCUS, IDB_BUTTON_DISABLED);
        s.button.MoveWindow(s.x, 172, 90, 28, FALSE);
    }
    pulse_.Create(CRect(20, 128, 340, 146), this, 1100);
    titleFont_.CreateFont(24, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_ROMAN, "Times New Roman");
    textFont_.CreateFont(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    return TRUE;
}

BOOL CSampleDialog::OnEraseBkgnd(CDC*) { return TRUE; }  // the background bitmap covers everything

void CSampleDialog::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = memory.SelectObject(&background_);
    BITMAP bm{};
    background_.GetBitmap(&bm);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    memory.SelectObject(old);

    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&titleFont_);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(20, 16, loadString(AfxGetResourceHandle(), IDS_TITLE));
    dc.SelectObject(&textFont_);
    dc.SetTextColor(RGB(220, 230, 255));
    dc.TextOut(20, 52, loadString(AfxGetResourceHandle(), IDS_SUBTITLE));
    dc.SetTextColor(RGB(255, 236, 160));
    CRect status(20, 80, 340, 120);
    dc.DrawText(status_, &status, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void CSampleDialog::setStatus(const std::string& status)
{
    status_ = status;
    CRect area(20, 80, 340, 120);
    InvalidateRect(&area, FALSE);
}

BOOL CSampleDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_MESSAGE) {
        const int answer = MessageBox(loadString(AfxGetResourceHandle(), IDS_MESSAGE).c_str(), "UI Sample",
                                      MB_OKCANCEL | MB_ICONINFORMATION);
        events_.push_back("message " + std::to_string(answer));
        setStatus(answer == IDOK ? "The message was confirmed." : "The message was cancelled.");
        return TRUE;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_SAVE) {
        CSampleSaveDialog save(this);
        if (save.DoModal() == IDOK) {
            events_.push_back("saved " + save.GetPathName() + " prefix " + save.prefix());
            setStatus("Saved as " + save.GetPathName() + " with prefix " + save.prefix() + ".");
        } else {
            events_.push_back("save cancelled");
            setStatus("Saving was cancelled.");
        }
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CSampleDialog::OnCancel()
{
    events_.push_back("quit");
    CDialog::OnCancel();
}

}  // namespace uisample
