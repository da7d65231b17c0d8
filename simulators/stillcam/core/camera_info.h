// The CameraInfo block the camera reports, and the settings that
// CMD_SET_PARAMETER changes.
//
//   0      ready (1)            16..17 pictures stored
//   1      model code           18..19 pictures that still fit
//   2      memory in MB         20..25 year code, month, day, hour, minute, second
//   3      = byte 7             26     speed index
//   4      = byte 32            27     icon display
//   5      auto power-off min   28..31 picture count extension
//   6      mode (0 play, 1 record, 2 menu)
//   7      flash mode           32 self timer, 33 LCD display, 34 quality
//   8..15  firmware text        36..39 memory in bytes
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "simulators/stillcam/core/picture_store.h"
#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam {

struct CameraInfoFacts {
    bool ready = true;
    std::uint8_t model = 16;
    std::uint8_t memoryMb = 0;
    std::uint32_t memoryBytes = 0;
    std::string firmware;
    CameraSettings settings;
    std::uint16_t picturesStored = 0;
    std::uint16_t picturesFree = 0;
    CameraDateTime dateTime;
    std::uint8_t speedIndex = 0;
    std::uint32_t countExtension = 0;
};

InfoBlock buildCameraInfo(const CameraInfoFacts& facts, const std::map<std::size_t, std::uint8_t>& overrides);

// Parameter ids of CMD_SET_PARAMETER.
inline constexpr std::uint8_t kParameterDateTime = 5;

// Applies one setting (every id but the date and time). False, with nothing
// changed, for an unknown id or a value out of the setting's range.
bool applySetting(CameraSettings& settings, std::uint8_t id, std::uint8_t value);

// Index of a rate in SPEED_TABLE, or -1.
int speedIndexOf(std::uint32_t rate);

}  // namespace qm::stillcam
