// Speed of the drawing and message paths the panel leans on, each reported
// against a baseline measured in the same process:
//   blit_vs_memcpy   a full-window BitBlt against copying the same bytes
//   text_vs_fill     drawing a line of text against filling its extent
//   send_vs_call     SendMessage to a window against calling its procedure
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/support/seconds_per_run.h"
#include "platform/ui/automation/automation.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/message/message.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/window/window.h"

using namespace qm::ui;

namespace {

using qm::bench::secondsPerRun;

LRESULT plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER)
        return LRESULT(wParam + 1);
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND makeWindow(int width, int height)
{
    hostPumpsMessages();
    static bool registered = false;
    if (!registered) {
        WNDCLASS wc;
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = "QmBenchWindow";
        registered = RegisterClass(&wc) != 0;
    }
    return CreateWindowEx(0, "QmBenchWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, 0, nullptr,
                          nullptr);
}

void BM_BitBltBrowserBackground(benchmark::State& state)
{
    const int w = 634, h = 455;  // the photo browser's background
    HWND window = makeWindow(w, h);
    HDC hdc = GetDC(window);
    HDC memory = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, w, h);
    SelectObject(memory, bitmap);
    for (auto _ : state)
        BitBlt(hdc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    std::vector<unsigned char> a(std::size_t(w) * h * 3, 1), b(a.size());
    const double copy = secondsPerRun([&] { std::memcpy(b.data(), a.data(), a.size()); benchmark::DoNotOptimize(b.data()); }, 2000);
    const double blit = secondsPerRun([&] { BitBlt(hdc, 0, 0, w, h, memory, 0, 0, SRCCOPY); }, 200);
    state.counters["blit_vs_memcpy"] = blit / copy;
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(window, hdc);
    DestroyWindow(window);
}
BENCHMARK(BM_BitBltBrowserBackground);

void BM_TextLine(benchmark::State& state)
{
    HWND window = makeWindow(480, 60);
    HDC hdc = GetDC(window);
    HFONT font = CreateFont(18, 6, 0, 0, 450, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, nullptr);
    SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    const char text[] = "Current/Maximum Number of the Images :";
    const int length = int(sizeof text - 1);
    for (auto _ : state)
        TextOut(hdc, 10, 10, text, length);
    SIZE extent;
    GetTextExtentPoint32(hdc, text, length, &extent);
    RECT area{10, 10, 10 + extent.cx, 10 + extent.cy};
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    const double fill = secondsPerRun([&] { FillRect(hdc, &area, brush); }, 5000);
    const double draw = secondsPerRun([&] { TextOut(hdc, 10, 10, text, length); }, 1000);
    state.counters["text_vs_fill"] = draw / fill;
    DeleteObject(brush);
    DeleteObject(font);
    ReleaseDC(window, hdc);
    DestroyWindow(window);
}
BENCHMARK(BM_TextLine);

void BM_SendMessage(benchmark::State& state)
{
    HWND window = makeWindow(10, 10);
    WPARAM n = 0;
    for (auto _ : state)
        n = WPARAM(SendMessage(window, WM_USER, n, 0));
    benchmark::DoNotOptimize(n);
    const double send = secondsPerRun([&] { n = WPARAM(SendMessage(window, WM_USER, n, 0)); }, 100000);
    const double call = secondsPerRun([&] { n = WPARAM(plainProc(window, WM_USER, n, 0)); benchmark::DoNotOptimize(n); }, 100000);
    state.counters["send_vs_call"] = send / call;
    DestroyWindow(window);
}
BENCHMARK(BM_SendMessage);

}  // namespace

BENCHMARK_MAIN();
