// A simulated still camera attached for a test that loads the device module
// from a private Windows directory: on the virtual USB cable, or on one
// serial port while the other ports lead nowhere (so a port search never
// touches a real port of the machine). The link's fixed waits shrink, since
// the simulated camera answers at once.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "simulators/stillcam/still_camera.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_dir.h"

namespace qm::test {

enum class Attachment { Usb, Serial, None };

class StillCameraRig {
public:
    // Builds the camera and attaches it; null camera() and `error` filled
    // when that fails.
    StillCameraRig(const WindowsDir& windows, const stillcam::StillCameraConfig& config, Attachment attachment,
                   int serialPort = 1);
    ~StillCameraRig();
    StillCameraRig(const StillCameraRig&) = delete;
    StillCameraRig& operator=(const StillCameraRig&) = delete;

    stillcam::StillCamera* camera() const { return camera_.get(); }
    const std::string& error() const { return error_; }
    std::string usbSocket() const { return usbSocket_; }

private:
    std::optional<ScopedEnv> linkTime_;
    std::optional<ScopedEnv> usb_;
    std::unique_ptr<stillcam::StillCamera> camera_;
    std::string usbSocket_;
    std::string error_;
};

}  // namespace qm::test
