#include "apps/qmcam/progress_bar.h"

#include <algorithm>

namespace qm::qmcam {
namespace {

constexpr int kBarWidth = 30;

struct BarState {
    std::string label;
    std::FILE* stream = nullptr;
    int lastPercent = -1;
    bool shown = false;
};

BarState& state()
{
    static BarState bar;
    return bar;
}

}  // namespace

std::string ProgressBar::render(const std::string& label, std::uint32_t percent)
{
    const std::uint32_t clamped = std::min<std::uint32_t>(percent, 100);
    const int filled = int(clamped * kBarWidth / 100);
    std::string line = label + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] ";
    const std::string number = std::to_string(clamped);
    line += std::string(3 - number.size(), ' ') + number + "%";
    return line;
}

void ProgressBar::begin(const std::string& label, std::FILE* stream)
{
    finish();
    BarState& bar = state();
    bar.label = label;
    bar.stream = stream;
    bar.lastPercent = -1;
}

void ProgressBar::finish()
{
    BarState& bar = state();
    if (bar.shown && bar.stream != nullptr) {
        std::fputs("\n", bar.stream);
        std::fflush(bar.stream);
    }
    bar.shown = false;
    bar.lastPercent = -1;
}

void ProgressBar::callback(std::uint32_t, std::uint32_t, std::uint32_t percent)
{
    BarState& bar = state();
    if (bar.stream == nullptr)
        return;
    // The end call (0 after progress was shown) completes the bar.
    if (percent == 0 && bar.lastPercent > 0)
        percent = 100;
    if (int(percent) == bar.lastPercent)
        return;
    bar.lastPercent = int(percent);
    bar.shown = true;
    std::fprintf(bar.stream, "\r%s", render(bar.label, percent).c_str());
    std::fflush(bar.stream);
}

}  // namespace qm::qmcam
