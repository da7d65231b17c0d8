#include "platform/streamclass/adapter_host.h"

#include <cstring>

#include "platform/streamclass/master_clock.h"
#include "platform/system/library.h"
#include "platform/usbd/bus.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/platform/streamclass/test_minidriver.h"
#include "tests/platform/usbd/test_camera.h"
#include "tests/support/windows_dir.h"

namespace qm::streamclass {
namespace {

namespace minidriver = test::minidriver;

constexpr ULONG kFrameBytes = minidriver::kPacketsPerFrame * 16;  // the camera's default packet length

class AdapterHostTest : public test::SimulatedKernelTest {
protected:
    void SetUp() override
    {
        SimulatedKernelTest::SetUp();
        bus_ = std::make_unique<usbd::Bus>();
        port_ = bus_->plug(camera_);
        // The tests hold their own reference to reach the counters.
        library_ = sys::LoadLibrary(QM_TEST_MINIDRIVER);
        ASSERT_TRUE(sys::isValidModuleHandle(library_));
        stats_ = sys::getProc<minidriver::StatsFunction>(library_, minidriver::kStatsExport)();
        for (auto* counter : {&stats_->synchronized, &stats_->timeouts, &stats_->cancels, &stats_->pageOuts,
                              &stats_->powerState, &stats_->uninitialized})
            *counter = 0;
        stats_->receiveIrql = stats_->receiveRole = -1;
        poolBefore_ = kernel::sim::poolUsage(makePoolTag("TstM"));
    }

    void TearDown() override
    {
        host_.reset();
        bus_.reset();
        // A work item of the minidriver may still be on its way out: let
        // everything settle before its code is unmapped.
        kernel::sim::setClockMode(kernel::sim::ClockMode::Manual);
        settle();
        EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("TstM")), poolBefore_);
        sys::FreeLibrary(library_);
        SimulatedKernelTest::TearDown();
    }

    void start()
    {
        host_ = std::make_unique<AdapterHost>();
        ASSERT_EQ(host_->loadDriver(QM_TEST_MINIDRIVER), STATUS_SUCCESS);
        ASSERT_EQ(host_->startDevice(bus_->physicalDeviceObject(port_)), STATUS_SUCCESS);
    }

    std::unique_ptr<Stream> open()
    {
        const KSDATAFORMAT format = minidriver::format();
        std::unique_ptr<Stream> stream;
        EXPECT_EQ(host_->openStream(0, bytesOf(format), stream), STATUS_SUCCESS);
        return stream;
    }

    template <typename Record>
    static std::span<const UCHAR> bytesOf(const Record& record)
    {
        return {reinterpret_cast<const UCHAR*>(&record), sizeof record};
    }

    static std::vector<UCHAR> propertyRecord(const GUID& set, ULONG id)
    {
        KSPROPERTY property{};
        property.Set = set;
        property.Id = id;
        const auto* bytes = reinterpret_cast<const UCHAR*>(&property);
        return {bytes, bytes + sizeof property};
    }

    // The frame number the camera wrote into the packet at `offset`.
    static ULONG frameAt(const CompletedRead& read, std::size_t offset)
    {
        ULONG frame = 0;
        std::memcpy(&frame, read.data.data() + offset, sizeof frame);
        return frame;
    }

    std::shared_ptr<test::TestCamera> camera_ = std::make_shared<test::TestCamera>();
    std::unique_ptr<usbd::Bus> bus_;
    ULONG port_ = 0;
    sys::HMODULE library_ = nullptr;
    minidriver::Stats* stats_ = nullptr;
    kernel::sim::PoolUsage poolBefore_;
    std::unique_ptr<AdapterHost> host_;
};

