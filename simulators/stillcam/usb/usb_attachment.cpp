#include "simulators/stillcam/usb/usb_attachment.h"

namespace qm::stillcam {

UsbAttachment::UsbAttachment(CameraCore& core, std::function<void()> onUnplug)
    : core_(core), onUnplug_(std::move(onUnplug))
{
}

UsbAttachment::~UsbAttachment() { detach(); }

bool UsbAttachment::attach(const std::string& socketPath, std::uint16_t productId, std::string* error)
{
    detach();
    if (productId != kProduct2620 && productId != kProduct2888) {
        if (error) *error = "the camera is product 0x2620 or 0x2888";
        return false;
    }
    auto device = std::make_shared<UsbCameraDevice>(core_, productId);
    // Runs on a cable thread when the camera pulls its own cable (an Unplug
    // fault), once the socket and its path are gone.
    auto closed = [this] {
        attached_ = false;
        if (onUnplug_)
            onUnplug_();
    };
    {
        std::lock_guard lock(pathMutex_);
        path_ = socketPath;
    }
    // Attached before the first host can come, so that an unplug as early
    // as that is not overwritten.
    attached_ = true;
    server_ = usb::cable::CableServer::start(socketPath, device, closed, error);
    if (!server_) {
        attached_ = false;
        return false;
    }
    device_ = std::move(device);
    return true;
}

std::string UsbAttachment::socketPath() const
{
    std::lock_guard lock(pathMutex_);
    return attached_ ? path_ : std::string();
}

void UsbAttachment::detach()
{
    attached_ = false;
    // Waits inside the camera end at once rather than at the server's next look.
    if (device_)
        device_->interrupt();
    server_.reset();
    device_.reset();
}

}  // namespace qm::stillcam
