// The live preview: a top-level window that shows the latest frame scaled to
// its client area, with the frame rate, the drops and the white-balance
// gains in its caption. On the SDL backend it is a real window on the
// screen; headless it can be written out as a PNG screenshot.
#pragma once

#include <string>

#include "apps/qmvideo/frame_pixels.h"
#include "platform/ui/types.h"

namespace qm::qmvideo {

class PreviewWindow {
public:
    PreviewWindow(int width, int height);
    ~PreviewWindow();
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    bool created() const { return window_ != nullptr; }
    // False once the user closed the window.
    bool open() const { return window_ != nullptr && !closed_; }

    void show(FramePixels frame, const std::string& caption);
    // Handles what is waiting in the message queue.
    void pump();
    bool screenshot(const std::string& pngPath);

private:
    static ui::LRESULT windowProc(ui::HWND window, ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam);
    void paint();

    ui::HWND window_ = nullptr;
    bool closed_ = false;
    FramePixels frame_;
};

}  // namespace qm::qmvideo