TEST_F(AdapterHostTest, LoadsTheMinidriverAndDescribesItsStreams)
{
    start();
    const DeviceDescription& description = host_->description();
    ASSERT_EQ(description.streams.size(), 1u);
    const StreamDescription& stream = description.streams[0];
    EXPECT_EQ(stream.possibleInstances, 1u);
    EXPECT_EQ(stream.dataFlow, KSPIN_DATAFLOW_OUT);
    EXPECT_TRUE(stream.dataAccessible);
    EXPECT_EQ(stream.name, minidriver::kPinName);
    EXPECT_EQ(stream.category, KSCATEGORY_CAPTURE);
    ASSERT_EQ(stream.formats.size(), 1u);
    EXPECT_EQ(stream.formats[0].size(), sizeof(KSDATAFORMAT));
    ASSERT_EQ(stream.propertySets.size(), 1u);
    EXPECT_EQ(stream.propertySets[0].set, KSPROPSETID_Connection);
    EXPECT_EQ(description.categories, (std::vector<GUID>{KSCATEGORY_VIDEO, KSCATEGORY_CAPTURE}));

    const auto property = host_->describeDeviceProperty(minidriver::kPropertySet, minidriver::kRegisterProperty);
    ASSERT_TRUE(property.has_value());
    EXPECT_TRUE(property->get);
    EXPECT_TRUE(property->set);
    ASSERT_TRUE(property->range.has_value());
    EXPECT_EQ(property->range->minimum, 0);
    EXPECT_EQ(property->range->maximum, 255);
    EXPECT_EQ(property->range->step, 1u);
    EXPECT_EQ(property->defaultValue, minidriver::kRegisterDefault);
    EXPECT_FALSE(host_->describeDeviceProperty(minidriver::kPropertySet, 9).has_value());

    // Requests reach the minidriver on the host thread at passive level,
    // with its device extension zero-filled to the last padding byte.
    EXPECT_EQ(stats_->receiveRole, int(kernel::sim::ThreadRole::Host));
    EXPECT_EQ(stats_->receiveIrql, PASSIVE_LEVEL);
    EXPECT_EQ(stats_->extensionZeroed, 1);
}

TEST_F(AdapterHostTest, LibrariesThatAreNotMinidriversAreRefused)
{
    AdapterHost host;
    EXPECT_EQ(host.loadDriver("/nonexistent/libmorvax.so"), STATUS_NOT_FOUND);
    EXPECT_EQ(host.loadDriver(test::builtLibrary("libqmkernel.so")), STATUS_NOT_FOUND);
    EXPECT_EQ(host.startDevice(bus_->physicalDeviceObject(port_)), STATUS_INVALID_DEVICE_STATE);
}

