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
    // The device asks the server to close from the server's own thread; the
    // server then tells whoever wants to know that the cable is out.
    device_ = std::make_unique<UsbCameraDevice>(core_, productId, [this] { server_->close(); });
    server_ = std::make_unique<CableServer>(*device_);
    auto closed = [this] {
        attached_ = false;
        if (onUnplug_)
            onUnplug_();
    };
    if (!server_->start(socketPath, closed, error)) {
        server_.reset();
        device_.reset();
        return false;
    }
    {
        std::lock_guard lock(pathMutex_);
        path_ = socketPath;
    }
    attached_ = true;
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
    if (device_)
        device_->interrupt();
    if (server_)
        server_->stop();
    server_.reset();
    device_.reset();
}

}  // namespace qm::stillcam
