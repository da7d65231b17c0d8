#include "tests/videodriver/camera/support/camera_on_bus.h"

#include "platform/kernel/registry.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/engine/device_extension.h"

namespace qm::morvax::test {

std::vector<RegisterWrite> RecordingCamera::writes() const
{
    std::lock_guard guard(lock_);
    return writes_;
}

std::vector<RegisterWrite> RecordingCamera::writesTo(USHORT first) const
{
    std::vector<RegisterWrite> matching;
    for (const RegisterWrite& write : writes())
        if (write.first == first)
            matching.push_back(write);
    return matching;
}

ULONG RecordingCamera::reads() const
{
    std::lock_guard guard(lock_);
    return reads_;
}

void RecordingCamera::clear()
{
    std::lock_guard guard(lock_);
    writes_.clear();
    reads_ = 0;
}

usbd::ControlResult RecordingCamera::controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data)
{
    {
        std::lock_guard guard(lock_);
        ++reads_;
    }
    return camera_->controlIn(setup, data);
}

usbd::ControlResult RecordingCamera::controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data)
{
    {
        std::lock_guard guard(lock_);
        writes_.push_back({setup.wIndex, std::vector<UCHAR>(data.begin(), data.end())});
    }
    return camera_->controlOut(setup, data);
}

void CameraOnBus::SetUp()
{
    SimulatedKernelTest::SetUp();
    windows_ = std::make_unique<qm::test::WindowsDir>();
    kernel::sim::reloadRegistry();
    plug({});
}

void CameraOnBus::plug(dualcam::DualCamConfig config)
{
    if (initialized_)
        MORVAX_UnInitialize(nullptr, context());
    initialized_ = false;
    bus_.reset();
    camera_ = std::make_shared<dualcam::DualCamera>(config);
    recorder_ = std::make_shared<RecordingCamera>(camera_);
    bus_ = std::make_unique<usbd::Bus>();
    const ULONG port = bus_->plug(recorder_);

    extension_.assign(sizeof(DeviceExtension) + sizeof(MorvaxContext), 0);
    auto* device = reinterpret_cast<DeviceExtension*>(extension_.data());
    device->StackDeviceObject = bus_->physicalDeviceObject(port);
    device->DevicePresent = kDeviceStarted;

    MorvaxContext* camera = context();
    morvaxSetDefaults(camera);
    camera->CCDType = ULONG(config.ccdType);
    camera->CDSType = ULONG(config.cdsType);
    camera->Width = 640;
    camera->Height = 480;
    DR_SetDefaultRegTable(camera);
}

void CameraOnBus::initialize()
{
    ASSERT_EQ(MORVAX_Initialize(nullptr, context()), STATUS_SUCCESS);
    initialized_ = true;
}

MorvaxContext* CameraOnBus::context()
{
    return static_cast<MorvaxContext*>(cameraContext(reinterpret_cast<DeviceExtension*>(extension_.data())));
}

void CameraOnBus::TearDown()
{
    if (initialized_)
        MORVAX_UnInitialize(nullptr, context());
    bus_.reset();
    recorder_.reset();
    camera_.reset();
    EXPECT_TRUE(bugChecks().empty());
    EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("Wdm ")).blocks, 0u);
    SimulatedKernelTest::TearDown();
    windows_.reset();
}

}  // namespace qm::morvax::test
