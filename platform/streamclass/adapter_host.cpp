#include "platform/streamclass/adapter_host.h"

#include <cstring>

#include "platform/streamclass/detail/adapter_state.h"
#include "platform/streamclass/master_clock.h"

namespace qm::streamclass {

using detail::AdapterState;
using detail::AlignedBuffer;
using detail::Request;
using detail::StreamState;
using detail::Target;

namespace {

// Larger stream descriptions than this are not believed.
inline constexpr ULONG kLargestStreamDescriptor = 1u << 20;
inline constexpr ULONG kLargestExtendedHeader = 65536;

std::size_t streamExtensionOffset()
{
    const std::size_t alignment = alignof(std::max_align_t);
    return (sizeof(HW_STREAM_OBJECT) + alignment - 1) / alignment * alignment;
}

void tearDownDevice(AdapterState& state)
{
    if (state.classDevice != nullptr) {
        if (state.lowerDevice != nullptr)
            IoDetachDevice(state.lowerDevice);
        IoDeleteDevice(state.classDevice);
    }
    state.classDevice = state.lowerDevice = nullptr;
    detail::unregisterKey(state.deviceExtension.data());
    state.deviceExtension = AlignedBuffer();
}

}  // namespace

std::optional<KS_FRAME_INFO> CompletedRead::frameInfo() const
{
    if (extendedHeader.size() < sizeof(KS_FRAME_INFO))
        return std::nullopt;
    KS_FRAME_INFO info;
    std::memcpy(&info, extendedHeader.data(), sizeof info);
    return info;
}

AdapterHost::AdapterHost(HostOptions options) : state_(std::make_shared<AdapterState>(std::move(options)))
{
    detail::registerKey(&state_->driverObject, state_);
}

AdapterHost::~AdapterHost()
{
    for (auto& stream : state_->streams)
        state_->closeStream(*stream);
    if (state_->started)
        uninitialize();
    state_->disarmTimeouts();
    unloadDriver();
    detail::unregisterKey(&state_->driverObject);
}

NTSTATUS AdapterHost::loadDriver(const std::string& libraryPath)
{
    if (state_->library != nullptr)
        return STATUS_INVALID_DEVICE_STATE;
    sys::HMODULE library = sys::LoadLibrary(libraryPath.c_str());
    if (!sys::isValidModuleHandle(library))
        return STATUS_NOT_FOUND;
    using DriverEntryFunction = NTSTATUS (*)(PDRIVER_OBJECT, PUNICODE_STRING);
    auto entry = sys::getProc<DriverEntryFunction>(library, "DriverEntry");
    if (entry == nullptr) {
        sys::FreeLibrary(library);
        return STATUS_NOT_FOUND;
    }
    state_->library = library;
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    state_->callOnHostThread([&] { status = entry(&state_->driverObject, &state_->registryPath); });
    if (NT_SUCCESS(status) && !state_->initData)
        status = STATUS_UNSUCCESSFUL;  // not a stream class minidriver
    if (!NT_SUCCESS(status))
        unloadDriver();
    return status;
}

NTSTATUS AdapterHost::startDevice(PDEVICE_OBJECT physicalDeviceObject)
{
    AdapterState& state = *state_;
    if (!state.initData || state.started)
        return STATUS_INVALID_DEVICE_STATE;
    if (physicalDeviceObject == nullptr)
        return STATUS_INVALID_PARAMETER;
    state.deviceExtension = AlignedBuffer(state.initData->DeviceExtensionSize);
    detail::registerKey(state.deviceExtension.data(), state_);
    NTSTATUS status = IoCreateDevice(&state.driverObject, 0, nullptr, FILE_DEVICE_KS, 0, FALSE, &state.classDevice);
    if (!NT_SUCCESS(status)) {
        tearDownDevice(state);
        return status;
    }
    state.lowerDevice = IoAttachDeviceToDeviceStack(state.classDevice, physicalDeviceObject);
    PORT_CONFIGURATION_INFORMATION& config = state.configInfo;
    config = {};
    config.SizeOfThisPacket = sizeof config;
    config.HwDeviceExtension = state.deviceExtension.data();
    config.ClassDeviceObject = state.classDevice;
    config.PhysicalDeviceObject = state.lowerDevice;
    config.RealPhysicalDeviceObject = physicalDeviceObject;
    config.AdapterInterfaceType = PNPBus;

    std::shared_ptr<Request> initialize = state.newRequest(SRB_INITIALIZE_DEVICE, Target::Device, nullptr);
    initialize->srb.CommandData.ConfigInfo = &config;
    status = state.run(initialize);
    if (!NT_SUCCESS(status)) {
        tearDownDevice(state);
        return status;
    }
    state.started = true;
    state.run(state.newRequest(SRB_INITIALIZATION_COMPLETE, Target::Device, nullptr));

    const ULONG size = config.StreamDescriptorSize;
    if (size < sizeof(HW_STREAM_HEADER) || size > kLargestStreamDescriptor) {
        state.noteViolation("the stream descriptor size is not believable");
        uninitialize();
        return STATUS_INVALID_PARAMETER;
    }
    std::shared_ptr<Request> info = state.newRequest(SRB_GET_STREAM_INFO, Target::Device, nullptr);
    info->payload = AlignedBuffer(size);
    info->srb.CommandData.StreamBuffer = info->payload.as<HW_STREAM_DESCRIPTOR>();
    info->srb.NumberOfBytesToTransfer = size;
    status = state.run(info);
    if (NT_SUCCESS(status) && !detail::parseStreamInformation(info->payload, state.description)) {
        state.noteViolation("the stream information is malformed");
        status = STATUS_INVALID_PARAMETER;
    }
    if (!NT_SUCCESS(status)) {
        uninitialize();
        return status;
    }
    state.armTimeouts();
    return STATUS_SUCCESS;
}

const DeviceDescription& AdapterHost::description() const { return state_->description; }

NTSTATUS AdapterHost::getDeviceProperty(std::span<const UCHAR> property, std::span<UCHAR> value,
                                        ULONG& bytesReturned)
{
    return state_->property(false, nullptr, property, value, bytesReturned);
}

NTSTATUS AdapterHost::setDeviceProperty(std::span<const UCHAR> property, std::span<UCHAR> value,
                                        ULONG& bytesReturned)
{
    return state_->property(true, nullptr, property, value, bytesReturned);
}

std::optional<PropertyDescription> AdapterHost::describeDeviceProperty(const GUID& set, ULONG id) const
{
    for (const PropertySetDescription& candidate : state_->description.propertySets)
        if (candidate.set == set)
            for (const PropertyDescription& property : candidate.properties)
                if (property.id == id)
                    return property;
    return std::nullopt;
}

NTSTATUS AdapterHost::dataIntersection(ULONG streamNumber, std::span<const UCHAR> range, std::span<UCHAR> format,
                                       ULONG& bytesReturned)
{
    AdapterState& state = *state_;
    bytesReturned = 0;
    if (!state.started)
        return STATUS_INVALID_DEVICE_STATE;
    if (range.size() < sizeof(KSDATARANGE) || format.size() > 0x7FFFFFFF)
        return STATUS_INVALID_PARAMETER;
    KSDATARANGE header;
    std::memcpy(&header, range.data(), sizeof header);
    if (header.FormatSize < sizeof(KSDATARANGE) || header.FormatSize > range.size())
        return STATUS_INVALID_PARAMETER;
    std::shared_ptr<Request> request = state.newRequest(SRB_GET_DATA_INTERSECTION, Target::Device, nullptr);
    request->property = AlignedBuffer(range.size());
    std::memcpy(request->property.data(), range.data(), range.size());
    request->payload = AlignedBuffer(format.size());
    request->intersectInfo = {streamNumber, request->property.as<KSDATARANGE>(), request->payload.data(),
                              ULONG(format.size())};
    request->srb.CommandData.IntersectInfo = &request->intersectInfo;
    request->srb.ActualBytesTransferred = 0;
    const NTSTATUS status = state.run(request);
    bytesReturned = request->srb.ActualBytesTransferred;
    if (bytesReturned > format.size()) {
        // A size-only answer to an empty buffer is allowed; more is not.
        if (!format.empty())
            state.noteViolation("an intersection reports more bytes than its buffer holds");
        if (!format.empty())
            bytesReturned = ULONG(format.size());
    }
    if (!format.empty())
        std::memcpy(format.data(), request->payload.data(), format.size());
    return status;
}

NTSTATUS AdapterHost::changePowerState(DEVICE_POWER_STATE powerState)
{
    if (!state_->started)
        return STATUS_INVALID_DEVICE_STATE;
    std::shared_ptr<Request> request = state_->newRequest(SRB_CHANGE_POWER_STATE, Target::Device, nullptr);
    request->srb.CommandData.DeviceState = powerState;
    return state_->run(request);
}

NTSTATUS AdapterHost::pageOut()
{
    if (!state_->started)
        return STATUS_INVALID_DEVICE_STATE;
    return state_->run(state_->newRequest(SRB_PAGING_OUT_DRIVER, Target::Device, nullptr));
}

NTSTATUS AdapterHost::surpriseRemoval()
{
    if (!state_->started)
        return STATUS_INVALID_DEVICE_STATE;
    return state_->run(state_->newRequest(SRB_SURPRISE_REMOVAL, Target::Device, nullptr));
}

NTSTATUS AdapterHost::uninitialize()
{
    AdapterState& state = *state_;
    if (!state.started)
        return STATUS_INVALID_DEVICE_STATE;
    for (auto& stream : state.streams)
        state.closeStream(*stream);
    const NTSTATUS status = state.run(state.newRequest(SRB_UNINITIALIZE_DEVICE, Target::Device, nullptr));
    if (!NT_SUCCESS(status) && status != STATUS_IO_TIMEOUT)
        return status;
    state.started = false;
    state.disarmTimeouts();
    tearDownDevice(state);
    return status;
}

NTSTATUS AdapterHost::openStream(ULONG streamNumber, std::span<const UCHAR> format, std::unique_ptr<Stream>& stream)
{
    AdapterState& state = *state_;
    stream.reset();
    if (!state.started)
        return STATUS_INVALID_DEVICE_STATE;
    if (streamNumber >= state.description.streams.size() || format.size() < sizeof(KSDATAFORMAT))
        return STATUS_INVALID_PARAMETER;
    KSDATAFORMAT header;
    std::memcpy(&header, format.data(), sizeof header);
    if (header.FormatSize < sizeof(KSDATAFORMAT) || header.FormatSize > format.size())
        return STATUS_INVALID_PARAMETER;
    ULONG instances = 0;
    for (const auto& existing : state.streams)
        if (existing->open && existing->number == streamNumber)
            ++instances;
    if (instances >= state.description.streams[streamNumber].possibleInstances)
        return STATUS_INSUFFICIENT_RESOURCES;

    auto created = std::make_unique<StreamState>();
    StreamState& fresh = *created;
    fresh.number = streamNumber;
    const std::size_t offset = streamExtensionOffset();
    fresh.object = AlignedBuffer(offset + state.initData->PerStreamExtensionSize);
    HW_STREAM_OBJECT* object = fresh.hwObject();
    object->SizeOfThisPacket = sizeof(HW_STREAM_OBJECT);
    object->StreamNumber = streamNumber;
    object->HwStreamExtension = state.initData->PerStreamExtensionSize > 0 ? fresh.object.data() + offset : nullptr;
    object->HwDeviceExtension = state.deviceExtension.data();
    fresh.format = AlignedBuffer(header.FormatSize);
    std::memcpy(fresh.format.data(), format.data(), header.FormatSize);
    state.streams.push_back(std::move(created));  // kept while the adapter lives
    detail::registerKey(object, state_);

    std::shared_ptr<Request> request = state.newRequest(SRB_OPEN_STREAM, Target::Device, &fresh);
    request->srb.CommandData.OpenFormat = fresh.format.as<KSDATAFORMAT>();
    const NTSTATUS status = state.run(request);
    if (!NT_SUCCESS(status)) {
        detail::unregisterKey(object);
        return status;
    }
    fresh.open = true;
    if (object->ReceiveDataPacket == nullptr || object->ReceiveControlPacket == nullptr) {
        state.noteViolation("an opened stream has no packet handlers");
        state.closeStream(fresh);
        return STATUS_INVALID_DEVICE_STATE;
    }
    stream.reset(new Stream(state_, &fresh));
    return STATUS_SUCCESS;
}

void AdapterHost::unloadDriver()
{
    if (state_->library == nullptr)
        return;
    if (state_->started)
        uninitialize();
    // A work item, DPC or the host thread itself may still be on its way
    // out of the driver's code: let everything come to rest first.
    if (!kernel::sim::waitUntilQuiet(state_->options.timeLimitMs))
        state_->noteViolation("the driver was still busy when it was unloaded");
    sys::FreeLibrary(state_->library);
    state_->library = nullptr;
    state_->initData.reset();
}

ULONG AdapterHost::protocolViolations() const
{
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->violations;
}

// ---------------------------------------------------------------------------

Stream::Stream(std::shared_ptr<AdapterState> adapter, StreamState* state)
    : adapter_(std::move(adapter)), state_(state)
{
}

Stream::~Stream() { close(); }

ULONG Stream::number() const { return state_->number; }

NTSTATUS Stream::setState(KSSTATE streamState)
{
    if (!state_->open)
        return STATUS_INVALID_DEVICE_STATE;
    std::shared_ptr<Request> request = adapter_->newRequest(SRB_SET_STREAM_STATE, Target::StreamControl, state_);
    request->srb.CommandData.StreamState = streamState;
    return adapter_->run(request);
}

NTSTATUS Stream::getState(KSSTATE& streamState)
{
    if (!state_->open)
        return STATUS_INVALID_DEVICE_STATE;
    std::shared_ptr<Request> request = adapter_->newRequest(SRB_GET_STREAM_STATE, Target::StreamControl, state_);
    const NTSTATUS status = adapter_->run(request);
    streamState = request->srb.CommandData.StreamState;
    return status;
}

NTSTATUS Stream::getProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned)
{
    return adapter_->property(false, state_, property, value, bytesReturned);
}

