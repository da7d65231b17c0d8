#include "apps/qmcam/progress_bar.h"

#include <unistd.h>

#include <algorithm>

namespace qm::qmcam {
namespace {

constexpr int kBarWidth = 30;

struct BarState {
    std::string label;
    std::FILE* stream = nullptr;
    int lastPercent = -1;
    bool shown = false;
    bool interactive = false;  // a terminal redraws one line; a log gets a line per quarter
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
    bar.interactive = stream != nullptr && isatty(fileno(stream)) != 0;
}

void ProgressBar::finish()
{
    BarState& bar = state();
    if (bar.shown && bar.stream != nullptr && bar.interactive) {
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
    if (!bar.interactive) {
        // A log file or pipe: one line each time a quarter is passed.
        const int quarter = int(std::min<std::uint32_t>(percent, 100)) / 25;
        if (bar.lastPercent >= 0 && quarter == bar.lastPercent / 25)
            return;
        bar.lastPercent = int(percent);
        bar.shown = true;
        std::fprintf(bar.stream, "%s\n", render(bar.label, percent).c_str());
        std::fflush(bar.stream);
        return;
    }
    bar.lastPercent = int(percent);
    bar.shown = true;
    std::fprintf(bar.stream, "\r%s", render(bar.label, percent).c_str());
    std::fflush(bar.stream);
}

}  // namespace qm::qmcam
