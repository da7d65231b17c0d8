#include "tests/videodriver/driver/rig/video_rig.h"

#include <cstring>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"

namespace qm::morvax::test {

namespace {

constexpr char16_t kQuillonKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon";
constexpr char16_t kSettingsKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX";

}  // namespace

void writeSetting(const std::u16string& name, ULONG value)
{
    std::u16string quillon = kQuillonKey;
    std::u16string settings = kSettingsKey;
    RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, quillon.data());
    RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, settings.data());
    ASSERT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, settings.c_str(), name.c_str(), REG_DWORD, &value,
                                    sizeof(value)),
              STATUS_SUCCESS);
}

void VideoRig::SetUp()
{
    SimulatedKernelTest::SetUp();
    windows_ = std::make_unique<qm::test::WindowsDir>();
    kernel::sim::reloadRegistry();
    RigOptions options = rigOptions();
    if (options.start)
        startRig(std::move(options));
}

void VideoRig::startRig(RigOptions options)
{
    for (const Setting& setting : options.settings)
        writeSetting(setting.name, setting.value);
    bus_ = std::make_unique<usbd::Bus>();
    if (options.bandwidthLimit != 0)
        bus_->setBandwidthLimit(options.bandwidthLimit);
    if (options.device) {
        device_ = options.device;
    } else {
        camera_ = std::make_shared<dualcam::DualCamera>(options.camera);
        device_ = camera_;
    }
    port_ = bus_->plug(device_);
    const std::string library = qm::test::builtLibrary("libmorvax.so");
    driverLibrary_ = sys::LoadLibrary(library.c_str());
    ASSERT_TRUE(sys::isValidModuleHandle(driverLibrary_));
    host_ = std::make_unique<AdapterHost>();
    ASSERT_EQ(host_->loadDriver(library), STATUS_SUCCESS);
    ASSERT_EQ(host_->startDevice(bus_->physicalDeviceObject(port_)), options.expectedStart);
}

void VideoRig::TearDown()
{
    if (host_) {
        EXPECT_EQ(host_->protocolViolations(), 0u);
        host_.reset();
    }
    // Let the host's thread leave the driver's code before it is unmapped.
    settle();
    if (driverLibrary_ != nullptr)
        sys::FreeLibrary(driverLibrary_);
    driverLibrary_ = nullptr;
    bus_.reset();
    camera_.reset();
    device_.reset();
    EXPECT_TRUE(bugChecks().empty());
    // Everything the driver took from pool went back.
    EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("Wdm ")).blocks, 0u);
    SimulatedKernelTest::TearDown();
    windows_.reset();
}

std::vector<UCHAR> VideoRig::formatFor(ULONG stream, ULONG index, LONGLONG avgTimePerFrame)
{
    const auto& range = host_->description().streams.at(stream).formats.at(index);
    std::vector<UCHAR> format(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER));
    ULONG bytes = 0;
    EXPECT_EQ(host_->dataIntersection(stream, range, format, bytes), STATUS_SUCCESS);
    EXPECT_EQ(bytes, format.size());
    auto* header = reinterpret_cast<KS_DATAFORMAT_VIDEOINFOHEADER*>(format.data());
    header->VideoInfoHeader.AvgTimePerFrame = avgTimePerFrame;
    return format;
}

std::unique_ptr<Stream> VideoRig::open(ULONG stream, const std::vector<UCHAR>& format, NTSTATUS expected)
{
    std::unique_ptr<Stream> opened;
    EXPECT_EQ(host_->openStream(stream, format, opened), expected);
    return opened;
}

std::unique_ptr<Stream> VideoRig::openRunning(ULONG stream, ULONG index, LONGLONG avgTimePerFrame)
{
    std::unique_ptr<Stream> opened = open(stream, formatFor(stream, index, avgTimePerFrame));
    if (opened) {
        EXPECT_EQ(opened->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
        EXPECT_EQ(opened->setState(KSSTATE_RUN), STATUS_SUCCESS);
    }
    return opened;
}

const KS_VIDEOINFOHEADER& VideoRig::videoInfo(const std::vector<UCHAR>& format)
{
    return reinterpret_cast<const KS_DATAFORMAT_VIDEOINFOHEADER*>(format.data())->VideoInfoHeader;
}

ULONG VideoRig::imageSize(const std::vector<UCHAR>& format) { return videoInfo(format).bmiHeader.biSizeImage; }

kernel::sim::PoolUsage VideoRig::driverPool()
{
    const auto pool = kernel::sim::poolUsage(makePoolTag("Wdm "));
    const auto irps = kernel::sim::poolUsage(makePoolTag("Irp "));
    return {pool.blocks + irps.blocks, pool.bytes + irps.bytes};
}

}  // namespace qm::morvax::test
