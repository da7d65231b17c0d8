// Keyboard handling of dialogs: Tab and Shift+Tab between tab stops, Enter
// for the default (or focused) push button, Escape for Cancel, and
// mnemonics (Alt+letter, or a letter when the focus takes no characters).
// Mnemonics reach hidden buttons too, as on the platform; disabled controls
// are skipped.
#include <cctype>
#include <string>
#include <vector>

#include "platform/ui/controls/control_styles.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/dialog_internal.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace detail {
namespace {

// The dialog's controls, top of the z-order (first created) first. A child
// dialog inside (a template added to a common dialog) contributes its own
// controls in its place.
void collectControls(HWND parent, std::vector<HWND>& out)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (dialogState(c))
            collectControls(c, out);
        else
            out.push_back(c);
    }
}

std::vector<HWND> controlsInOrder(HWND dialog)
{
    std::vector<HWND> out;
    collectControls(dialog, out);
    return out;
}

bool hasMnemonic(const std::string& text, int ch)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::tolower(static_cast<unsigned char>(text[i + 1])) == std::tolower(ch);
    }
    return false;
}

bool pressMnemonic(HWND dialog, int ch)
{
    const auto controls = controlsInOrder(dialog);
    if (controls.empty())
        return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == GetFocus())
            start = i + 1;
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const std::size_t i = (start + k) % controls.size();
        HWND c = controls[i];
        if (!IsWindowEnabled(c) || !hasMnemonic(getWindowText(c), ch))
            continue;
        const LRESULT code = SendMessage(c, WM_GETDLGCODE, 0, 0);
        if (code & DLGC_STATIC) {
            // A label hands the focus to the control that follows it.
            for (std::size_t j = 1; j < controls.size(); ++j) {
                HWND next = controls[(i + j) % controls.size()];
                if (IsWindowVisible(next) && IsWindowEnabled(next) &&
                    !(SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) {
                    focusControl(next);
                    break;
                }
            }
            return true;
        }
        if (code & DLGC_BUTTON) {
            SendMessage(c, BM_CLICK, 0, 0);
            return true;
        }
        focusControl(c);
        return true;
    }
    return false;
}

thread_local int preTranslateDepth = 0;

// A child dialog inside another dialog is navigated with its host.
HWND navigationRoot(HWND dialog)
{
    HWND root = GetAncestor(dialog, GA_ROOT);
    return root && dialogState(root) ? root : dialog;
}

}  // namespace
}  // namespace detail

using namespace detail;

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    UiLock lock;
    std::vector<HWND> stops;
    for (HWND c : controlsInOrder(navigationRoot(dialog)))
        if (IsWindowVisible(c) && IsWindowEnabled(c) && (GetWindowLongPtr(c, GWL_STYLE) & WS_TABSTOP))
            stops.push_back(c);
    if (stops.empty())
        return nullptr;
    std::size_t at = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == control)
            at = i;
    if (at == stops.size())
        return previous ? stops.back() : stops.front();
    return previous ? stops[(at + stops.size() - 1) % stops.size()] : stops[(at + 1) % stops.size()];
}

BOOL IsDialogMessage(HWND dialog, MSG* msg)
{
    UiLock lock;
    if (!msg || !IsWindow(dialog) || !msg->hwnd || (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)))
        return FALSE;
    if (preTranslateDepth == 0) {
        ++preTranslateDepth;
        const bool consumed = callPreTranslateHook(msg);
        --preTranslateDepth;
        if (consumed)
            return TRUE;
    }
    const HWND target = msg->hwnd;
    const LRESULT code = SendMessage(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    switch (msg->message) {
    case WM_KEYDOWN:
        if (code & DLGC_WANTALLKEYS)
            break;
        if (msg->wParam == VK_TAB && !(code & DLGC_WANTTAB)) {
            focusControl(GetNextDlgTabItem(dialog, GetFocus(), GetKeyState(VK_SHIFT) < 0));
            return TRUE;
        }
        if (msg->wParam == VK_RETURN) {
            // The command goes to the dialog that holds the focused control
            // (a child template's own buttons answer to it).
            HWND owner = GetParent(target) && dialogState(GetParent(target)) ? GetParent(target) : dialog;
            int id = LOWORD(std::uintptr_t(SendMessage(dialog, DM_GETDEFID, 0, 0)));
            if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))
                id = GetDlgCtrlID(target);
            else
                owner = dialog;
            HWND button = GetDlgItem(owner, id);
            if (!button || IsWindowEnabled(button))
                SendMessage(owner, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return TRUE;
        }
        if (msg->wParam == VK_ESCAPE) {
            HWND cancel = GetDlgItem(dialog, IDCANCEL);
            if (!cancel || IsWindowEnabled(cancel))
                SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
            return TRUE;
        }
        break;
    case WM_SYSCHAR:
        pressMnemonic(dialog, int(msg->wParam));
        return TRUE;
    case WM_CHAR:
        if (!(code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) && std::isalnum(int(msg->wParam & 0xFF)) &&
            pressMnemonic(dialog, int(msg->wParam)))
            return TRUE;
        // Enter, Escape and Tab came as keys already.
        if (!(code & DLGC_WANTALLKEYS) && (msg->wParam == '\r' || msg->wParam == 27 || msg->wParam == '\t'))
            return TRUE;
        break;
    default:
        break;
    }
    TranslateMessage(msg);
    DispatchMessage(msg);
    return TRUE;
}

}  // namespace qm::ui
