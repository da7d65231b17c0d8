// Creating dialogs from templates, and dialog units.
#include <algorithm>
#include <unordered_map>

#include "platform/system/trace.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/dialog_internal.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/resource/resource.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace detail {
namespace {

std::unordered_map<HWND, DialogState>& dialogStates()
{
    static auto* states = new std::unordered_map<HWND, DialogState>;
    return *states;
}

HFONT fontForTemplate(const DialogTemplate& t)
{
    LOGFONT lf;
    lf.lfHeight = -LONG((int(t.pointSize) * 96 + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    const std::size_t n = std::min<std::size_t>(t.fontName.size(), LF_FACESIZE - 1);
    t.fontName.copy(lf.lfFaceName, n);
    lf.lfFaceName[n] = '\0';
    return CreateFontIndirect(&lf);
}

RECT toPixels(SIZE units, short x, short y, short cx, short cy)
{
    auto px = [&](int v) { return LONG(v * units.cx / 4); };
    auto py = [&](int v) { return LONG(v * units.cy / 8); };
    return {px(x), py(y), px(x + cx), py(y + cy)};
}

}  // namespace

DialogState* dialogState(HWND hwnd)
{
    auto& states = dialogStates();
    auto it = states.find(hwnd);
    return it == states.end() ? nullptr : &it->second;
}

DialogState& makeDialogState(HWND hwnd) { return dialogStates()[hwnd]; }

void dropDialogState(HWND hwnd)
{
    auto& states = dialogStates();
    auto it = states.find(hwnd);
    if (it == states.end())
        return;
    if (it->second.ownsFont)
        DeleteObject(it->second.font);
    states.erase(it);
}

SIZE baseUnitsOf(HFONT font)
{
    HDC hdc = CreateCompatibleDC(nullptr);
    SelectObject(hdc, font);
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size;
    GetTextExtentPoint32(hdc, kAlphabet, 52, &size);
    TEXTMETRIC tm;
    GetTextMetrics(hdc, &tm);
    DeleteDC(hdc);
    return {std::max<LONG>(1, (size.cx / 26 + 1) / 2), std::max<LONG>(1, tm.tmHeight)};
}

bool isDialogWindow(HWND hwnd)
{
    UiLock lock;
    return dialogState(hwnd) != nullptr;
}

}  // namespace detail

using namespace detail;

long GetDialogBaseUnits()
{
    UiLock lock;
    SIZE units = baseUnitsOf(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    return MAKELONG(units.cx, units.cy);
}

BOOL MapDialogRect(HWND dialog, RECT* rect)
{
    UiLock lock;
    DialogState* d = dialogState(dialog);
    if (!d || !rect)
        return FALSE;
    *rect = toPixels(d->baseUnits, short(rect->left), short(rect->top), short(rect->right - rect->left),
                     short(rect->bottom - rect->top));
    return TRUE;
}

HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param)
{
    UiLock lock;
    HFONT font = fontForTemplate(t);
    const SIZE units = baseUnitsOf(font);
    const RECT client = toPixels(units, t.x, t.y, t.cx, t.cy);
    const bool child = (t.style & WS_CHILD) != 0;
    DWORD style = t.style & ~(WS_VISIBLE | DS_SETFONT);
    if (!child && !(style & WS_POPUP))
        style |= WS_POPUP;
    RECT frame{0, 0, client.right - client.left, client.bottom - client.top};
    AdjustWindowRectEx(&frame, style, FALSE, t.exStyle);
    POINT at{client.left, client.top};
    if (!child && owner) {
        POINT origin{0, 0};
        ClientToScreen(owner, &origin);
        at = {origin.x + at.x, origin.y + at.y};
    }
    HWND dialog = CreateWindowEx(t.exStyle, t.className.empty() ? kDialogClass : t.className.c_str(),
                                 t.caption.c_str(), style, at.x + frame.left, at.y + frame.top,
                                 frame.right - frame.left, frame.bottom - frame.top, owner, 0, instance, nullptr);
    if (!dialog) {
        DeleteObject(font);
        return nullptr;
    }
    DialogState& d = makeDialogState(dialog);
    d.font = font;
    d.ownsFont = true;
    d.baseUnits = units;
    SetWindowLongPtr(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    SendMessage(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (const DialogItem& item : t.items) {
        const RECT r = toPixels(units, item.x, item.y, item.cx, item.cy);
        HWND control = CreateWindowEx(item.exStyle, item.className.c_str(), item.text.c_str(),
                                      item.style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                      dialog, item.id, instance, nullptr);
        if (!control) {
            qm::sys::trace("qm::ui: a dialog control of class " + item.className + " cannot be created\n");
            DestroyWindow(dialog);
            return nullptr;
        }
        SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if ((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && item.className == "Button")
            d.defaultId = item.id;
    }
    if (!(t.style & DS_CENTER) || child) {
        // placed already
    } else {
        CenterWindow(dialog, owner);
    }
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(first))
        SetFocus(first);
    if (!IsWindow(dialog))
        return nullptr;
    if (t.style & WS_VISIBLE)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    if (!IS_INTRESOURCE(name))
        return nullptr;
    auto t = loadDialogTemplate(instance, resourceId(name));
    if (!t)
        return nullptr;
    return CreateDialogIndirectParam(instance, *t, owner, proc, param);
}

LONG_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param)
{
    DialogTemplate modal = t;
    modal.style &= ~WS_VISIBLE;  // shown by the modal loop, after the owner is disabled
    HWND dialog = CreateDialogIndirectParam(instance, modal, owner, proc, param);
    if (!dialog)
        return -1;
    return runModalLoop(dialog, owner);
}

LONG_PTR DialogBoxParam(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    if (!IS_INTRESOURCE(name))
        return -1;
    auto t = loadDialogTemplate(instance, resourceId(name));
    if (!t)
        return -1;
    return DialogBoxIndirectParam(instance, *t, owner, proc, param);
}

}  // namespace qm::ui
