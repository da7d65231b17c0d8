#include "panel/dialogs/status_lines.h"

#include "panel/dialogs/speed_classes.h"
#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"

namespace qm::panel {
namespace {

std::optional<std::string> choice(std::uint32_t value, std::initializer_list<ui::UINT> strings)
{
    if (value < 1 || value > strings.size())
        return std::nullopt;
    return panelString(*(strings.begin() + (value - 1)));
}

}  // namespace

int statusStripCount(std::uint32_t mask)
{
    int strips = 0;
    for (std::uint32_t bit : kStatusOrder)
        strips += (mask & bit) != 0;
    return strips;
}

std::string capacityText(std::uint32_t amount, bool kilobytes)
{
    return std::to_string(amount) + panelString(kilobytes ? IDS_UNIT_KB : IDS_UNIT_MB);
}

std::optional<std::string> batteryText(std::uint32_t condition)
{
    return choice(condition, {IDS_BATTERY_EMPTY, IDS_BATTERY_WEAK, IDS_BATTERY_FULL});
}

std::optional<std::string> acAdapterText(std::uint32_t state)
{
    return choice(state, {IDS_AC_NOT_IN_USE, IDS_AC_IN_USE});
}

std::string autoOffText(std::uint32_t seconds) { return std::to_string(seconds / 60) + panelString(IDS_UNIT_MINUTES); }

std::optional<std::string> modeText(std::uint32_t mode)
{
    return choice(mode, {IDS_MODE_PLAY, IDS_MODE_RECORD, IDS_MODE_MENU});
}

std::string imagesText(std::uint32_t stored, std::uint32_t free)
{
    return std::to_string(stored) + " / " + std::to_string(std::uint64_t(stored) + free);
}

std::optional<std::string> portText(std::uint32_t speedIndex)
{
    if (speedIndex == 0)
        return panelString(IDS_PORT_USB);
    const std::optional<std::uint32_t> rate = speedTableRate(speedIndex);
    if (!rate)
        return std::nullopt;
    return std::to_string(*rate) + panelString(IDS_UNIT_BPS);
}

std::string firmwareText(std::uint32_t number, const std::string& text)
{
    return number != 0 ? std::to_string(number) : text;
}

std::string statusLabel(std::uint32_t bit, const std::string& value)
{
    switch (bit) {
    case kStatusCapacityMb:
    case kStatusCapacityKb:
        return panelString(IDS_STATUS_CAPACITY);
    case kStatusBattery:
        return panelString(IDS_STATUS_BATTERY);
    case kStatusAcAdapter:
        return panelString(IDS_STATUS_AC_ADAPTER);
    case kStatusAutoOff:
        return panelString(IDS_STATUS_AUTO_OFF);
    case kStatusMode:
        return panelString(IDS_STATUS_MODE);
    case kStatusImages:
        return panelString(IDS_STATUS_IMAGES);
    case kStatusPort:
        return panelString(value == panelString(IDS_PORT_USB) ? IDS_STATUS_PORT : IDS_STATUS_BAUD_RATE);
    default:
        return {};
    }
}

}  // namespace qm::panel
