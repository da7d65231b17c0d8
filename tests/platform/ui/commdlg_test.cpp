// The Open and Save As dialogs, and the hook protocol a customised Save As
// dialog relies on.
#include <algorithm>
#include <cstring>

#include "platform/ui/commdlg/commdlg.h"
#include "platform/ui/framework/afx.h"
#include "tests/platform/ui/resources/test_resource.h"
#include "tests/platform/ui/ui_test_support.h"
#include "tests/support/temp_dir.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

class FileDialogTest : public UiTest {
protected:
    qm::test::TempDir dir;
    void touch(const std::string& name) { qm::test::writeTextFile(dir.file(name), "x"); }
};

TEST_F(FileDialogTest, OpenWithMultipleSelectionListsTheFolderThenEachName)
{
    touch("a.jpg");
    touch("b.jpg");
    char buffer[2048] = {};
    OPENFILENAME ofn;
    ofn.lpstrFilter = "JPEG (*.jpg)\0*.jpg\0All\0*.*\0\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    automation::answerNextFileDialog({dir.file("a.jpg"), dir.file("b.jpg")});
    ASSERT_TRUE(GetOpenFileName(&ofn));
    EXPECT_STREQ(buffer, dir.path().c_str());
    EXPECT_STREQ(buffer + ofn.nFileOffset, "a.jpg");
    EXPECT_STREQ(buffer + ofn.nFileOffset + 6, "b.jpg");
    EXPECT_EQ(buffer[ofn.nFileOffset + 12], '\0');
}

TEST_F(FileDialogTest, TooSmallABufferFailsWithoutWritingPastIt)
{
    touch("picture.jpg");
    char buffer[12];
    std::memset(buffer, 'z', sizeof buffer);
    OPENFILENAME ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = 8;  // the last four bytes must stay untouched
    buffer[0] = '\0';
    automation::answerNextFileDialog({dir.file("picture.jpg")});
    EXPECT_FALSE(GetOpenFileName(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(std::string(buffer + 8, 4), "zzzz");
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeOverwriting)
{
    char buffer[260] = {};
    OPENFILENAME ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.lpstrDefExt = "JPG";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    automation::answerNextFileDialog({dir.file("IMG_0001")});
    ASSERT_TRUE(GetSaveFileName(&ofn));
    EXPECT_EQ(std::string(buffer), dir.file("IMG_0001.JPG"));
    EXPECT_TRUE(automation::messageBoxes().empty());

    touch("IMG_0001.JPG");
    automation::answerNextFileDialog({dir.file("IMG_0001.JPG")});
    automation::answerNextMessageBox(IDNO);  // keep the old file: the dialog stays
    automation::whenIdle([] { automation::pressKey(VK_ESCAPE); });
    EXPECT_FALSE(GetSaveFileName(&ofn));
    ASSERT_EQ(automation::messageBoxes().size(), 1u);
    EXPECT_NE(automation::messageBoxes()[0].text.find("already exists"), std::string::npos);
    EXPECT_EQ(CommDlgExtendedError(), 0u);  // a cancel is no error
}

TEST_F(FileDialogTest, InitialNameWithBackslashesOpensInItsFolder)
{
    char buffer[260];
    std::string initial = dir.path() + "/list.120";
    std::replace(initial.begin(), initial.end(), '/', '\\');
    std::strcpy(buffer, initial.c_str());
    OPENFILENAME ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.lpstrDefExt = "119";
    std::string folderSeen;
    automation::whenIdle([&] {
        HWND dialog = automation::findWindow("Save As");
        char folder[260];
        SendMessage(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
        folderSeen = folder;
        SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(GetSaveFileName(&ofn));
    EXPECT_EQ(folderSeen, dir.path());
    EXPECT_EQ(std::string(buffer), dir.file("list.120"));
}

// A Save As dialog customised like the panel's folder chooser.
class FolderChooser : public CFileDialog {
public:
    FolderChooser() : CFileDialog(FALSE, "119", "list.120", OFN_HIDEREADONLY | OFN_ENABLETEMPLATE, "JPG File(*.jpg)|*.jpg||")
    {
        m_ofn.lpTemplateName = MAKEINTRESOURCE(IDD_SAVE_CHILD);
        m_ofn.hInstance = self();
        RegisterWindowMessage("commdlg_FileNameOK");
    }
    std::vector<std::string> folders;
    int refusals = 0;
    bool confirmed = false;
    bool initialised = false;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        HideControl(stc2);
        HideControl(cmb1);
        HideControl(chx1);
        HideControl(edt1);
        HideControl(IDOK);
        HideControl(IDCANCEL);
        return TRUE;
    }
    void OnFolderChange() override
    {
        folders.push_back(GetFolderPath());
        SetDlgItemText(IDC_FIRST_NAME, (GetFolderPath() + "/IMG_0001.jpg").c_str());
    }
    BOOL OnFileNameOK() override
    {
        if (!confirmed)
            ++refusals;
        return confirmed ? FALSE : TRUE;
    }
    void OnOK() override
    {
        confirmed = true;
        CFileDialog::OnOK();
    }
};

TEST_F(FileDialogTest, CustomisedSaveAsFollowsTheHookProtocol)
{
    qm::test::TempDir other;
    FolderChooser chooser;
    automation::whenIdle([&] {
        HWND common = automation::findWindow("Save As");
        ASSERT_NE(common, nullptr);
        EXPECT_TRUE(chooser.initialised);
        EXPECT_EQ(GetParent(chooser.m_hWnd), common);
        // The common dialog's own controls asked for are hidden.
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(common, edt1)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(common, IDOK)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(common, lst1)));
        // The standard controls sit inside the template's stc32 area.
        RECT list, area;
        GetWindowRect(GetDlgItem(common, lst1), &list);
        GetWindowRect(GetDlgItem(chooser.m_hWnd, stc32), &area);
        EXPECT_GE(list.left, area.left);
        EXPECT_GE(list.top, area.top);
        // Changing folder notifies; the hook can ask for folder, path and file pattern.
        SetDlgItemText(common, edt1, other.path().c_str());
        SendMessage(common, WM_COMMAND, IDOK, 0);  // a folder name enters the folder
        EXPECT_EQ(chooser.GetFolderPath(), other.path());
        SetDlgItemText(common, edt1, "list.120");
        EXPECT_EQ(chooser.GetFileSpec(), "list.120");
        EXPECT_EQ(chooser.GetPathName(), other.file("list.120"));
        // The common dialog's own confirmation is refused until the template's OK.
        SendMessage(common, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindow(common));
        EXPECT_EQ(chooser.refusals, 1);
        automation::click(GetDlgItem(chooser.m_hWnd, IDOK));
    });
    ASSERT_EQ(chooser.DoModal(), IDOK);
    EXPECT_EQ(chooser.refusals, 1);
    ASSERT_GE(chooser.folders.size(), 2u);
    EXPECT_EQ(chooser.folders.back(), other.path());
    EXPECT_EQ(chooser.GetPathName(), other.file("list.120"));
    EXPECT_EQ(chooser.m_hWnd, nullptr);  // detached when its window went
}

TEST_F(FileDialogTest, AnsweringWithAFolderPressesTheTemplatesOwnOk)
{
    FolderChooser chooser;
    automation::answerNextFileDialog({dir.path()});
    ASSERT_EQ(chooser.DoModal(), IDOK);
    EXPECT_TRUE(chooser.confirmed);
    EXPECT_EQ(chooser.folders.back(), dir.path());
}

}  // namespace
}  // namespace qm::ui::test
