#include <fstream>
#include <string>

#include "platform/system/files.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/core/window_system.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/help/help.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/window/window.h"

namespace qm::ui {
namespace {

constexpr const char* kHelpClass = "QmHelpViewer";
constexpr int kTextId = 100;
HWND helpWindow = nullptr;

LRESULT helpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        MoveWindow(GetDlgItem(hwnd, kTextId), 0, 0, LOWORD(std::uintptr_t(lParam)), HIWORD(std::uintptr_t(lParam)), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(hwnd, kTextId));
        return 0;
    case WM_DESTROY:
        if (helpWindow == hwnd)
            helpWindow = nullptr;
        return 0;
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

std::string readableFile(std::string file)
{
    for (char& c : file)
        if (c == '\\')
            c = '/';
    if (qm::sys::fileExists(file))
        return file;
    const std::size_t dot = file.rfind('.');
    if (dot != std::string::npos && file.substr(dot) != ".txt" && qm::sys::fileExists(file.substr(0, dot) + ".txt"))
        return file.substr(0, dot) + ".txt";
    return {};
}

}  // namespace

BOOL WinHelp(HWND owner, LPCSTR file, UINT command, std::uintptr_t)
{
    detail::UiLock lock;
    if (command == HELP_QUIT) {
        if (helpWindow)
            DestroyWindow(helpWindow);
        return TRUE;
    }
    if (!file)
        return FALSE;
    const std::string path = readableFile(file);
    std::ifstream in(path);
    if (path.empty() || !in) {
        MessageBox(owner, (std::string("Cannot find the ") + file + " file.").c_str(), "Help", MB_OK | MB_ICONERROR);
        return FALSE;
    }
    if (helpWindow) {
        SetActiveWindow(helpWindow);
        return TRUE;
    }
    WNDCLASS wc;
    wc.lpfnWndProc = helpProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kHelpClass;
    RegisterClass(&wc);
    std::string title = path.substr(path.rfind('/') + 1);
    title = title.substr(0, title.rfind('.')) + " Help";
    helpWindow = CreateWindowEx(0, kHelpClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                                360, nullptr, 0, nullptr, nullptr);
    if (!helpWindow)
        return FALSE;
    HWND text = CreateWindowEx(0, "ListBox", "", WS_CHILD | WS_VISIBLE | LBS_NOSEL, 0, 0, 480, 360, helpWindow,
                               kTextId, nullptr, nullptr);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        SendMessage(text, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    RECT client;
    GetClientRect(helpWindow, &client);
    MoveWindow(text, 0, 0, client.right, client.bottom, FALSE);
    ShowWindow(helpWindow, SW_SHOW);
    return TRUE;
}

}  // namespace qm::ui
