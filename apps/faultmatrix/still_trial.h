// One trial of the still camera: a private Windows directory, a simulated
// camera on the USB cable or a serial port, and the Kestrom device module
// loaded from that directory, as the panel loads it. Everything goes away
// with the trial.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "device/entry/driver_entry.h"
#include "platform/system/library.h"
#include "simulators/stillcam/still_camera.h"

namespace qm::faultmatrix {

enum class Attachment { Usb, Serial };

class StillTrial {
public:
    // `modulePath` is the built Kestrom.DLL.
    StillTrial(Attachment attachment, const stillcam::StillCameraConfig& config, const std::string& modulePath);
    ~StillTrial();
    StillTrial(const StillTrial&) = delete;
    StillTrial& operator=(const StillTrial&) = delete;

    // False (and `problem` says why) when the camera or the module is missing.
    bool ready() const { return entry_ != nullptr; }
    const std::string& problem() const { return problem_; }

    std::uint8_t call(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr) const;
    // Type 1: the picture count into `count`.
    std::uint8_t connect(std::uint32_t& count) const;

    stillcam::StillCamera& camera() { return *camera_; }
    const std::string& directory() const { return directory_; }

private:
    std::string directory_;
    std::unique_ptr<stillcam::StillCamera> camera_;
    sys::HMODULE module_ = nullptr;
    device::DriverEntryProc entry_ = nullptr;
    std::string problem_;
};

}  // namespace qm::faultmatrix
