#include "tests/videodriver/exposure/bench/context_bench.h"

#include <atomic>
#include <cstring>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "platform/kernel/work_items.h"
#include "platform/usbd/descriptor_builder.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/engine/device_extension.h"

namespace qm::morvax::test {

namespace {

constexpr char16_t kQuillonKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon";
constexpr char16_t kSettingsKey[] = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX";
// Clock steps a passive-level call may take before the test gives up.
constexpr ULONG kMostSteps = 20000;

}  // namespace

// --- WireRecorder ---

std::vector<RegisterAccess> WireRecorder::accesses() const
{
    std::lock_guard guard(lock_);
    return accesses_;
}

std::vector<RegisterAccess> WireRecorder::writesTo(USHORT first) const
{
    std::vector<RegisterAccess> matching;
    for (const RegisterAccess& access : accesses())
        if (access.write && access.first == first)
            matching.push_back(access);
    return matching;
}

std::vector<RegisterAccess> WireRecorder::readsOf(USHORT first) const
{
    std::vector<RegisterAccess> matching;
    for (const RegisterAccess& access : accesses())
        if (!access.write && access.first == first)
            matching.push_back(access);
    return matching;
}

void WireRecorder::clear()
{
    std::lock_guard guard(lock_);
    accesses_.clear();
}

usbd::ControlResult WireRecorder::controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data)
{
    const usbd::ControlResult result = device_->controlIn(setup, data);
    std::lock_guard guard(lock_);
    accesses_.push_back({false, setup.wIndex, std::vector<UCHAR>(data.begin(), data.begin() + result.length)});
    return result;
}

usbd::ControlResult WireRecorder::controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data)
{
    {
        std::lock_guard guard(lock_);
        accesses_.push_back({true, setup.wIndex, std::vector<UCHAR>(data.begin(), data.end())});
    }
    return device_->controlOut(setup, data);
}

// --- RegisterBoard ---

void RegisterBoard::set(USHORT address, UCHAR value)
{
    std::lock_guard guard(lock_);
    registers_[address] = value;
}

void RegisterBoard::setRun(USHORT first, std::span<const UCHAR> values)
{
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < values.size(); ++i)
        registers_[(first + i) & 0xFFFF] = values[i];
}

void RegisterBoard::pin(USHORT address, UCHAR value)
{
    std::lock_guard guard(lock_);
    pinned_[address] = value;
}

UCHAR RegisterBoard::get(USHORT address) const
{
    std::lock_guard guard(lock_);
    return registers_[address];
}

std::vector<std::uint8_t> RegisterBoard::deviceDescriptor() const
{
    usbd::DeviceIdentity identity;
    identity.idVendor = 0x0784;
    identity.idProduct = 0x4200;
    return usbd::makeDeviceDescriptor(identity);
}

std::vector<std::uint8_t> RegisterBoard::configurationDescriptor() const
{
    usbd::ConfigurationBuilder builder;
    builder.interface(0, 0);
    return builder.build();
}

usbd::ControlResult RegisterBoard::controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data)
{
    std::lock_guard guard(lock_);
    const std::size_t length = std::min<std::size_t>(setup.wLength, data.size());
    for (std::size_t i = 0; i < length; ++i) {
        const USHORT address = USHORT(setup.wIndex + i);
        const auto pinned = pinned_.find(address);
        data[i] = pinned != pinned_.end() ? pinned->second : registers_[address];
    }
    return usbd::ControlResult::ok(length);
}

usbd::ControlResult RegisterBoard::controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data)
{
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < data.size(); ++i)
        registers_[(setup.wIndex + i) & 0xFFFF] = data[i];
    return usbd::ControlResult::ok();
}

// --- ContextBench ---

void ContextBench::SetUp()
{
    SimulatedKernelTest::SetUp();
    windows_ = std::make_unique<qm::test::WindowsDir>();
    kernel::sim::reloadRegistry();
}

