#include "apps/qmvideo/video_session.h"

#include <unistd.h>

#include <climits>

#include "platform/kernel/sim_clock.h"

namespace qm::qmvideo {

std::string defaultDriverPath()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return "libmorvax.so";
    std::string executable(path, std::size_t(length));
    const std::size_t slash = executable.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : executable.substr(0, slash);
    return directory + "/../lib/libmorvax.so";
}

VideoSession::VideoSession(const dualcam::DualCamConfig& config)
{
    bus_ = std::make_unique<usbd::Bus>();
    camera_ = std::make_shared<dualcam::DualCamera>(config);
    bus_->plug(camera_);
    host_ = std::make_unique<AdapterHost>();
}

VideoSession::~VideoSession()
{
    host_.reset();
    kernel::sim::waitUntilSettled();
    bus_.reset();
    if (driverLibrary_ != nullptr)
        sys::FreeLibrary(driverLibrary_);
}

NTSTATUS VideoSession::start(const std::string& driverPath, std::string& problem)
{
    driverLibrary_ = sys::LoadLibrary(driverPath.c_str());
    if (!sys::isValidModuleHandle(driverLibrary_)) {
        driverLibrary_ = nullptr;
        problem = "cannot load the driver " + driverPath;
        return STATUS_NOT_FOUND;
    }
    NTSTATUS status = host_->loadDriver(driverPath);
    if (!NT_SUCCESS(status)) {
        problem = "DriverEntry of " + driverPath + " failed";
        return status;
    }
    status = host_->startDevice(bus_->physicalDeviceObject(1));
    if (!NT_SUCCESS(status))
        problem = "the camera did not start";
    return status;
}

}  // namespace qm::qmvideo
