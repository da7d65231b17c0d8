// What the simulated camera saw for a frame, as 24-bit RGB: its scene
// developed with the camera's current registers and front-end gain, before
// compression. Decoded frames are compared with it.
#pragma once

#include <cstdint>
#include <vector>

#include "simulators/dualcam/dual_camera.h"

namespace qm::morvax::test {

struct CameraState {
    std::vector<std::uint8_t> registers;  // every address
    int gain = 0;

    bool operator==(const CameraState&) const = default;
};

// The registers and gain the next frame will be developed with.
CameraState cameraState(const dualcam::DualCamera& camera);

// The frame a camera (with a Sharp front end, CDS type 0 or 6) in `state`
// develops from `config`'s scene, top row first, R G B.
std::vector<std::uint8_t> sceneAsSeen(const dualcam::DualCamConfig& config, const CameraState& state, int width,
                                      int height);

}  // namespace qm::morvax::test
