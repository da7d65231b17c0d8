// A running video driver: the simulated dual-mode camera plugged into a
// simulated bus paced in real time, and the Morvax driver loaded and
// started on it by the adapter host.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "apps/common/module_location.h"
#include "platform/streamclass/adapter_host.h"
#include "platform/system/library.h"
#include "platform/usbd/bus.h"
#include "simulators/dualcam/dual_camera.h"

namespace qm::qmvideo {

using namespace qm::streamclass;

// Where the driver is loaded from: --driver's path when given, else
// $QM4200_VIDEO_DRIVER, else the one beside the program (installed:
// <prefix>/lib/qm4200/libmorvax.so; in the build tree: build/lib).
apps::ModuleLocation driverLocation(const std::optional<std::string>& option);

class VideoSession {
public:
    explicit VideoSession(const dualcam::DualCamConfig& config = {});
    ~VideoSession();
    VideoSession(const VideoSession&) = delete;
    VideoSession& operator=(const VideoSession&) = delete;

    // Loads the driver and starts the device; the failing status otherwise,
    // with `problem` saying which step failed.
    NTSTATUS start(const apps::ModuleLocation& driver, std::string& problem);

    AdapterHost& host() { return *host_; }
    dualcam::DualCamera& camera() { return *camera_; }

private:
    std::unique_ptr<usbd::Bus> bus_;
    std::shared_ptr<dualcam::DualCamera> camera_;
    std::unique_ptr<AdapterHost> host_;
    // Our own reference keeps the driver mapped until the host's thread
    // has left it.
    sys::HMODULE driverLibrary_ = nullptr;
};

}  // namespace qm::qmvideo
