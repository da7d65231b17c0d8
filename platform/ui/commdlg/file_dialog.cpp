// The Open and Save As dialogs.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/files.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/commdlg/commdlg.h"
#include "platform/ui/commdlg/file_listing.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/resource/resource.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

using namespace detail;

thread_local DWORD lastError = 0;
constexpr const char* kStateProp = "qm.filedialog";

struct FileDialog {
    OPENFILENAME* ofn = nullptr;
    bool save = false;
    std::string title;
    std::string folder;
    std::vector<FilterEntry> filters;
    std::vector<std::string> customPatterns;
    int filterIndex = 0;
    std::vector<FolderEntry> entries;
    HWND dialog = nullptr;
    HWND child = nullptr;
    UINT fileOkMessage = 0;
    DWORD error = 0;
};

FileDialog* stateOf(HWND dialog) { return static_cast<FileDialog*>(GetProp(dialog, kStateProp)); }

bool hooked(const FileDialog& s) { return (s.ofn->Flags & OFN_ENABLEHOOK) && s.ofn->lpfnHook && s.child; }

LRESULT notify(FileDialog& s, UINT code)
{
    if (!s.child)
        return 0;
    OFNOTIFY n;
    n.hdr.hwndFrom = s.dialog;
    n.hdr.code = code;
    n.lpOFN = s.ofn;
    SetWindowLongPtr(s.child, DWLP_MSGRESULT, 0);
    SendMessage(s.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    return IsWindow(s.child) ? GetWindowLongPtr(s.child, DWLP_MSGRESULT) : 0;
}

std::vector<std::string> currentPatterns(const FileDialog& s)
{
    if (!s.customPatterns.empty())
        return s.customPatterns;
    if (s.filterIndex >= 0 && s.filterIndex < int(s.filters.size()))
        return s.filters[std::size_t(s.filterIndex)].patterns;
    return {};
}

void refreshList(FileDialog& s)
{
    HWND list = GetDlgItem(s.dialog, lst1);
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    s.entries = listFolder(s.folder, currentPatterns(s));
    for (const FolderEntry& e : s.entries) {
        const std::string shown = e.directory ? "[" + e.name + "]" : e.name;
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
}

void navigate(FileDialog& s, std::string folder)
{
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(folder, ec);
    if (!ec)
        folder = canonical.string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    s.folder = folder;
    SetDlgItemText(s.dialog, cmb2, folder.c_str());
    refreshList(s);
    notify(s, CDN_FOLDERCHANGE);
}

std::string withSlashes(std::string name)
{
    if (name.find('/') == std::string::npos)
        std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "a.jpg" or, for several files, "\"a.jpg\" \"b.jpg\"".
std::vector<std::string> namesIn(const std::string& field)
{
    std::vector<std::string> names;
    if (field.find('"') == std::string::npos) {
        std::string trimmed = field;
        trimmed.erase(0, trimmed.find_first_not_of(' '));
        trimmed.erase(trimmed.find_last_not_of(' ') + 1);
        if (!trimmed.empty())
            names.push_back(trimmed);
        return names;
    }
    std::size_t i = 0;
    while ((i = field.find('"', i)) != std::string::npos) {
        const std::size_t end = field.find('"', i + 1);
        if (end == std::string::npos)
            break;
        if (end > i + 1)
            names.push_back(field.substr(i + 1, end - i - 1));
        i = end + 1;
    }
    return names;
}

void selectionToNameField(FileDialog& s)
{
    HWND list = GetDlgItem(s.dialog, lst1);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (!s.entries[i].directory && SendMessage(list, LB_GETSEL, i, 0) > 0)
            files.push_back(s.entries[i].name);
    if (files.empty())
        return;
    std::string field = files.size() == 1 ? files[0] : std::string();
    if (files.size() > 1)
        for (const std::string& f : files)
            field += (field.empty() ? "\"" : " \"") + f + "\"";
    SetDlgItemText(s.dialog, edt1, field.c_str());
}

// Copies with the NUL into the caller's buffer when it fits.
LRESULT copyOut(const std::string& text, WPARAM size, LPARAM buffer)
{
    const LRESULT needed = LRESULT(text.size() + 1);
    if (!buffer || std::size_t(size) < text.size() + 1)
        return needed;
    std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return needed;
}

bool warn(FileDialog& s, const std::string& text, UINT type = MB_OK | MB_ICONWARNING)
{
    return MessageBox(s.dialog, text.c_str(), s.title.c_str(), type) == IDYES;
}

// Stores the result in the caller's OPENFILENAME; false when it does not fit.
bool storeResult(FileDialog& s, const std::string& folder, const std::vector<std::string>& names)
{
    OPENFILENAME& ofn = *s.ofn;
    std::string result;
    WORD fileOffset = 0;
    if (names.size() == 1) {
        result = joinName(folder, names[0]);
        result.push_back('\0');
        fileOffset = WORD(result.rfind('/', result.size() - 2) + 1);
    } else {
        result = folder + '\0';
        fileOffset = WORD(result.size());
        for (const std::string& n : names)
            result += n + '\0';
    }
    result.push_back('\0');
    if (result.size() > ofn.nMaxFile || result.size() > 0xFFFF) {
        if (ofn.nMaxFile >= 2) {
            const std::size_t needed = std::min<std::size_t>(result.size(), 0xFFFF);
            ofn.lpstrFile[0] = char(needed & 0xFF);
            ofn.lpstrFile[1] = char(needed >> 8);
        }
        s.error = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn.lpstrFile, result.data(), result.size());
    ofn.nFileOffset = fileOffset;
    const std::string first = names.size() == 1 ? baseName(joinName(folder, names[0])) : names[0];
    const std::size_t dot = first.rfind('.');
    ofn.nFileExtension = dot == std::string::npos ? 0 : WORD(fileOffset + dot + 1);
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle > 0) {
        const std::size_t n = std::min<std::size_t>(first.size(), ofn.nMaxFileTitle - 1);
        std::memcpy(ofn.lpstrFileTitle, first.data(), n);
        ofn.lpstrFileTitle[n] = '\0';
    }
    if (IsDlgButtonChecked(s.dialog, chx1) == BST_CHECKED)
        ofn.Flags |= OFN_READONLY;
    else
        ofn.Flags &= ~OFN_READONLY;
    return true;
}

void accept(FileDialog& s)
{
    std::vector<std::string> names = namesIn(getDlgItemText(s.dialog, edt1));
    if (names.empty())
        return;
    std::string folder = s.folder;
    if (names.size() == 1) {
        std::string name = withSlashes(names[0]);
        const std::string path = joinName(folder, name);
        if (qm::sys::directoryExists(path)) {
            navigate(s, path);
            SetDlgItemText(s.dialog, edt1, "");
            return;
        }
        if (name.find_first_of("*?") != std::string::npos) {
            s.customPatterns = {name};
            refreshList(s);
            return;
        }
        std::string full = path;
        const std::string ext = s.ofn->lpstrDefExt ? s.ofn->lpstrDefExt : "";
        if (!ext.empty() && baseName(full).find('.') == std::string::npos)
            full += "." + ext;
        if (!qm::sys::directoryExists(parentOf(full))) {
            warn(s, full + "\nPath does not exist.\nPlease verify the correct path was given.");
            return;
        }
        if (!s.save && (s.ofn->Flags & OFN_FILEMUSTEXIST) && !qm::sys::fileExists(full)) {
            warn(s, baseName(full) + "\nFile not found.\nPlease verify the correct file name was given.");
            return;
        }
        if (s.save && (s.ofn->Flags & OFN_OVERWRITEPROMPT) && qm::sys::fileExists(full) &&
            !warn(s, full + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING))
            return;
        folder = parentOf(full);
        names = {baseName(full)};
    } else {
        for (const std::string& n : names)
            if (!s.save && !qm::sys::fileExists(joinName(folder, n))) {
                warn(s, n + "\nFile not found.\nPlease verify the correct file name was given.");
                return;
            }
    }
    if (!storeResult(s, folder, names)) {
        EndDialog(s.dialog, IDABORT);
        return;
    }
    // The hook may refuse the name and keep the dialog open.
    if (hooked(s) && s.ofn->lpfnHook(s.child, s.fileOkMessage, 0, reinterpret_cast<LPARAM>(s.ofn)) != 0)
        return;
    if (notify(s, CDN_FILEOK) != 0)
        return;
    EndDialog(s.dialog, IDOK);
}

LONG_PTR childProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    FileDialog* s = stateOf(GetParent(child));
    if (!s || !(s->ofn->Flags & OFN_ENABLEHOOK) || !s->ofn->lpfnHook)
        return FALSE;
    return LONG_PTR(s->ofn->lpfnHook(child, message, wParam, lParam));
}

// Places the hook's child dialog and, where it asks for them, the
// standard controls.
void createChild(FileDialog& s)
{
    const OPENFILENAME& ofn = *s.ofn;
    DialogTemplate tmpl;
    if (ofn.Flags & OFN_ENABLETEMPLATE) {
        auto loaded = IS_INTRESOURCE(ofn.lpTemplateName)
                          ? loadDialogTemplate(ofn.hInstance, resourceId(ofn.lpTemplateName))
                          : std::nullopt;
        if (!loaded) {
            s.error = CDERR_DIALOGFAILURE;
            return;
        }
        tmpl = *loaded;
    } else if (!(ofn.Flags & OFN_ENABLEHOOK)) {
        return;
    }
    tmpl.style = (tmpl.style & ~(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_CENTER)) | WS_CHILD |
                 WS_CLIPSIBLINGS | DS_CONTROL;
    tmpl.x = tmpl.y = 0;
    s.child = CreateDialogIndirectParam(ofn.hInstance, tmpl, s.dialog, childProc, reinterpret_cast<LPARAM>(s.ofn));
    if (!s.child)
        return;
    RECT std{0, 0, 0, 0};
    GetClientRect(s.dialog, &std);
    RECT own;
    GetClientRect(s.child, &own);
    LONG width = std::max(own.right, std.right), height = 0;
    if (HWND area = GetDlgItem(s.child, stc32)) {
        RECT r;
        GetWindowRect(area, &r);
        POINT at{r.left, r.top};
        ScreenToClient(s.child, &at);
        for (HWND c = GetWindow(s.dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (c == s.child)
                continue;
            RECT cr;
            GetWindowRect(c, &cr);
            POINT p{cr.left, cr.top};
            ScreenToClient(s.dialog, &p);
            SetWindowPos(c, nullptr, p.x + at.x, p.y + at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        width = std::max(own.right, at.x + std.right);
        height = std::max(own.bottom, at.y + std.bottom);
        MoveWindow(s.child, 0, 0, width, height, FALSE);
    } else {
        MoveWindow(s.child, 0, std.bottom, own.right, own.bottom, FALSE);
        height = std.bottom + own.bottom;
    }
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtr(s.dialog, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtr(s.dialog, GWL_EXSTYLE)));
    SetWindowPos(s.dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(s.child, SW_SHOWNA);
}

void answerFromAutomation(FileDialog& s)
{
    auto answer = takeFileDialogAnswer();
    if (!answer)
        return;
    const HWND dialog = s.dialog;
    whenIdleFirst([dialog, paths = *answer] {
        FileDialog* st = stateOf(dialog);
        if (!st)
            return;
        if (paths.empty()) {
            SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        const std::string first = withSlashes(paths[0]);
        std::string field;
        if (qm::sys::directoryExists(first)) {
            navigate(*st, first);
        } else {
            navigate(*st, parentOf(first));
            if (paths.size() == 1)
                field = baseName(first);
            else
                for (const std::string& p : paths)
                    field += (field.empty() ? "\"" : " \"") + baseName(withSlashes(p)) + "\"";
        }
        if (!field.empty() || !st->child)
            SetDlgItemText(dialog, edt1, field.c_str());
        // A child template with its own OK takes the press, as a user's would.
        HWND ok = st->child ? GetDlgItem(st->child, IDOK) : nullptr;
        if (ok && IsWindowVisible(ok) && IsWindowEnabled(ok))
            SendMessage(ok, BM_CLICK, 0, 0);
        else
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
}

void initialise(FileDialog& s)
{
    const OPENFILENAME& ofn = *s.ofn;
    HWND types = GetDlgItem(s.dialog, cmb1);
    for (const FilterEntry& f : s.filters)
        SendMessage(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.description.c_str()));
    s.filterIndex = ofn.nFilterIndex > 0 && ofn.nFilterIndex <= s.filters.size() ? int(ofn.nFilterIndex) - 1 : 0;
    SendMessage(types, CB_SETCURSEL, WPARAM(s.filterIndex), 0);
    if (ofn.Flags & OFN_HIDEREADONLY)
        ShowWindow(GetDlgItem(s.dialog, chx1), SW_HIDE);
    CheckDlgButton(s.dialog, chx1, (ofn.Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED);
    // The initial name may carry the folder to open in.
    std::string initial;
    if (ofn.lpstrFile && ofn.nMaxFile > 0)
        initial = withSlashes(std::string(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile)));
    std::string folder;
    if (ofn.lpstrInitialDir && qm::sys::directoryExists(withSlashes(ofn.lpstrInitialDir)))
        folder = withSlashes(ofn.lpstrInitialDir);
    const std::size_t slash = initial.rfind('/');
    if (slash != std::string::npos) {
        const std::string dir = slash == 0 ? "/" : initial.substr(0, slash);
        if (folder.empty() && qm::sys::directoryExists(dir))
            folder = dir;
        initial = initial.substr(slash + 1);
    }
    if (folder.empty()) {
        std::error_code ec;
        folder = std::filesystem::current_path(ec).string();
    }
    SetDlgItemText(s.dialog, edt1, initial.c_str());
    CenterWindow(s.dialog, ofn.hwndOwner);
    createChild(s);
    notify(s, CDN_INITDONE);
    navigate(s, folder);
    answerFromAutomation(s);
}

LONG_PTR fileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* s = reinterpret_cast<FileDialog*>(lParam);
        s->dialog = dialog;
        SetProp(dialog, kStateProp, s);
        initialise(*s);
        SetFocus(GetDlgItem(dialog, edt1));
        return FALSE;
    }
    FileDialog* s = stateOf(dialog);
    if (!s)
        return FALSE;
    auto answer = [&](LRESULT value) {
        SetWindowLongPtr(dialog, DWLP_MSGRESULT, value);
        return TRUE;
    };
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (id == IDOK)
            accept(*s);
        else if (id == IDCANCEL)
            EndDialog(dialog, IDCANCEL);
        else if (id == kUpButtonId)
            navigate(*s, parentOf(s->folder));
        else if (id == lst1 && code == LBN_SELCHANGE) {
            selectionToNameField(*s);
            notify(*s, CDN_SELCHANGE);
        } else if (id == lst1 && code == LBN_DBLCLK) {
            const auto i = SendMessage(GetDlgItem(dialog, lst1), LB_GETCURSEL, 0, 0);
            if (i >= 0 && std::size_t(i) < s->entries.size()) {
                const FolderEntry e = s->entries[std::size_t(i)];
                if (e.directory)
                    navigate(*s, e.name == ".." ? parentOf(s->folder) : joinName(s->folder, e.name));
                else {
                    SetDlgItemText(dialog, edt1, e.name.c_str());
                    accept(*s);
                }
            }
        } else if (id == cmb1 && code == CBN_SELCHANGE) {
            s->filterIndex = int(SendMessage(GetDlgItem(dialog, cmb1), CB_GETCURSEL, 0, 0));
            s->customPatterns.clear();
            s->ofn->nFilterIndex = DWORD(s->filterIndex + 1);
            refreshList(*s);
            notify(*s, CDN_TYPECHANGE);
        }
        return TRUE;
    }
    case CDM_GETSPEC:
        return answer(copyOut(getDlgItemText(dialog, edt1), wParam, lParam));
    case CDM_GETFILEPATH: {
        const auto names = namesIn(getDlgItemText(dialog, edt1));
        const std::string path = names.empty() ? s->folder : joinName(s->folder, withSlashes(names[0]));
        return answer(copyOut(path, wParam, lParam));
    }
    case CDM_GETFOLDERPATH:
        return answer(copyOut(s->folder, wParam, lParam));
    case CDM_HIDECONTROL:
        ShowWindow(GetDlgItem(dialog, int(wParam)), SW_HIDE);
        return answer(0);
    case CDM_SETCONTROLTEXT:
        SetDlgItemText(dialog, int(wParam), reinterpret_cast<LPCSTR>(lParam));
        return answer(0);
    default:
        return FALSE;
    }
}

void addItem(DialogTemplate& t, const char* cls, const char* text, int id, DWORD style, short x, short y, short cx,
             short cy)
{
    DialogItem item;
    item.className = cls;
    item.text = text;
    item.id = id;
    item.style = WS_VISIBLE | style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    t.items.push_back(item);
}

DialogTemplate standardTemplate(const FileDialog& s)
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.caption = s.title;
    t.cx = 280;
    t.cy = 166;
    const bool multi = (s.ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
    addItem(t, "Static", s.save ? "Save &in:" : "Look &in:", stc4, SS_LEFT, 7, 6, 40, 8);
    addItem(t, "Static", "", cmb2, SS_LEFTNOWORDWRAP | SS_SUNKEN | SS_NOPREFIX, 50, 4, 190, 12);
    addItem(t, "Button", "Up", kUpButtonId, BS_PUSHBUTTON | WS_TABSTOP, 245, 3, 28, 14);
    addItem(t, "ListBox", "", lst1, LBS_NOTIFY | WS_BORDER | WS_TABSTOP | (multi ? LBS_EXTENDEDSEL : 0), 7, 22, 266, 88);
    addItem(t, "Static", "File &name:", stc3, SS_LEFT, 7, 118, 50, 8);
    addItem(t, "Edit", "", edt1, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 60, 116, 150, 12);
    addItem(t, "Static", s.save ? "Save as &type:" : "Files of &type:", stc2, SS_LEFT, 7, 134, 50, 8);
    addItem(t, "ComboBox", "", cmb1, CBS_DROPDOWNLIST | WS_TABSTOP, 60, 132, 150, 12);
    addItem(t, "Button", "Open as &read-only", chx1, BS_AUTOCHECKBOX | WS_TABSTOP, 60, 150, 100, 10);
    addItem(t, "Button", s.save ? "&Save" : "&Open", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 218, 115, 55, 14);
    addItem(t, "Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 218, 131, 55, 14);
    return t;
}

BOOL runFileDialog(OPENFILENAME* ofn, bool save)
{
    lastError = 0;
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
        lastError = CDERR_DIALOGFAILURE;
        return FALSE;
    }
    FileDialog s;
    s.ofn = ofn;
    s.save = save;
    s.title = ofn->lpstrTitle && *ofn->lpstrTitle ? ofn->lpstrTitle : (save ? "Save As" : "Open");
    s.filters = parseFilter(ofn->lpstrFilter);
    s.fileOkMessage = RegisterWindowMessage(FILEOKSTRING);
    const LONG_PTR result =
        DialogBoxIndirectParam(nullptr, standardTemplate(s), ofn->hwndOwner, fileDialogProc, reinterpret_cast<LPARAM>(&s));
    lastError = result < 0 ? CDERR_DIALOGFAILURE : s.error;
    return result == IDOK ? TRUE : FALSE;
}

}  // namespace

BOOL GetOpenFileName(OPENFILENAME* ofn) { return runFileDialog(ofn, false); }
BOOL GetSaveFileName(OPENFILENAME* ofn) { return runFileDialog(ofn, true); }
DWORD CommDlgExtendedError() { return lastError; }

}  // namespace qm::ui
