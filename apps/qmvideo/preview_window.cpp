#include "apps/qmvideo/preview_window.h"

#include "platform/ui/automation/automation.h"
#include "platform/ui/ui.h"

namespace qm::qmvideo {

namespace {

using namespace qm::ui;

constexpr char kClassName[] = "QmVideoPreview";

bool registerClass(WNDPROC procedure)
{
    static const bool registered = [procedure] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.lpszClassName = kClassName;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return RegisterClass(&windowClass) != 0;
    }();
    return registered;
}

}  // namespace

PreviewWindow::PreviewWindow(int width, int height)
{
    // This tool pumps its own messages on the thread that made the window.
    hostPumpsMessages();
    if (!registerClass(&PreviewWindow::windowProc))
        return;
    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    window_ = CreateWindowEx(0, kClassName, "qmvideo", style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, 0, nullptr, this);
    if (window_ == nullptr)
        return;
    SetWindowLongPtr(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

PreviewWindow::~PreviewWindow()
{
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtr(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    pump();
}

void PreviewWindow::show(FramePixels frame, const std::string& caption)
{
    if (!open())
        return;
    frame_ = std::move(frame);
    SetWindowText(window_, caption.c_str());
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

void PreviewWindow::pump()
{
    MSG message{};
    while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&message);
}

bool PreviewWindow::screenshot(const std::string& pngPath)
{
    pump();
    return open() && automation::screenshot(window_, pngPath);
}

void PreviewWindow::paint()
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    if (frame_.width > 0 && frame_.height > 0) {
        RECT client{};
        GetClientRect(window_, &client);
        BITMAPINFO info{};
        info.bmiHeader.biWidth = frame_.width;
        info.bmiHeader.biHeight = frame_.height;  // bottom row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, frame_.width, frame_.height, frame_.bgr.data(),
                      frame_.bgr.size(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window_, &paint);
}

LRESULT PreviewWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* preview = reinterpret_cast<PreviewWindow*>(GetWindowLongPtr(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (preview != nullptr) {
            preview->paint();
            return 0;
        }
        break;
    case WM_CLOSE:
        if (preview != nullptr)
            preview->closed_ = true;
        return 0;
    default:
        break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace qm::qmvideo
