// Reading and writing dialog items.
#include <cctype>
#include <climits>
#include <cstdio>
#include <string>

#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui {

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowText(item, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    HWND item = GetDlgItem(dialog, id);
    return item ? UINT(GetWindowText(item, buffer, size)) : 0;
}

std::string getDlgItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? getWindowText(item) : std::string();
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", int(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemText(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    if (translated)
        *translated = FALSE;
    if (!GetDlgItem(dialog, id))
        return 0;
    const std::string text = getDlgItemText(dialog, id);
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (isSigned && i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size())
        return 0;
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return 0;
        value = value * 10 + unsigned(text[i] - '0');
        if (value > (isSigned ? (negative ? 2147483648ull : 2147483647ull) : 4294967295ull))
            return 0;
    }
    if (translated)
        *translated = TRUE;
    return negative ? UINT(-static_cast<long long>(value)) : UINT(value);
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessage(item, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item)
        return FALSE;
    SendMessage(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) { return UINT(SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0)); }

}  // namespace qm::ui
