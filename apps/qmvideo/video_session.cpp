#include "apps/qmvideo/video_session.h"

#include <cstdlib>

#include "platform/kernel/sim_clock.h"

namespace qm::qmvideo {

apps::ModuleLocation driverLocation(const std::optional<std::string>& option)
{
    constexpr const char* kDriverFile = "libmorvax.so";
    apps::ModuleSearch search;
    search.option = option;
    search.optionName = "--driver";
    if (const char* named = std::getenv("QM4200_VIDEO_DRIVER"); named != nullptr && *named != '\0')
        search.environment = named;
    search.environmentName = "$QM4200_VIDEO_DRIVER";
    search.besideProgram = {std::string("../") + apps::kInstalledLibraries + "/" + kDriverFile,
                            std::string("../lib/") + kDriverFile};
    return apps::locateModule(search);
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

NTSTATUS VideoSession::start(const apps::ModuleLocation& driver, std::string& problem)
{
    const std::string& driverPath = driver.path;
    driverLibrary_ = sys::LoadLibrary(driverPath.c_str());
    if (!sys::isValidModuleHandle(driverLibrary_)) {
        driverLibrary_ = nullptr;
        problem = "cannot load the driver " + driverPath + " (from " + driver.origin + "): " +
                  apps::whyNotLoaded(driverPath);
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
