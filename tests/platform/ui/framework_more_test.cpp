// More of the class framework: drawing classes, temporary objects, command
// reflection, the file dialog's results, application loops and messages.
#include <cstring>

#include "platform/ui/framework/afx.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/support/temp_dir.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

class CPainted : public CWnd {
public:
    int paints = 0;

protected:
    void OnPaint() override
    {
        ++paints;
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(0x35, 0x38, 0x35));
        CPen pen(PS_SOLID, 1, RGB(0xFF, 0xA1, 0x67));
        HGDIOBJ old = dc.SelectObject(&pen);
        dc.MoveTo(11, 18);
        dc.LineTo(40, 18);
        dc.SelectObject(old);
    }
};

class CNotified : public CButton {
public:
    int clicks = 0;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            ++clicks;
            return TRUE;  // handled here: the parent never hears of it
        }
        return CButton::OnChildNotify(message, wParam, lParam, result);
    }
};

class FrameworkMoreTest : public UiTest {};

TEST_F(FrameworkMoreTest, PaintDcPaintsAndValidates)
{
    Recorder::registerClass();
    CPainted painted;
    ASSERT_TRUE(painted.CreateEx(0, Recorder::kClass, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 40), nullptr, 0));
    automation::pumpPending();
    EXPECT_EQ(painted.paints, 1);
    EXPECT_EQ(automation::pixelAt(painted.m_hWnd, 2, 2), RGB(0x35, 0x38, 0x35));
    EXPECT_EQ(automation::pixelAt(painted.m_hWnd, 20, 18), RGB(0xFF, 0xA1, 0x67));
    automation::pumpPending();
    EXPECT_EQ(painted.paints, 1);  // nothing left to paint
    painted.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(painted.paints, 2);
    {
        CClientDC dc(&painted);
        dc.SetPixel(1, 1, RGB(9, 9, 9));
        EXPECT_EQ(dc.GetPixel(1, 1), RGB(9, 9, 9));
        CSize size = dc.GetTextExtent("Load 1/3");
        EXPECT_GT(size.cx, 0);
    }
}

TEST_F(FrameworkMoreTest, TemporaryObjectsWrapWindowsWithoutTakingThemOver)
{
    HWND plain = Recorder::create(WS_POPUP, {0, 0, 10, 10});
    CWnd* temp = CWnd::FromHandle(plain);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandle(plain), temp);  // the same one while the window lives
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CWnd attached;
    EXPECT_TRUE(attached.Attach(plain));
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), &attached);
    EXPECT_FALSE(CWnd().Attach(plain));  // one object per window
    EXPECT_EQ(attached.Detach(), plain);
    EXPECT_TRUE(IsWindow(plain));  // detaching leaves the window alone
}

TEST_F(FrameworkMoreTest, ControlsHandleTheirOwnNotificationsFirst)
{
    HWND parent = Recorder::create(WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
    CWnd host;
    host.SubclassWindow(parent);
    CNotified button;
    ASSERT_TRUE(button.Create("Go", WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 80, 40), &host, 77));
    Recorder::log().clear();
    automation::click(button.m_hWnd);
    automation::pumpPending();
    EXPECT_EQ(button.clicks, 1);
    EXPECT_TRUE(Recorder::only(WM_COMMAND).empty());  // reflected, never default-handled
    EXPECT_TRUE(button.IsKindOf(RUNTIME_CLASS(CButton)));
    EXPECT_EQ(button.GetDlgCtrlID(), 77);
    host.UnsubclassWindow();
}

TEST_F(FrameworkMoreTest, FileDialogResultsWalkEveryChosenFile)
{
    qm::test::TempDir dir;
    qm::test::writeTextFile(dir.file("one.bmp"), "");
    qm::test::writeTextFile(dir.file("two.bmp"), "");
    CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY, "Bitmaps (*.bmp)|*.bmp||");
    std::vector<char> buffer(2048, '\0');
    open.m_ofn.lpstrFile = buffer.data();
    open.m_ofn.nMaxFile = DWORD(buffer.size());
    automation::answerNextFileDialog({dir.file("one.bmp"), dir.file("two.bmp")});
    ASSERT_EQ(open.DoModal(), IDOK);
    std::vector<std::string> paths;
    for (POSITION p = open.GetStartPosition(); p;)
        paths.push_back(open.GetNextPathName(p));
    EXPECT_EQ(paths, (std::vector<std::string>{dir.file("one.bmp"), dir.file("two.bmp")}));

    CFileDialog single(TRUE);
    automation::answerNextFileDialog({dir.file("two.bmp")});
    ASSERT_EQ(single.DoModal(), IDOK);
    EXPECT_EQ(single.GetPathName(), dir.file("two.bmp"));
    EXPECT_EQ(single.GetFileName(), "two.bmp");
    EXPECT_EQ(single.GetFileExt(), "bmp");
    EXPECT_EQ(single.GetFolderPath(), dir.path());
    POSITION p = single.GetStartPosition();
    EXPECT_EQ(single.GetNextPathName(p), dir.file("two.bmp"));
    EXPECT_EQ(p, 0u);

    CFileDialog cancelled(FALSE);
    automation::answerNextFileDialog({});
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
}

TEST_F(FrameworkMoreTest, ApplicationRunsItsLoopUntilQuitAndShowsItsMessages)
{
    CWinApp app("Corvel Camera");
    app.m_hInstance = self();
    AfxSetResourceHandle(self());
    EXPECT_EQ(AfxGetResourceHandle(), self());
    automation::answerNextMessageBox(IDOK);
    EXPECT_EQ(AfxMessageBox(IDS_IDENTITY), IDOK);
    ASSERT_EQ(automation::messageBoxes().size(), 1u);
    EXPECT_EQ(automation::messageBoxes()[0].caption, "Corvel Camera");
    EXPECT_EQ(automation::messageBoxes()[0].text, "Corvel Camera 640X480 driver");
    PostQuitMessage(3);
    EXPECT_EQ(app.Run(), 3);
    AfxSetResourceHandle(nullptr);
}

TEST_F(FrameworkMoreTest, GdiObjectsDeleteTheirHandles)
{
    HGDIOBJ handle = nullptr;
    {
        CBrush brush(RGB(1, 2, 3));
        handle = brush.m_hObject;
        ASSERT_NE(handle, nullptr);
        BITMAP bm;
        EXPECT_EQ(brush.GetObject(sizeof bm, &bm), 0);  // a brush is no bitmap
    }
    EXPECT_FALSE(DeleteObject(handle));  // already gone
    CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(self(), IDB_QUAD));
    BITMAP bm{};
    ASSERT_TRUE(bitmap.GetBitmap(&bm));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_FALSE(bitmap.LoadBitmap(self(), IDB_QUAD));  // already holds one
    CFont font;
    EXPECT_TRUE(font.CreateFont(12, 5, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr));
    LOGFONT lf;
    ASSERT_EQ(font.GetObject(sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(lf.lfHeight, 12);
    EXPECT_EQ(lf.lfWidth, 5);
}

}  // namespace
}  // namespace qm::ui::test