NTSTATUS Stream::setProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned)
{
    return adapter_->property(true, state_, property, value, bytesReturned);
}

NTSTATUS Stream::setMasterClock(const MasterClock* clock)
{
    if (!state_->open)
        return STATUS_INVALID_DEVICE_STATE;
    std::shared_ptr<Request> request =
        adapter_->newRequest(SRB_INDICATE_MASTER_CLOCK, Target::StreamControl, state_);
    request->srb.CommandData.MasterClockHandle = clock != nullptr ? clock->handle() : nullptr;
    return adapter_->run(request);
}

NTSTATUS Stream::queueRead(ULONG frameExtent, ULONG* readId)
{
    if (!state_->open)
        return STATUS_INVALID_DEVICE_STATE;
    ULONG extended = state_->hwObject()->StreamHeaderMediaSpecific;
    if (extended > kLargestExtendedHeader) {
        adapter_->noteViolation("the extended stream header is not believable");
        extended = 0;
    }
    std::shared_ptr<Request> request = adapter_->newRequest(SRB_READ_DATA, Target::StreamData, state_);
    request->payload = AlignedBuffer(sizeof(KSSTREAM_HEADER) + extended);
    request->frame = AlignedBuffer(frameExtent);
    auto* header = request->payload.as<KSSTREAM_HEADER>();
    header->Size = ULONG(sizeof(KSSTREAM_HEADER) + extended);
    header->FrameExtent = frameExtent;
    header->Data = request->frame.data();
    if (extended >= sizeof(ULONG)) {
        // The extended header starts with its own size.
        std::memcpy(request->payload.data() + sizeof(KSSTREAM_HEADER), &extended, sizeof extended);
    }
    request->srb.NumberOfBuffers = 1;
    request->srb.NumberOfBytesToTransfer = frameExtent;
    request->srb.CommandData.DataBufferArray = header;
    {
        std::lock_guard<std::mutex> guard(adapter_->lock);
        request->readId = state_->nextReadId++;
        state_->pendingReads[request->readId] = request;
    }
    if (readId != nullptr)
        *readId = request->readId;
    adapter_->dispatch(request);
    return STATUS_PENDING;
}

