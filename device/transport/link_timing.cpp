#include "device/transport/link_timing.h"

#include <atomic>
#include <cstdlib>

namespace qm::device {
namespace {

unsigned clampPercent(long percent)
{
    return percent < 1 ? 1u : percent > 100 ? 100u : unsigned(percent);
}

std::atomic<unsigned>& currentPercent()
{
    static std::atomic<unsigned> percent = [] {
        const char* text = std::getenv("QM4200_LINK_TIME_PERCENT");
        if (text == nullptr || *text == '\0')
            return 100u;
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        return end != text ? clampPercent(value) : 100u;
    }();
    return percent;
}

}  // namespace

unsigned linkTimePercent() { return currentPercent().load(); }

void setLinkTimePercent(unsigned percent) { currentPercent() = clampPercent(long(percent)); }

std::uint32_t linkWait(std::uint32_t ms)
{
    if (ms == 0)
        return 0;
    const std::uint64_t scaled = std::uint64_t(ms) * linkTimePercent() / 100;
    return scaled == 0 ? 1 : std::uint32_t(scaled);
}

}  // namespace qm::device
