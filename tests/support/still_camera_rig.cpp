#include "tests/support/still_camera_rig.h"

#include <filesystem>

namespace qm::test {

StillCameraRig::StillCameraRig(const WindowsDir& windows, const stillcam::StillCameraConfig& config,
                               Attachment attachment, int serialPort)
{
    // A serial read still needs time for the line's bytes to arrive on a busy
    // machine, so its time-out keeps a fifth.
    linkTime_.emplace("QM4200_LINK_TIME_PERCENT", std::string(attachment == Attachment::Serial ? "20" : "1"));
    camera_ = stillcam::StillCamera::create(config, &error_);
    if (!camera_)
        return;
    std::filesystem::create_directories(windows.path() + "/dosdevices");
    for (int port = 1; port <= 4; ++port) {
        if (attachment != Attachment::Serial || port != serialPort)
            std::filesystem::create_symlink("/nonexistent/serial-port",
                                            windows.path() + "/dosdevices/com" + std::to_string(port));
    }
    usbSocket_ = windows.path() + "/usb-cable";
    usb_.emplace("QM4200_USB", usbSocket_);
    bool attached = true;
    if (attachment == Attachment::Usb)
        attached = camera_->attachUsb(usbSocket_, stillcam::kProduct2620, &error_);
    else if (attachment == Attachment::Serial)
        attached = camera_->attachSerial(serialPort, windows.path(), &error_);
    if (!attached)
        camera_.reset();
}

StillCameraRig::~StillCameraRig()
{
    camera_.reset();
}

}  // namespace qm::test
