#include "simulators/stillcam/core/camera_info.h"

#include <algorithm>

#include "platform/system/byte_order.h"
#include "simulators/stillcam/core/calendar.h"

namespace qm::stillcam {

InfoBlock buildCameraInfo(const CameraInfoFacts& f, const std::map<std::size_t, std::uint8_t>& overrides)
{
    InfoBlock info{};
    info[0] = f.ready ? 1 : 0;
    info[1] = f.model;
    info[2] = f.memoryMb;
    info[3] = f.settings.flashMode;
    info[4] = f.settings.selfTimer;
    info[5] = f.settings.autoOffMinutes;
    info[6] = f.settings.operatingMode;
    info[7] = f.settings.flashMode;
    std::copy_n(f.firmware.begin(), std::min<std::size_t>(f.firmware.size(), 8), info.begin() + 8);
    sys::writeLe16(&info[16], f.picturesStored);
    sys::writeLe16(&info[18], f.picturesFree);
    info[20] = encodeYear(f.model, f.dateTime.year);
    info[21] = std::uint8_t(f.dateTime.month);
    info[22] = std::uint8_t(f.dateTime.day);
    info[23] = std::uint8_t(f.dateTime.hour);
    info[24] = std::uint8_t(f.dateTime.minute);
    info[25] = std::uint8_t(f.dateTime.second);
    info[26] = f.speedIndex;
    info[27] = f.settings.iconDisplay;
    sys::writeLe32(&info[28], f.countExtension);
    info[32] = f.settings.selfTimer;
    info[33] = f.settings.lcdDisplay;
    info[34] = f.settings.quality;
    sys::writeLe32(&info[36], f.memoryBytes);
    for (const auto& [offset, value] : overrides)
        if (offset < info.size())
            info[offset] = value;
    return info;
}

bool applySetting(CameraSettings& s, std::uint8_t id, std::uint8_t value)
{
    switch (id) {
    case 0:
        if (value > 2) return false;
        s.flashMode = value;
        return true;
    case 1:
        if (value > 1) return false;
        s.selfTimer = value;
        return true;
    case 2:
        if (value > 1) return false;
        s.iconDisplay = value;
        return true;
    case 3:
        if (value > 1) return false;
        s.lcdDisplay = value;
        return true;
    case 4:
        if (value > 2) return false;
        s.quality = value;
        return true;
    case 6:
        if (value < 1 || value > 99) return false;
        s.autoOffMinutes = value;
        return true;
    default:
        return false;
    }
}

int speedIndexOf(std::uint32_t rate)
{
    auto it = std::find(SPEED_TABLE.begin(), SPEED_TABLE.end(), rate);
    return it == SPEED_TABLE.end() ? -1 : int(it - SPEED_TABLE.begin());
}

}  // namespace qm::stillcam
