#include "platform/ui/dialogs/message_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/automation/automation.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

struct BoxSpec {
    std::vector<std::pair<int, const char*>> buttons;
    UINT type;
};

std::vector<std::pair<int, const char*>> buttonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    default: return {{IDOK, "OK"}};
    }
}

// Lays the box out in pixels once its font is known.
void layout(HWND box, UINT type)
{
    HWND label = GetDlgItem(box, kTextId);
    const std::string text = getWindowText(label);
    HDC hdc = GetDC(label);
    SelectObject(hdc, reinterpret_cast<HFONT>(SendMessage(box, WM_GETFONT, 0, 0)));
    RECT measured{0, 0, 0, 0};
    DrawText(hdc, text.c_str(), int(text.size()), &measured, DT_CALCRECT | DT_NOPREFIX);
    ReleaseDC(label, hdc);
    const auto buttons = buttonsFor(type);
    const int buttonsWidth = int(buttons.size()) * kButtonWidth + int(buttons.size() - 1) * kButtonGap;
    const int width = std::max<int>(measured.right, buttonsWidth) + 2 * kMargin;
    const int height = kMargin + measured.bottom + kMargin + kButtonHeight + kMargin;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtr(box, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtr(box, GWL_EXSTYLE)));
    SetWindowPos(box, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    MoveWindow(label, kMargin, kMargin, measured.right, measured.bottom, FALSE);
    int x = (width - buttonsWidth) / 2;
    for (const auto& [id, caption] : buttons) {
        MoveWindow(GetDlgItem(box, id), x, kMargin + measured.bottom + kMargin, kButtonWidth, kButtonHeight, FALSE);
        x += kButtonWidth + kButtonGap;
    }
    CenterWindow(box, GetParent(box));
}

LONG_PTR boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        layout(box, UINT(lParam));
        SetProp(box, "qm.mbtype", reinterpret_cast<void*>(std::uintptr_t(lParam)));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const UINT type = UINT(reinterpret_cast<std::uintptr_t>(GetProp(box, "qm.mbtype")));
        if (id == IDCANCEL && !GetDlgItem(box, IDCANCEL)) {
            // Escape closes a box with only OK as OK, and does nothing else.
            if ((type & MB_TYPEMASK) == MB_OK)
                EndDialog(box, IDOK);
            return TRUE;
        }
        if (GetDlgItem(box, id))
            EndDialog(box, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    if (type & MB_TOPMOST)
        t.exStyle |= WS_EX_TOPMOST;
    t.caption = caption ? caption : "Error";
    t.cx = 100;
    t.cy = 50;
    DialogItem label;
    label.className = "Static";
    label.style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    label.id = kTextId;
    label.text = text ? text : "";
    t.items.push_back(label);
    const auto buttons = buttonsFor(type);
    const std::size_t defaultIndex = std::min<std::size_t>((type >> 8) & 0x3, buttons.size() - 1);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        DialogItem b;
        b.className = "Button";
        b.style = WS_VISIBLE | WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        b.id = buttons[i].first;
        b.text = buttons[i].second;
        t.items.push_back(b);
    }
    detail::UiLock lock;
    HWND box = CreateDialogIndirectParam(nullptr, t, owner, boxProc, LPARAM(type));
    if (!box)
        return 0;
    SendMessage(box, DM_SETDEFID, WPARAM(buttons[defaultIndex].first), 0);
    SetFocus(GetDlgItem(box, buttons[defaultIndex].first));
    if (auto answer = detail::takeMessageBoxAnswer()) {
        const int id = *answer;
        detail::whenIdleFirst([box, id] {
            if (HWND button = GetDlgItem(box, id))
                SendMessage(button, BM_CLICK, 0, 0);
            else if (IsWindow(box))
                EndDialog(box, id);  // an answer the box does not offer still ends it
        });
    }
    const int result = int(runModalLoop(box, owner));
    detail::recordMessageBox({t.caption, t.items[0].text, type, result});
    return result;
}

}  // namespace qm::ui
