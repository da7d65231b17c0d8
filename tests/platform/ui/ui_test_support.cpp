#include "tests/platform/ui/ui_test_support.h"

#include <algorithm>

namespace qm::ui::test {

std::vector<Logged>& Recorder::log()
{
    static std::vector<Logged> entries;
    return entries;
}

namespace {

LRESULT recorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recorder::log().push_back({hwnd, message, wParam, lParam});
    return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

void Recorder::registerClass()
{
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = recorderProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kClass;
    RegisterClass(&wc);  // fails harmlessly when already registered
}

std::vector<Logged> Recorder::only(UINT message)
{
    std::vector<Logged> out;
    for (const Logged& l : log())
        if (l.message == message)
            out.push_back(l);
    return out;
}

std::vector<UINT> Recorder::sequence(HWND hwnd, std::initializer_list<UINT> interesting)
{
    std::vector<UINT> out;
    for (const Logged& l : log())
        if (l.hwnd == hwnd && std::find(interesting.begin(), interesting.end(), l.message) != interesting.end())
            out.push_back(l.message);
    return out;
}

HWND Recorder::create(DWORD style, RECT r, HWND parent, int id)
{
    registerClass();
    return CreateWindowEx(0, kClass, "recorder", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent, id,
                          nullptr, nullptr);
}

void UiTest::SetUp()
{
    hostPumpsMessages();
    automation::clearMessageBoxes();
    automation::pumpPending();
    Recorder::log().clear();
}

void UiTest::TearDown()
{
    for (HWND w : automation::topLevelWindows())
        DestroyWindow(w);
    // Hidden top-level windows too.
    while (HWND top = GetTopWindow(nullptr))
        if (!DestroyWindow(top))
            break;
    if (GetCapture())
        ReleaseCapture();
    automation::pumpPending();
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    Recorder::log().clear();
}

}  // namespace qm::ui::test
