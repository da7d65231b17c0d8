// A camera for one test: pacing off, a manual clock, a fixed date.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "simulators/stillcam/still_camera.h"
#include "tests/simulators/stillcam/camera_host.h"

namespace qm::stillcam::test {

inline StillCameraConfig testConfig(std::uint8_t model = 16, unsigned pictures = 3)
{
    StillCameraConfig config;
    config.model = model;
    config.pictureCount = pictures;
    config.dateTime = CameraDateTime{2001, 6, 15, 12, 30, 0};
    config.clock = std::make_shared<ManualClock>();
    return config;
}

inline std::unique_ptr<StillCamera> makeCamera(const StillCameraConfig& config)
{
    std::string error;
    auto camera = StillCamera::create(config, &error);
    EXPECT_TRUE(camera) << error;
    return camera;
}

inline ManualClock& manualClock(const StillCameraConfig& config)
{
    return static_cast<ManualClock&>(*config.clock);
}

// The 64 information bytes of a CMD_CAMERA_INFO or CMD_PICTURE_INFO reply.
inline Bytes infoOf(const Reply& reply)
{
    return reply.data.size() == 65 ? Bytes(reply.data.begin() + 1, reply.data.end()) : Bytes{};
}

}  // namespace qm::stillcam::test
