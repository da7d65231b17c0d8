#include "panel/dialogs/speed_classes.h"

#include "common/config/kvb_config.h"

namespace qm::panel {
namespace {

constexpr std::array<std::uint32_t, 6> kSpeedTable = {0, 9600, 19200, 38400, 57600, 115200};
constexpr const char* kClassSection = "Max BaudRate Setting";
constexpr const char* kClassKeys[3] = {"Slow BaudRate", "Normal BaudRate", "Fast BaudRate"};

}  // namespace

std::optional<std::uint32_t> speedTableRate(std::uint32_t index)
{
    if (index >= kSpeedTable.size())
        return std::nullopt;
    return kSpeedTable[index];
}

int SpeedClasses::classFor(std::uint32_t rate) const
{
    for (std::size_t i = 0; i < highestRate.size(); ++i)
        if (highestRate[i] >= rate)
            return int(i) + 1;
    return kNoSpeedClass;
}

std::optional<std::uint32_t> SpeedClasses::rateOf(int speedClass) const
{
    if (speedClass < kSpeedSlow || speedClass > kSpeedFast)
        return std::nullopt;
    return highestRate[std::size_t(speedClass - 1)];
}

SpeedClasses readSpeedClasses()
{
    SpeedClasses classes;
    for (std::size_t i = 0; i < classes.highestRate.size(); ++i) {
        const int rate = config::readInt(kClassSection, kClassKeys[i], int(classes.highestRate[i]));
        if (rate > 0)
            classes.highestRate[i] = std::uint32_t(rate);
    }
    return classes;
}

std::uint32_t configuredSpeed()
{
    const int rate = config::readInt("Baud Rate Speeding", "Baud Rate Mode", 38400);
    return rate > 0 ? std::uint32_t(rate) : 0;
}

}  // namespace qm::panel