void ContextBench::plug(std::shared_ptr<usbd::DeviceModel> device, ULONG ccdType, ULONG cdsType)
{
    if (initialized_)
        MORVAX_UnInitialize(nullptr, context());
    initialized_ = false;
    bus_.reset();
    device_ = std::move(device);
    recorder_ = std::make_shared<WireRecorder>(device_);
    bus_ = std::make_unique<usbd::Bus>();
    const ULONG port = bus_->plug(recorder_);

    extension_.assign(sizeof(DeviceExtension) + sizeof(MorvaxContext), 0);
    auto* extension = reinterpret_cast<DeviceExtension*>(extension_.data());
    extension->StackDeviceObject = bus_->physicalDeviceObject(port);
    extension->DevicePresent = kDeviceStarted;
    extension->StreamState = kNoStreamOpen;

    MorvaxContext* camera = context();
    morvaxSetDefaults(camera);
    camera->CCDType = ccdType;
    camera->CDSType = cdsType;
    camera->Width = 640;
    camera->Height = 480;
    DR_SetDefaultRegTable(camera);
}

dualcam::DualCamera& ContextBench::plugCamera(const dualcam::DualCamConfig& config)
{
    auto camera = std::make_shared<dualcam::DualCamera>(config);
    plug(camera, ULONG(config.ccdType), ULONG(config.cdsType));
    return *camera;
}

void ContextBench::initialize()
{
    ASSERT_EQ(MORVAX_Initialize(nullptr, context()), STATUS_SUCCESS);
    initialized_ = true;
}

void ContextBench::atPassiveLevel(const std::function<void()>& call)
{
    struct Job {
        WORK_QUEUE_ITEM item;
        const std::function<void()>* call;
        std::atomic<bool> done{false};
    } job;
    job.call = &call;
    ExInitializeWorkItem(
        &job.item,
        [](PVOID parameter) {
            auto* running = static_cast<Job*>(parameter);
            (*running->call)();
            running->done = true;
            kernel::sim::notifyActivity();
        },
        &job);
    ExQueueWorkItem(&job.item, DelayedWorkQueue);
    ULONG steps = 0;
    while (kernel::sim::waitUntilSettled([&] { return job.done.load(); }) && steps++ < kMostSteps)
        advance(1);
    ASSERT_TRUE(job.done.load()) << "the driver call did not return";
}

MorvaxContext* ContextBench::context()
{
    return static_cast<MorvaxContext*>(cameraContext(reinterpret_cast<DeviceExtension*>(extension_.data())));
}

void ContextBench::TearDown()
{
    if (initialized_)
        MORVAX_UnInitialize(nullptr, context());
    // A table read without MORVAX_Initialize is the test's to give back.
    if (!extension_.empty() && context()->PictureTable != nullptr) {
        freePool(context()->PictureTable);
        context()->PictureTable = nullptr;
    }
    bus_.reset();
    recorder_.reset();
    device_.reset();
    EXPECT_TRUE(bugChecks().empty());
    EXPECT_EQ(kernel::sim::poolUsage(makePoolTag("Wdm ")).blocks, 0u);
    SimulatedKernelTest::TearDown();
    windows_.reset();
}

void putSetting(const std::u16string& name, ULONG value)
{
    std::u16string quillon = kQuillonKey;
    std::u16string settings = kSettingsKey;
    RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, quillon.data());
    RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, settings.data());
    ASSERT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, settings.c_str(), name.c_str(), REG_DWORD, &value,
                                    sizeof(value)),
              STATUS_SUCCESS);
}

std::optional<ULONG> readSetting(const std::u16string& name, const std::u16string& subkey)
{
    std::u16string path = kSettingsKey;
    if (!subkey.empty())
        path += u"\\" + subkey;
    ULONG value = 0;
    RTL_QUERY_REGISTRY_TABLE table[2] = {};
    table[0].Flags = RTL_QUERY_REGISTRY_DIRECT | RTL_QUERY_REGISTRY_REQUIRED;
    std::u16string valueName = name;
    table[0].Name = valueName.data();
    table[0].EntryContext = &value;
    if (!NT_SUCCESS(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, path.c_str(), table, nullptr, nullptr)))
        return std::nullopt;
    return value;
}

}  // namespace qm::morvax::test