std::optional<CompletedRead> Stream::takeRead()
{
    std::lock_guard<std::mutex> guard(adapter_->lock);
    if (state_->completedReads.empty())
        return std::nullopt;
    CompletedRead read = std::move(state_->completedReads.front());
    state_->completedReads.pop_front();
    return read;
}

std::optional<CompletedRead> Stream::waitForRead(ULONG timeLimitMs)
{
    adapter_->waitFor([&] { return !state_->completedReads.empty(); }, timeLimitMs);
    return takeRead();
}

std::size_t Stream::pendingReads() const
{
    std::lock_guard<std::mutex> guard(adapter_->lock);
    return state_->pendingReads.size();
}

NTSTATUS Stream::cancelRead(ULONG readId)
{
    std::shared_ptr<Request> request;
    {
        std::lock_guard<std::mutex> guard(adapter_->lock);
        auto found = state_->pendingReads.find(readId);
        if (found == state_->pendingReads.end())
            return STATUS_NOT_FOUND;
        request = found->second;
    }
    if (!adapter_->initData || adapter_->initData->HwCancelPacket == nullptr)
        return STATUS_NOT_SUPPORTED;
    AdapterState* adapter = adapter_.get();
    adapter->callOnHostThread([adapter, request] {
        {
            std::lock_guard<std::mutex> guard(adapter->lock);
            if (request->completed)
                return;
        }
        adapter->withMinidriver([&] { adapter->initData->HwCancelPacket(&request->srb); });
    });
    return STATUS_SUCCESS;
}

NTSTATUS Stream::close() { return adapter_->closeStream(*state_); }

}  // namespace qm::streamclass
