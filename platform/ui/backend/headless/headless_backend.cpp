// The headless backend: no display at all. Windows keep their pixels (for
// screenshots), input comes only from automation, and the clock is virtual
// unless QM4200_UI_CLOCK=real. The screen is QM4200_UI_SCREEN (WxH) or
// 1024 x 768.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/backend/backend.h"

namespace qm::ui::detail {
namespace {

class HeadlessBackend : public Backend {
public:
    HeadlessBackend()
    {
        if (const char* s = std::getenv("QM4200_UI_SCREEN")) {
            int w = 0, h = 0;
            if (std::sscanf(s, "%dx%d", &w, &h) == 2 && w >= 64 && h >= 64 && w <= 16384 && h <= 16384)
                screen_ = {w, h};
        }
    }
    const char* name() const override { return "headless"; }
    SIZE screenSize() const override { return screen_; }
    void updateWindow(HWND, const RECT&, const std::string&, bool) override {}
    void destroyWindow(HWND) override {}
    void present(HWND, const Surface&) override {}
    void setCursor(CursorShape) override {}

private:
    SIZE screen_{1024, 768};
};

}  // namespace

std::unique_ptr<Backend> makeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace qm::ui::detail