TEST_F(AdapterHostTest, DevicePropertiesReachTheCameraThroughThePublishedSets)
{
    start();
    const std::vector<UCHAR> registerProperty =
        propertyRecord(minidriver::kPropertySet, minidriver::kRegisterProperty);
    ULONG value = 0x42;
    ULONG returned = 0;
    std::span<UCHAR> valueBytes(reinterpret_cast<UCHAR*>(&value), sizeof value);
    ASSERT_EQ(host_->setDeviceProperty(registerProperty, valueBytes, returned), STATUS_SUCCESS);
    EXPECT_EQ(camera_->reg(minidriver::kRegisterIndex), 0x42);
    value = 0;
    ASSERT_EQ(host_->getDeviceProperty(registerProperty, valueBytes, returned), STATUS_SUCCESS);
    EXPECT_EQ(value, 0x42u);
    EXPECT_EQ(returned, sizeof value);

    EXPECT_EQ(host_->getDeviceProperty(propertyRecord(KSPROPSETID_Connection, 0), valueBytes, returned),
              STATUS_NOT_FOUND);
    EXPECT_EQ(host_->getDeviceProperty(propertyRecord(minidriver::kPropertySet, 9), valueBytes, returned),
              STATUS_NOT_FOUND);
    // Published as get-only.
    EXPECT_EQ(host_->setDeviceProperty(propertyRecord(minidriver::kPropertySet, minidriver::kCompleteTwiceProperty),
                                       valueBytes, returned),
              STATUS_NOT_FOUND);
    // An empty buffer asks for the size; a short one is refused.
    EXPECT_EQ(host_->getDeviceProperty(registerProperty, {}, returned), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(returned, sizeof(ULONG));
    EXPECT_EQ(host_->getDeviceProperty(registerProperty, valueBytes.first(2), returned), STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(host_->getDeviceProperty(std::span(registerProperty).first(10), valueBytes, returned),
              STATUS_INVALID_PARAMETER);
    EXPECT_EQ(host_->protocolViolations(), 0u);
}

TEST_F(AdapterHostTest, ARequestCompletedTwiceIsNotedAndOtherwiseIgnored)
{
    start();
    ULONG value = 0, returned = 0;
    EXPECT_EQ(host_->getDeviceProperty(propertyRecord(minidriver::kPropertySet, minidriver::kCompleteTwiceProperty),
                                       {reinterpret_cast<UCHAR*>(&value), sizeof value}, returned),
              STATUS_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(host_->protocolViolations(), 1u);
}

TEST_F(AdapterHostTest, DataIntersectionAnswersWithTheStreamsFormat)
{
    start();
    KSDATARANGE range = minidriver::format();
    KSDATAFORMAT result{};
    ULONG returned = 0;
    EXPECT_EQ(host_->dataIntersection(0, bytesOf(range), {}, returned), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(returned, sizeof(KSDATAFORMAT));
    ASSERT_EQ(host_->dataIntersection(0, bytesOf(range), {reinterpret_cast<UCHAR*>(&result), sizeof result}, returned),
              STATUS_SUCCESS);
    EXPECT_EQ(returned, sizeof(KSDATAFORMAT));
    EXPECT_EQ(result.SubFormat, minidriver::kSubFormat);
    range.SubFormat = KSDATAFORMAT_SPECIFIER_NONE;
    EXPECT_EQ(host_->dataIntersection(0, bytesOf(range), {reinterpret_cast<UCHAR*>(&result), sizeof result}, returned),
              STATUS_NO_MATCH);
    range.FormatSize = 1000;  // more than the caller passed
    EXPECT_EQ(host_->dataIntersection(0, bytesOf(range), {}, returned), STATUS_INVALID_PARAMETER);
}

TEST_F(AdapterHostTest, AStreamOpensOnlyWithAFormatTheMinidriverAccepts)
{
    start();
    KSDATAFORMAT wrong = minidriver::format();
    wrong.SubFormat = KSDATAFORMAT_SPECIFIER_NONE;
    std::unique_ptr<Stream> stream;
    EXPECT_EQ(host_->openStream(0, bytesOf(wrong), stream), STATUS_INVALID_PARAMETER);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(host_->openStream(1, bytesOf(wrong), stream), STATUS_INVALID_PARAMETER);
    stream = open();
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(camera_->alternateSetting(), 1);
    // One instance only.
    std::unique_ptr<Stream> second;
    EXPECT_EQ(host_->openStream(0, bytesOf(minidriver::format()), second), STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    EXPECT_EQ(camera_->alternateSetting(), 0);
    EXPECT_NE(open(), nullptr);
}

TEST_F(AdapterHostTest, AnOpenIsRefusedWhenTheBusLacksBandwidth)
{
    start();
    bus_->setBandwidthLimit(500);
    std::unique_ptr<Stream> stream;
    EXPECT_EQ(host_->openStream(0, bytesOf(minidriver::format()), stream), STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_EQ(camera_->alternateSetting(), 0);
}

TEST_F(AdapterHostTest, ReadsCompleteWithConsecutiveFramesAndTheirFrameInformation)
{
    start();
    std::unique_ptr<Stream> stream = open();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(stream->queueRead(4096), STATUS_PENDING);
    ASSERT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
    ULONG nextFrame = 0;
    for (LONGLONG picture = 1; picture <= 3; ++picture) {
        std::optional<CompletedRead> read = stream->waitForRead(1000);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->status, STATUS_SUCCESS);
        ASSERT_EQ(read->data.size(), kFrameBytes);
        EXPECT_EQ(read->header.DataUsed, kFrameBytes);
        EXPECT_EQ(read->header.FrameExtent, 4096u);
        for (ULONG packet = 0; packet < minidriver::kPacketsPerFrame; ++packet) {
            const ULONG frame = frameAt(*read, packet * 16);
            if (nextFrame != 0) {
                EXPECT_EQ(frame, nextFrame);
            }
            nextFrame = frame + 1;
        }
        const std::optional<KS_FRAME_INFO> info = read->frameInfo();
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->ExtendedHeaderSize, sizeof(KS_FRAME_INFO));
        EXPECT_EQ(info->PictureNumber, picture);
        // No master clock: time 0 and the time not marked valid.
        EXPECT_EQ(read->header.PresentationTime.Time, 0);
        EXPECT_EQ(read->header.OptionsFlags & KSSTREAM_HEADER_OPTIONSF_TIMEVALID, 0u);
    }
    EXPECT_EQ(stream->pendingReads(), 0u);
}

TEST_F(AdapterHostTest, AMasterClockStampsFramesWithItsTime)
{
    start();
    std::unique_ptr<Stream> stream = open();
    MasterClock clock;
    clock.setTime(10'000'000);
    ASSERT_EQ(stream->setMasterClock(&clock), STATUS_SUCCESS);
    stream->queueRead(4096);
    const LONGLONG before = clock.streamTime();
    stream->setState(KSSTATE_RUN);
    std::optional<CompletedRead> read = stream->waitForRead(1000);
    ASSERT_TRUE(read.has_value());
    const ULONG flags = read->header.OptionsFlags;
    EXPECT_NE(flags & KSSTREAM_HEADER_OPTIONSF_TIMEVALID, 0u);
    EXPECT_NE(flags & KSSTREAM_HEADER_OPTIONSF_DURATIONVALID, 0u);
    EXPECT_GE(read->header.PresentationTime.Time, before);
    EXPECT_LE(read->header.PresentationTime.Time, clock.streamTime());
    EXPECT_GT(read->header.PresentationTime.Time, 10'000'000);
}

TEST_F(AdapterHostTest, ReadsThatWaitTooLongGoToTheTimeOutHandlerAndStayQueued)
{
    start();
    std::unique_ptr<Stream> stream = open();
    ULONG id = 0;
    stream->queueRead(4096, &id);  // stopped: no frames come
    usbd::Bus::step(1500);
    EXPECT_EQ(stats_->timeouts, 0);
    usbd::Bus::step(1000);
    EXPECT_EQ(stats_->timeouts, 1);
    usbd::Bus::step(2000);
    EXPECT_EQ(stats_->timeouts, 2);
    EXPECT_EQ(stream->pendingReads(), 1u);
    // Closing cancels it.
    EXPECT_EQ(stream->close(), STATUS_SUCCESS);
    std::optional<CompletedRead> read = stream->takeRead();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->id, id);
    EXPECT_EQ(read->status, STATUS_CANCELLED);
    EXPECT_EQ(stats_->cancels, 1);
}

TEST_F(AdapterHostTest, ACancelledReadCompletesAsCancelled)
{
    start();
    std::unique_ptr<Stream> stream = open();
    ULONG first = 0, second = 0;
    stream->queueRead(4096, &first);
    stream->queueRead(4096, &second);
    ASSERT_EQ(stream->cancelRead(second), STATUS_SUCCESS);
    std::optional<CompletedRead> read = stream->waitForRead(10);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->id, second);
    EXPECT_EQ(read->status, STATUS_CANCELLED);
    EXPECT_TRUE(read->data.empty());
    EXPECT_EQ(stream->pendingReads(), 1u);
    EXPECT_EQ(stream->cancelRead(second), STATUS_NOT_FOUND);
}

TEST_F(AdapterHostTest, StoppingHaltsTheFlowOfFrames)
{
    start();
    std::unique_ptr<Stream> stream = open();
    stream->queueRead(4096);
    stream->setState(KSSTATE_RUN);
    ASSERT_TRUE(stream->waitForRead(1000).has_value());
    ASSERT_EQ(stream->setState(KSSTATE_STOP), STATUS_SUCCESS);
    KSSTATE state = KSSTATE_RUN;
    ASSERT_EQ(stream->getState(state), STATUS_SUCCESS);
    EXPECT_EQ(state, KSSTATE_STOP);
    stream->queueRead(4096);
    usbd::Bus::step(100);
    EXPECT_FALSE(stream->takeRead().has_value());
    EXPECT_EQ(stream->pendingReads(), 1u);
}

TEST_F(AdapterHostTest, StreamPropertiesGoToTheStream)
{
    start();
    std::unique_ptr<Stream> stream = open();
    KSALLOCATOR_FRAMING framing{};
    ULONG returned = 0;
    ASSERT_EQ(stream->getProperty(propertyRecord(KSPROPSETID_Connection, KSPROPERTY_CONNECTION_ALLOCATORFRAMING),
                                  {reinterpret_cast<UCHAR*>(&framing), sizeof framing}, returned),
              STATUS_SUCCESS);
    EXPECT_EQ(returned, sizeof framing);
    EXPECT_EQ(framing.Frames, 2u);
    EXPECT_EQ(framing.FrameSize, minidriver::kPacketsPerFrame * test::TestCamera::kPacketSizes[1]);
    EXPECT_EQ(stream->getProperty(propertyRecord(minidriver::kPropertySet, minidriver::kRegisterProperty),
                                  {reinterpret_cast<UCHAR*>(&framing), sizeof framing}, returned),
              STATUS_NOT_FOUND);
}

TEST_F(AdapterHostTest, PowerPagingAndUninitialisationReachTheMinidriver)
{
    start();
    EXPECT_EQ(host_->changePowerState(PowerDeviceD3), STATUS_SUCCESS);
    EXPECT_EQ(stats_->powerState, PowerDeviceD3);
    EXPECT_EQ(host_->changePowerState(PowerDeviceD0), STATUS_SUCCESS);
    EXPECT_EQ(stats_->powerState, PowerDeviceD0);
    EXPECT_EQ(host_->pageOut(), STATUS_SUCCESS);
    EXPECT_EQ(stats_->pageOuts, 1);
    EXPECT_EQ(host_->uninitialize(), STATUS_SUCCESS);
    EXPECT_EQ(stats_->uninitialized, 1);
    std::unique_ptr<Stream> stream;
    EXPECT_EQ(host_->openStream(0, bytesOf(minidriver::format()), stream), STATUS_INVALID_DEVICE_STATE);
    EXPECT_EQ(host_->pageOut(), STATUS_INVALID_DEVICE_STATE);
}

TEST_F(AdapterHostTest, DestroyingTheHostClosesTheStreamAndTheDevice)
{
    start();
    std::unique_ptr<Stream> stream = open();
    stream->queueRead(4096);
    stream->setState(KSSTATE_RUN);
    host_.reset();
    EXPECT_EQ(stats_->uninitialized, 1);
    EXPECT_EQ(camera_->alternateSetting(), 0);
    EXPECT_EQ(stream->setState(KSSTATE_RUN), STATUS_INVALID_DEVICE_STATE);
}

TEST_F(AdapterHostTest, ASynchronisedMinidriverIsCalledAtDispatchLevel)
{
    stats_->synchronized = 1;
    start();
    EXPECT_EQ(stats_->receiveIrql, DISPATCH_LEVEL);
    EXPECT_EQ(host_->pageOut(), STATUS_SUCCESS);
    EXPECT_EQ(stats_->receiveIrql, DISPATCH_LEVEL);
    EXPECT_TRUE(bugChecks().empty());
}

TEST_F(AdapterHostTest, FramesFlowWithTheBusPacedInRealTime)
{
    kernel::sim::setClockMode(kernel::sim::ClockMode::RealTime);
    start();
    std::unique_ptr<Stream> stream = open();
    stream->queueRead(4096);
    stream->setState(KSSTATE_RUN);
    std::optional<CompletedRead> read = stream->waitForRead(5000);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->status, STATUS_SUCCESS);
    EXPECT_EQ(read->data.size(), kFrameBytes);
}

}  // namespace
}  // namespace qm::streamclass
