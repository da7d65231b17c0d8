// A downloaded picture (JPEG data as the camera stores it) into the caller's
// picture buffer: a packed 24-bit DIB, sharpened, resized and turned as the
// camera model and the caller ask.
#pragma once

#include <cstdint>
#include <span>

#include "device/protocol/camera_records.h"

namespace qm::device::imaging {

struct PictureSteps {
    int sharpenFactor = 0;     // 0: not sharpened
    bool resizeToXga = false;  // to 1024 x 768
    int quarterTurns = 0;      // 0..3 to the right
};

// "Sharpen Factor" of section "Image Quality" in KVB.ini, 800 when unset.
int configuredSharpenFactor();

// The model's rules: models 16 and 18 are sharpened by `sharpenFactor`,
// models 18 and 32 show resolution code 1 at 1024 x 768, and rotation codes
// 1, 2 and 3 turn the picture by 90, 180 and 270 degrees (other codes: none).
PictureSteps pictureStepsFor(std::uint8_t model, const PictureInfo& info, std::uint8_t rotationCode,
                             int sharpenFactor);

// Decodes `picture`, applies the steps and writes the DIB to the start of
// `destination`. False when the data does not decode, a step fails or the
// bitmap does not fit into `destination`. A picture that does not fit, or
// whose header does not read, leaves `destination` untouched; data found
// corrupt while decoding may leave pixel rows written, but never the 40-byte
// header, whose first byte (the rotation code) a retry reads again.
bool pictureToBitmap(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                     std::span<std::uint8_t> destination);

// The session's form: the rotation code is the first byte of `destination`
// and the sharpening strength comes from KVB.ini.
bool pictureToBitmap(std::span<const std::uint8_t> picture, std::uint8_t model, const PictureInfo& info,
                     std::span<std::uint8_t> destination);

}  // namespace qm::device::imaging
