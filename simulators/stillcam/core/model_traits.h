// What differs between the camera models the simulator can be: the picture
// sizes they record and the resolution codes they report for them.
//
// Models 16, 17 and 22 record 640 x 480 only. Models 18 and 32 record
// 640 x 480 (code 0), 640 x 480 meant to be shown at 1024 x 768 (code 1; the
// host interpolates) and 1024 x 768 (code 2). The others also record
// 1024 x 768 (code 1), 1280 x 1024 (code 3) and 1360 x 1024 (code 4).
#pragma once

#include <cstdint>
#include <optional>

namespace qm::stillcam {

struct PictureGeometry {
    int width = 0;
    int height = 0;
};

bool isKnownModel(std::uint8_t model);
std::uint8_t defaultResolutionCode(std::uint8_t model);
// The size the model stores pictures of this code at; nullopt when the model
// has no such resolution.
std::optional<PictureGeometry> storedGeometry(std::uint8_t model, std::uint8_t resolutionCode);
// The code a picture of this stored size gets; nullopt when the model does
// not record that size.
std::optional<std::uint8_t> resolutionCodeFor(std::uint8_t model, int width, int height);
// Bytes a new picture typically takes, for the count of pictures still free.
std::uint32_t typicalPictureBytes(std::uint8_t model);

}  // namespace qm::stillcam
