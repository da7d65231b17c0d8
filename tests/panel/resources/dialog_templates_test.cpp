// The panel's dialog templates: the controls each window's code looks for,
// with the styles it relies on, and the small dialogs working by keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/commdlg/commdlg.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/input/keys.h"
#include "platform/ui/message/message.h"
#include "platform/ui/resource/resource.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/styles.h"
#include "platform/ui/window/window.h"

namespace qm::panel::test {
namespace {

using namespace qm::ui;

DialogTemplate load(unsigned id)
{
    auto t = loadDialogTemplate(panelInstance(), id);
    EXPECT_TRUE(t) << "template " << id;
    return t ? *t : DialogTemplate{};
}

const DialogItem* item(const DialogTemplate& t, int id)
{
    for (const DialogItem& i : t.items)
        if (i.id == id)
            return &i;
    return nullptr;
}

bool isOwnerDrawnButton(const DialogItem* i)
{
    return i && i->className == "Button" && (i->style & BS_TYPEMASK) == BS_OWNERDRAW;
}

bool visible(const DialogItem* i) { return i && (i->style & WS_VISIBLE); }

// The letter after a single '&', or 0.
char mnemonicOf(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return char(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

std::string withoutMnemonic(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

std::string outputDirectory()
{
    const std::string dir = QM_BUILD_TEST_DIR "/panel_resources";
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(DialogTemplates, ThePhotoBrowserHoldsEveryControlAtTheOrigin)
{
    const DialogTemplate t = load(IDD_PHOTO_BROWSER);
    EXPECT_EQ(t.caption, "Corvel Camera");
    EXPECT_TRUE(t.style & WS_POPUP);
    EXPECT_TRUE(t.style & WS_CAPTION);
    EXPECT_FALSE(t.style & (WS_CHILD | WS_VISIBLE));

    const int toolbar[] = {1013, 1002, 1020, 1021, 1012, 1007, 1001, 1008, 1009,
                           1023, 1015, 1019, 1000, 1003, 1005, 1011, 1004};
    for (int id : toolbar) {
        const DialogItem* i = item(t, id);
        ASSERT_TRUE(isOwnerDrawnButton(i)) << id;
        EXPECT_TRUE(visible(i)) << id;
        EXPECT_TRUE(i->style & WS_TABSTOP) << id;
        EXPECT_FALSE(i->text.empty()) << id << " names its command";
        EXPECT_EQ(mnemonicOf(i->text), 0) << id << ": Alt+letters belong to the service buttons";
        EXPECT_EQ(i->x, 0);
        EXPECT_EQ(i->y, 0);
        EXPECT_EQ(i->cx, 6);
        EXPECT_EQ(i->cy, 6);
    }
    EXPECT_TRUE(isOwnerDrawnButton(item(t, IDC_FOCUS_SINK)));
    EXPECT_TRUE(visible(item(t, IDC_FOCUS_SINK)));
    for (int id = IDC_FIRST_CELL; id <= IDC_LAST_CELL; ++id) {
        EXPECT_TRUE(isOwnerDrawnButton(item(t, id))) << id;
        EXPECT_TRUE(visible(item(t, id))) << id;
    }
    const DialogItem* progress = item(t, IDC_STANDARD_PROGRESS);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->className, PROGRESS_CLASS);
    EXPECT_FALSE(visible(progress));

    for (int letter = 0; letter < 26; ++letter) {
        const DialogItem* i = item(t, IDC_SERVICE_A + letter);
        ASSERT_TRUE(i) << letter;
        EXPECT_EQ(i->className, "Button");
        EXPECT_EQ(i->text, std::string("&") + char('A' + letter));
        EXPECT_FALSE(visible(i));
    }
    const std::pair<int, const char*> hidden[] = {
        {IDC_FIRMWARE, "Firmware"}, {IDC_VERSION, "Version"}, {IDC_ABOUT, nullptr}, {IDOK, nullptr}, {IDCANCEL, nullptr}};
    for (const auto& [id, text] : hidden) {
        const DialogItem* i = item(t, id);
        ASSERT_TRUE(i) << id;
        EXPECT_EQ(i->className, "Button");
        EXPECT_FALSE(visible(i)) << id;
        if (text) {
            EXPECT_EQ(i->text, text);
        }
    }
    EXPECT_EQ(t.items.size(), 17u + 1 + 12 + 1 + 26 + 5);
}

TEST(DialogTemplates, TheSaveFolderTemplateLeavesTheTopToTheCommonDialog)
{
    const DialogTemplate t = load(IDD_SAVE_FOLDER);
    EXPECT_EQ(t.cx, 283);
    EXPECT_EQ(t.style & (DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS), DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS);
    EXPECT_FALSE(t.style & (WS_POPUP | WS_CAPTION));

    const DialogItem* place = item(t, IDC_SAVE_PLACE);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->className, "Static");
    EXPECT_EQ(place->x, 0);
    EXPECT_EQ(place->y, 0);
    // Everything of our own lies below the common dialog's area.
    for (const DialogItem& i : t.items) {
        if (i.id != IDC_SAVE_PLACE) {
            EXPECT_GE(i.y, place->y + place->cy) << i.id;
        }
    }
    for (const DialogItem& i : t.items)
        EXPECT_LE(i.y + i.cy, t.cy) << i.id;

    ASSERT_TRUE(item(t, IDC_SAVE_GROUP));
    EXPECT_EQ(item(t, IDC_SAVE_GROUP)->text, "The selected pictures will be stored at");
    const std::pair<int, const char*> labels[] = {{IDC_SAVE_PREFIX_LABEL, "3 - Bytes Prefix: "},
                                                  {IDC_SAVE_START_LABEL, "Start No."},
                                                  {IDC_SAVE_FROM_LABEL, "from"},
                                                  {IDC_SAVE_TO_LABEL, "to"}};
    for (const auto& [id, text] : labels) {
        const DialogItem* i = item(t, id);
        ASSERT_TRUE(i) << id;
        EXPECT_EQ(i->className, "Static");
        EXPECT_EQ(withoutMnemonic(i->text), text);
    }
    for (int id : {IDC_SAVE_PREFIX, IDC_SAVE_START, IDC_SAVE_FIRST_NAME, IDC_SAVE_LAST_NAME}) {
        ASSERT_TRUE(item(t, id)) << id;
        EXPECT_EQ(item(t, id)->className, "Edit");
        EXPECT_TRUE(item(t, id)->style & WS_TABSTOP);
    }
    EXPECT_TRUE(item(t, IDC_SAVE_PREFIX)->style & ES_AUTOHSCROLL);
    EXPECT_FALSE(item(t, IDC_SAVE_PREFIX)->style & ES_READONLY);
    EXPECT_FALSE(item(t, IDC_SAVE_START)->style & ES_READONLY);
    EXPECT_TRUE(item(t, IDC_SAVE_FIRST_NAME)->style & ES_READONLY);
    EXPECT_TRUE(item(t, IDC_SAVE_LAST_NAME)->style & ES_READONLY);
    ASSERT_TRUE(item(t, IDOK) && item(t, IDCANCEL));
    EXPECT_EQ(item(t, IDOK)->style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(item(t, IDCANCEL)->style & BS_TYPEMASK, BS_PUSHBUTTON);

    // Tab stops run top to bottom, left to right.
    const DialogItem* previous = nullptr;
    for (const DialogItem& i : t.items) {
        if (!(i.style & WS_TABSTOP))
            continue;
        if (previous) {
            EXPECT_TRUE(i.y > previous->y + 4 || (std::abs(i.y - previous->y) <= 4 && i.x > previous->x))
                << previous->id << " before " << i.id;
        }
        previous = &i;
    }
}

TEST(DialogTemplates, TheOverwriteQuestionOffersFourAnswers)
{
    const DialogTemplate t = load(IDD_OVERWRITE);
    EXPECT_EQ(t.caption, "Corvel Camera");
    EXPECT_TRUE(t.style & DS_MODALFRAME);
    const DialogItem* text = item(t, IDC_OVERWRITE_TEXT);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->className, "Static");
    const DWORD type = text->style & SS_TYPEMASK;
    EXPECT_TRUE(type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) << "the question wraps";
    const std::pair<int, const char*> buttons[] = {
        {IDC_OVERWRITE_YES, "&Yes"}, {IDC_OVERWRITE_YES_TO_ALL, "Yes to &All"}, {IDC_OVERWRITE_NO, "&No"},
        {IDC_OVERWRITE_CANCEL, "Cancel"}};
    for (const auto& [id, caption] : buttons) {
        ASSERT_TRUE(item(t, id)) << id;
        EXPECT_EQ(item(t, id)->text, caption);
        EXPECT_TRUE(visible(item(t, id)));
    }
    EXPECT_EQ(item(t, IDC_OVERWRITE_YES)->style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST(DialogTemplates, StripDialogsCarryTheirCaptionsAndButtons)
{
    const DialogTemplate status = load(IDD_CAMERA_STATUS);
    EXPECT_EQ(status.caption, "Camera Status");
    ASSERT_TRUE(item(status, IDC_STATUS_EXIT));
    EXPECT_EQ(item(status, IDC_STATUS_EXIT)->className, "Button");
    EXPECT_FALSE(visible(item(status, IDOK)));
    EXPECT_FALSE(visible(item(status, IDCANCEL)));

    const DialogTemplate settings = load(IDD_CAMERA_SETTINGS);
    EXPECT_EQ(settings.caption, "Camera Settings");
    std::vector<int> owned = {IDOK, IDCANCEL};
    for (int id : {1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1046, 1047, 1048, 1049})
        owned.push_back(id);
    for (int id = 1030; id <= 1045; ++id)
        owned.push_back(id);
    for (int id = IDC_FIRST_REPEAT; id <= IDC_LAST_REPEAT; ++id)
        owned.push_back(id);
    for (int id : owned)
        EXPECT_TRUE(isOwnerDrawnButton(item(settings, id))) << id;
    EXPECT_EQ(settings.items.size(), owned.size());

    const DialogTemplate info = load(IDD_IMAGE_INFO);
    EXPECT_EQ(info.caption, "Image Information");
    ASSERT_EQ(info.items.size(), 2u);
    EXPECT_FALSE(visible(item(info, IDOK)));
    EXPECT_FALSE(visible(item(info, IDCANCEL)));

    for (const DialogTemplate* t : {&status, &settings, &info}) {
        EXPECT_TRUE(t->style & DS_MODALFRAME) << t->caption;
        EXPECT_TRUE(t->style & WS_POPUP) << t->caption;
    }
}

class DialogBehaviour : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostPumpsMessages();
        automation::pumpPending();
    }
    void TearDown() override
    {
        for (HWND w : automation::topLevelWindows())
            DestroyWindow(w);
        automation::pumpPending();
    }
};

LONG_PTR endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

TEST_F(DialogBehaviour, TheAboutBoxClosesWithEnterAndEscape)
{
    const DialogTemplate t = load(IDD_ABOUT);
    EXPECT_EQ(t.caption, "About Corvel Camera");
    EXPECT_TRUE(t.style & DS_MODALFRAME);
    ASSERT_TRUE(item(t, IDC_ABOUT_TEXT));
    EXPECT_EQ(item(t, IDC_ABOUT_TEXT)->className, "Static");

    std::string shownText;
    RECT picture{};
    automation::whenIdle([&] {
        HWND about = automation::findWindow("About Corvel Camera");
        shownText = getWindowText(GetDlgItem(about, IDC_ABOUT_TEXT));
        GetClientRect(GetDlgItem(about, IDC_ABOUT_PICTURE), &picture);
        automation::screenshot(about, outputDirectory() + "/about.png");
        automation::pressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxParam(panelInstance(), MAKEINTRESOURCE(IDD_ABOUT), nullptr, endOnCommand, 0), IDOK);
    EXPECT_EQ(shownText, panelString(IDS_ABOUT_TEXT));
    // The camera's picture (64 x 64) fits its place.
    EXPECT_GE(picture.right, 64);
    EXPECT_GE(picture.bottom, 64);

    automation::whenIdle([] { automation::pressKey(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxParam(panelInstance(), MAKEINTRESOURCE(IDD_ABOUT), nullptr, endOnCommand, 0), IDCANCEL);
}

TEST_F(DialogBehaviour, TheOverwriteQuestionFitsALongPath)
{
    HWND dialog = CreateDialogParam(panelInstance(), MAKEINTRESOURCE(IDD_OVERWRITE), nullptr, endOnCommand, 0);
    ASSERT_TRUE(dialog);
    HWND text = GetDlgItem(dialog, IDC_OVERWRITE_TEXT);
    const std::string question = formatPanelString(
        IDS_OVERWRITE, std::string("/home/photographer/My Pictures/Camera Downloads/Summer Holiday/IMG_0001.jpg"));
    SetWindowText(text, question.c_str());
    RECT box;
    GetClientRect(text, &box);
    RECT needed = box;
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(dialog, WM_GETFONT, 0, 0)));
    DrawText(dc, question.c_str(), int(question.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    EXPECT_LE(needed.bottom, box.bottom);
    EXPECT_LE(needed.right, box.right);
    ShowWindow(dialog, SW_SHOW);
    automation::pumpPending();
    EXPECT_TRUE(automation::screenshot(dialog, outputDirectory() + "/overwrite.png"));
    DestroyWindow(dialog);
}

// The save folder dialog as the panel shows it: the common dialog's file
// type, read-only and own buttons hidden.
struct SaveDialogFindings {
    std::vector<std::string> overlaps;
    std::vector<std::string> clipped;
    std::set<char> commonMnemonics;
    std::vector<int> focusAfterMnemonic;
    bool screenshot = false;
};

void inspectSaveDialog(SaveDialogFindings& out)
{
    HWND files = GetActiveWindow();
    HWND prefix = automation::findControl(files, IDC_SAVE_PREFIX);
    HWND child = GetParent(prefix);
    for (int id : {stc2, cmb1, chx1, IDOK, IDCANCEL})
        ShowWindow(GetDlgItem(files, id), SW_HIDE);
    SetWindowText(GetDlgItem(files, stc3), "");

    std::vector<HWND> common, own;
    for (HWND c = GetWindow(files, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c == child)
            continue;
        if (char m = mnemonicOf(getWindowText(c)))
            out.commonMnemonics.insert(m);
        if (IsWindowVisible(c))
            common.push_back(c);
    }
    for (HWND c = GetWindow(child, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && GetDlgCtrlID(c) != IDC_SAVE_PLACE)
            own.push_back(c);
    RECT area;
    GetWindowRect(child, &area);
    for (HWND o : own) {
        RECT r;
        GetWindowRect(o, &r);
        if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
            out.clipped.push_back(std::to_string(GetDlgCtrlID(o)));
        for (HWND c : common) {
            RECT s;
            GetWindowRect(c, &s);
            if (r.left < s.right && s.left < r.right && r.top < s.bottom && s.top < r.bottom)
                out.overlaps.push_back(std::to_string(GetDlgCtrlID(o)) + " over " + std::to_string(GetDlgCtrlID(c)));
        }
    }
}

TEST_F(DialogBehaviour, TheSaveFolderTemplateSitsBelowTheCommonControlsAndAnswersItsMnemonics)
{
    SaveDialogFindings findings;
    const char letters[] = {'P', 'A', 'F', 'O'};
    automation::whenIdle([&] {
        inspectSaveDialog(findings);
        automation::pressKey(letters[0], {.alt = true});
    });
    for (int i = 1; i <= 4; ++i)
        automation::whenIdle([&, i] {
            if (i == 1)
                findings.screenshot = automation::screenshot(GetActiveWindow(), outputDirectory() + "/save_folder.png");
            findings.focusAfterMnemonic.push_back(GetDlgCtrlID(GetFocus()));
            if (i < 4)
                automation::pressKey(letters[i], {.alt = true});
            else
                SendMessage(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
        });

    char file[260] = "";
    OPENFILENAME ofn;
    ofn.hInstance = panelInstance();
    ofn.lpstrFilter = "JPG File(*.jpg)\0*.jpg\0";  // pairs of NUL-terminated strings, then a NUL
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = QM_BUILD_TEST_DIR;
    ofn.Flags = OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;
    ofn.lpTemplateName = MAKEINTRESOURCE(IDD_SAVE_FOLDER);
    EXPECT_FALSE(GetSaveFileName(&ofn));

    EXPECT_TRUE(findings.screenshot);
    EXPECT_EQ(findings.overlaps, std::vector<std::string>{});
    EXPECT_EQ(findings.clipped, std::vector<std::string>{});
    EXPECT_EQ(findings.focusAfterMnemonic,
              (std::vector<int>{IDC_SAVE_PREFIX, IDC_SAVE_START, IDC_SAVE_FIRST_NAME, IDC_SAVE_LAST_NAME}));
    // The common dialog's controls keep their letters, hidden or not.
    for (char letter : letters)
        EXPECT_FALSE(findings.commonMnemonics.count(char(std::tolower(letter)))) << letter;
}

}  // namespace
}  // namespace qm::panel::test
