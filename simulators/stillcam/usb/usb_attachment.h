// The camera plugged into the virtual USB cable.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/usb/cable_server.h"
#include "simulators/stillcam/core/camera_core.h"
#include "simulators/stillcam/usb/usb_camera_device.h"

namespace qm::stillcam {

class UsbAttachment {
public:
    UsbAttachment(CameraCore& core, std::function<void()> onUnplug);
    ~UsbAttachment();
    UsbAttachment(const UsbAttachment&) = delete;
    UsbAttachment& operator=(const UsbAttachment&) = delete;

    bool attach(const std::string& socketPath, std::uint16_t productId, std::string* error);
    void detach();
    bool attached() const { return attached_; }
    std::string socketPath() const;

private:
    CameraCore& core_;
    std::function<void()> onUnplug_;
    std::shared_ptr<UsbCameraDevice> device_;
    std::unique_ptr<usb::cable::CableServer> server_;
    // Read from any thread while attach and detach change the server.
    std::atomic<bool> attached_{false};
    mutable std::mutex pathMutex_;
    std::string path_;
};

}  // namespace qm::stillcam
