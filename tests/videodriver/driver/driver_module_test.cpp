// libmorvax.so as the adapter host sees it: one export, a device that
// starts on the simulated camera and describes its two streams.
#include <gtest/gtest.h>

#include "platform/system/library.h"
#include "platform/usbd/descriptor_builder.h"
#include "tests/videodriver/driver/rig/video_rig.h"

namespace qm::morvax::test {
namespace {

class DriverModule : public VideoRig {};

TEST_F(DriverModule, ExportsOnlyDriverEntry)
{
    sys::HMODULE library = sys::LoadLibrary(qm::test::builtLibrary("libmorvax.so").c_str());
    ASSERT_TRUE(sys::isValidModuleHandle(library));
    EXPECT_NE(sys::GetProcAddress(library, "DriverEntry"), nullptr);
    for (const char* hidden : {"USBCAMD_DriverEntry", "MORVAX_AdapterReceivePacket", "HwInitialize"})
        EXPECT_EQ(sys::GetProcAddress(library, hidden), nullptr) << hidden;
    sys::FreeLibrary(library);
}

TEST_F(DriverModule, DescribesACapturePinAndAStillPin)
{
    const DeviceDescription& description = host().description();
    ASSERT_EQ(description.streams.size(), 2u);
    const StreamDescription& capture = description.streams[kCaptureStream];
    const StreamDescription& still = description.streams[kStillStream];
    EXPECT_EQ(capture.category, PINNAME_VIDEO_CAPTURE);
    EXPECT_EQ(still.category, PINNAME_VIDEO_STILL);
    for (const StreamDescription* stream : {&capture, &still}) {
        EXPECT_EQ(stream->possibleInstances, 1u);
        EXPECT_EQ(stream->dataFlow, KSPIN_DATAFLOW_OUT);
        EXPECT_TRUE(stream->dataAccessible);
        EXPECT_EQ(stream->mediumsCount, 1u);
        EXPECT_FALSE(stream->bridge);
        ASSERT_EQ(stream->propertySets.size(), 2u);
        EXPECT_EQ(stream->propertySets[0].set, KSPROPSETID_Connection);
        EXPECT_EQ(stream->propertySets[1].set, PROPSETID_VIDCAP_DROPPEDFRAMES);
    }
    EXPECT_EQ(capture.formats.size(), 10u);
    ASSERT_EQ(still.formats.size(), 1u);
    // The still pin offers the last capture format, 640 x 480 MJPG.
    const auto* stillRange = reinterpret_cast<const KS_DATARANGE_VIDEO*>(still.formats[0].data());
    EXPECT_EQ(stillRange->VideoInfoHeader.bmiHeader.biWidth, 640);
    EXPECT_EQ(stillRange->VideoInfoHeader.bmiHeader.biCompression, MAKEFOURCC('M', 'J', 'P', 'G'));
    ASSERT_EQ(description.categories.size(), 2u);
    EXPECT_EQ(description.categories[0], KSCATEGORY_VIDEO);
    EXPECT_EQ(description.categories[1], KSCATEGORY_CAPTURE);
}

TEST_F(DriverModule, StreamsFramesFromTheCamera)
{
    auto stream = openRunning(kCaptureStream, 0);
    ASSERT_TRUE(stream);
    const auto format = formatFor(kCaptureStream, 0);
    for (int i = 0; i < 3; ++i)
        stream->queueRead(imageSize(format));
    for (int i = 0; i < 3; ++i) {
        auto read = stream->waitForRead(kWaitLimitMs);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->status, STATUS_SUCCESS);
        EXPECT_GT(read->header.DataUsed, 4u);
    }
    EXPECT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
}

// A USB device with one interface and no pipes at all.
class PipelessDevice : public usbd::DeviceModel {
public:
    std::vector<std::uint8_t> deviceDescriptor() const override
    {
        usbd::DeviceIdentity identity;
        identity.idVendor = 0x0784;
        identity.idProduct = 0x4200;
        return usbd::makeDeviceDescriptor(identity);
    }
    std::vector<std::uint8_t> configurationDescriptor() const override
    {
        return usbd::ConfigurationBuilder().interface(0, 0).build();
    }
    usbd::ControlResult controlIn(const usbd::SetupPacket&, std::span<std::uint8_t>) override
    {
        return usbd::ControlResult::stalled();
    }
    usbd::ControlResult controlOut(const usbd::SetupPacket&, std::span<const std::uint8_t>) override
    {
        return usbd::ControlResult::stalled();
    }
    usbd::IsoPacketResult isochronousIn(std::uint8_t, std::uint32_t, std::span<std::uint8_t>) override { return {}; }
};

class WrongDevice : public VideoRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        options.device = std::make_shared<PipelessDevice>();
        options.expectedStart = STATUS_DEVICE_DATA_ERROR;
        return options;
    }
};

TEST_F(WrongDevice, ADeviceWithoutTheVideoPipesDoesNotStartAndKeepsNothing)
{
    // The start failed in SetUp; nothing of the driver's pool is left.
    EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("Wdm ")).blocks, 0u);
    EXPECT_TRUE(host().description().streams.empty());
}

}  // namespace
}  // namespace qm::morvax::test
