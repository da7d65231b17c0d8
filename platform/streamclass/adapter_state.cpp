#include "platform/streamclass/detail/adapter_state.h"

#include <chrono>
#include <cstring>

#include "platform/system/trace.h"

namespace qm::streamclass::detail {

namespace sim = qm::kernel::sim;

namespace {

// Seconds a request may stay with the minidriver before its time-out handler
// hears of it, unless the minidriver sets its own.
inline constexpr ULONG kDefaultTimeoutSeconds = 15;

}  // namespace

AdapterState::AdapterState(HostOptions hostOptions) : options(std::move(hostOptions))
{
    registryPathText = toUtf16(options.registryPath);
    const USHORT bytes = USHORT(std::min<std::size_t>(registryPathText.size() * sizeof(WCHAR), 0xFFFC));
    registryPath = {bytes, USHORT(bytes + sizeof(WCHAR)), registryPathText.data()};
    driverObject.Type = 4;
    driverObject.Size = sizeof(DRIVER_OBJECT);
    driverObject.DriverExtension = &driverExtension;
    driverExtension.DriverObject = &driverObject;
    KeInitializeSpinLock(&minidriverLock);
    KeInitializeTimerEx(&timeoutTimer, NotificationTimer);
    KeInitializeDpc(&timeoutDpc, [](PKDPC, PVOID context, PVOID, PVOID) {
        static_cast<AdapterState*>(context)->tickTimeouts();
    }, this);
    thread = std::make_unique<sim::ServiceQueue>(sim::ThreadRole::Host, 1);
}

AdapterState::~AdapterState() { thread.reset(); }

void AdapterState::noteViolation(const char* what)
{
    ++violations;
    sys::trace(std::string("stream class: ") + what);
}

std::shared_ptr<Request> AdapterState::newRequest(SRB_COMMAND command, Target target, StreamState* stream)
{
    auto request = std::make_shared<Request>();
    request->target = target;
    request->stream = stream;
    const ULONG extensionSize = initData ? initData->PerRequestExtensionSize : 0;
    request->extension = AlignedBuffer(extensionSize);
    HW_STREAM_REQUEST_BLOCK& srb = request->srb;
    srb.SizeOfThisPacket = sizeof(HW_STREAM_REQUEST_BLOCK);
    srb.Command = command;
    srb.Status = STATUS_SUCCESS;
    srb.StreamObject = stream != nullptr ? stream->hwObject() : nullptr;
    srb.HwDeviceExtension = deviceExtension.data();
    srb.SRBExtension = extensionSize > 0 ? request->extension.data() : nullptr;
    srb.TimeoutCounter = srb.TimeoutOriginal = kDefaultTimeoutSeconds;
    if (target == Target::StreamData)
        srb.Flags = SRB_HW_FLAGS_DATA_TRANSFER | SRB_HW_FLAGS_STREAM_REQUEST;
    else if (target == Target::StreamControl)
        srb.Flags = SRB_HW_FLAGS_STREAM_REQUEST;
    return request;
}

void AdapterState::withMinidriver(const std::function<void()>& call)
{
    if (initData && !initData->TurnOffSynchronization) {
        KIRQL old;
        KeAcquireSpinLock(&minidriverLock, &old);
        call();
        KeReleaseSpinLock(&minidriverLock, old);
    } else {
        call();
    }
}

void AdapterState::dispatch(const std::shared_ptr<Request>& request)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        live[&request->srb] = request;
    }
    std::shared_ptr<AdapterState> self = shared_from_this();
    thread->post([self, request] {
        PHW_STREAM_REQUEST_BLOCK srb = &request->srb;
        void (*receive)(PHW_STREAM_REQUEST_BLOCK) = nullptr;
        if (request->target == Target::Device)
            receive = self->initData->HwReceivePacket;
        else if (request->target == Target::StreamData)
            receive = request->stream->hwObject()->ReceiveDataPacket;
        else
            receive = request->stream->hwObject()->ReceiveControlPacket;
        if (receive == nullptr) {
            srb->Status = STATUS_NOT_IMPLEMENTED;
            self->complete(srb);
        } else {
            self->withMinidriver([&] { receive(srb); });
        }
        {
            std::lock_guard<std::mutex> guard(self->lock);
            request->returned = true;
        }
        self->changed.notify_all();
        sim::notifyActivity();
    });
}

bool AdapterState::waitFor(const std::function<bool()>& done, ULONG limitMs)
{
    if (sim::clockMode() == sim::ClockMode::Manual) {
        auto doneNow = [&] {
            std::lock_guard<std::mutex> guard(lock);
            return done();
        };
        ULONG stepped = 0;
        while (sim::waitUntilSettled(doneNow)) {
            if (stepped++ >= limitMs)
                return doneNow();
            sim::advanceClock(1);
        }
        return true;
    }
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(limitMs), done);
}

NTSTATUS AdapterState::run(const std::shared_ptr<Request>& request)
{
    dispatch(request);
    if (!waitFor([&] { return request->completed && request->returned; }, options.timeLimitMs)) {
        noteViolation("a request was not completed in time");
        return STATUS_IO_TIMEOUT;
    }
    return request->srb.Status;
}

void AdapterState::callOnHostThread(std::function<void()> call)
{
    auto finished = std::make_shared<bool>(false);
    std::shared_ptr<AdapterState> self = shared_from_this();
    thread->post([self, call = std::move(call), finished] {
        call();
        {
            std::lock_guard<std::mutex> guard(self->lock);
            *finished = true;
        }
        self->changed.notify_all();
        sim::notifyActivity();
    });
    waitFor([&] { return *finished; }, options.timeLimitMs);
}

void AdapterState::complete(const HW_STREAM_REQUEST_BLOCK* srb)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = live.find(srb);
        if (found == live.end()) {
            noteViolation("completion of a request the minidriver does not hold");
            return;
        }
        std::shared_ptr<Request> request = found->second;
        live.erase(found);
        request->completed = true;
        if (srb->Command == SRB_READ_DATA && request->stream != nullptr) {
            const auto* header = request->payload.as<KSSTREAM_HEADER>();
            CompletedRead read;
            read.id = request->readId;
            read.status = srb->Status;
            read.header = *header;
            read.header.Data = nullptr;
            std::size_t used = header->DataUsed;
            if (used > request->frame.size()) {
                noteViolation("a read reports more data than its buffer holds");
                used = request->frame.size();
            }
            read.data.assign(request->frame.data(), request->frame.data() + used);
            read.extendedHeader.assign(request->payload.data() + sizeof(KSSTREAM_HEADER),
                                       request->payload.data() + request->payload.size());
            request->stream->pendingReads.erase(request->readId);
            request->stream->completedReads.push_back(std::move(read));
        }
    }
    changed.notify_all();
    sim::notifyActivity();
}

NTSTATUS AdapterState::property(bool set, StreamState* stream, std::span<const UCHAR> propertyRecord,
                                std::span<UCHAR> value, ULONG& bytesReturned)
{
    bytesReturned = 0;
    if (!started || (stream != nullptr && !stream->open))
        return STATUS_INVALID_DEVICE_STATE;
    if (propertyRecord.size() < sizeof(KSPROPERTY) || propertyRecord.size() > 0xFFFF || value.size() > 0x7FFFFFFF)
        return STATUS_INVALID_PARAMETER;
    KSPROPERTY header;
    std::memcpy(&header, propertyRecord.data(), sizeof header);
    const std::vector<PropertySetDescription>& sets =
        stream != nullptr ? description.streams[stream->number].propertySets : description.propertySets;
    ULONG setIndex = 0;
    while (setIndex < sets.size() && !(sets[setIndex].set == header.Set))
        ++setIndex;
    if (setIndex == sets.size())
        return STATUS_NOT_FOUND;
    const PropertyDescription* item = nullptr;
    for (const PropertyDescription& candidate : sets[setIndex].properties)
        if (candidate.id == header.Id)
            item = &candidate;
    if (item == nullptr || !(set ? item->set : item->get))
        return STATUS_NOT_FOUND;
    if (propertyRecord.size() < item->minProperty)
        return STATUS_BUFFER_TOO_SMALL;
    if (value.size() < item->minData) {
        if (!value.empty())
            return STATUS_BUFFER_TOO_SMALL;
        bytesReturned = item->minData;
        return STATUS_BUFFER_OVERFLOW;
    }

    const SRB_COMMAND command = stream != nullptr ? (set ? SRB_SET_STREAM_PROPERTY : SRB_GET_STREAM_PROPERTY)
                                                  : (set ? SRB_SET_DEVICE_PROPERTY : SRB_GET_DEVICE_PROPERTY);
    std::shared_ptr<Request> request = newRequest(command, stream != nullptr ? Target::StreamControl : Target::Device,
                                                  stream);
    request->property = AlignedBuffer(propertyRecord.size());
    std::memcpy(request->property.data(), propertyRecord.data(), propertyRecord.size());
    request->property.as<KSPROPERTY>()->Flags = set ? KSPROPERTY_TYPE_SET : KSPROPERTY_TYPE_GET;
    request->payload = AlignedBuffer(value.size());
    if (!value.empty())
        std::memcpy(request->payload.data(), value.data(), value.size());
    request->propertyDescriptor = {request->property.as<KSPROPERTY>(), setIndex, request->payload.data(),
                                   ULONG(propertyRecord.size()), ULONG(value.size())};
    request->srb.CommandData.PropertyInfo = &request->propertyDescriptor;
    request->srb.ActualBytesTransferred = 0;
    const NTSTATUS status = run(request);
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!request->completed)
            return status;
    }
    bytesReturned = request->srb.ActualBytesTransferred;
    // A size-only answer to an empty buffer tells the caller what to allocate;
    // more bytes than a real buffer holds are a fault.
    const bool sizeAnswer = value.empty() && status == STATUS_BUFFER_OVERFLOW;
    if (bytesReturned > value.size() && !sizeAnswer) {
        noteViolation("a property reports more bytes than its buffer holds");
        bytesReturned = ULONG(value.size());
    }
    if (!value.empty())
        std::memcpy(value.data(), request->payload.data(), value.size());
    return status;
}

NTSTATUS AdapterState::closeStream(StreamState& stream)
{
    if (!stream.open)
        return STATUS_SUCCESS;
    std::vector<std::shared_ptr<Request>> pending;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const auto& [id, request] : stream.pendingReads)
            pending.push_back(request);
    }
    if (initData && initData->HwCancelPacket != nullptr) {
        for (const std::shared_ptr<Request>& request : pending) {
            callOnHostThread([this, request] {
                {
                    std::lock_guard<std::mutex> guard(lock);
                    if (request->completed)
                        return;
                }
                withMinidriver([&] { initData->HwCancelPacket(&request->srb); });
            });
        }
    }
    if (!waitFor([&] { return stream.pendingReads.empty(); }, options.timeLimitMs))
        noteViolation("cancelled reads were not completed");
    std::shared_ptr<Request> request = newRequest(SRB_CLOSE_STREAM, Target::Device, &stream);
    const NTSTATUS status = run(request);
    stream.open = false;
    unregisterKey(stream.hwObject());
    return status;
}

void AdapterState::armTimeouts()
{
    LARGE_INTEGER second{.QuadPart = -10000000};
    KeSetTimerEx(&timeoutTimer, second, 1000, &timeoutDpc);
    timerArmed = true;
}

void AdapterState::disarmTimeouts()
{
    if (!timerArmed)
        return;
    KeCancelTimer(&timeoutTimer);
    KeFlushQueuedDpcs();
    timerArmed = false;
}

void AdapterState::tickTimeouts()
{
    std::vector<std::shared_ptr<Request>> due;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto& [srb, request] : live) {
            ULONG* counter = &request->srb.TimeoutCounter;
            const ULONG left = __atomic_load_n(counter, __ATOMIC_RELAXED);
            if (left > 0 && __atomic_sub_fetch(counter, 1, __ATOMIC_RELAXED) == 0)
                due.push_back(request);
        }
    }
    if (!initData || initData->HwRequestTimeoutHandler == nullptr)
        return;
    for (const std::shared_ptr<Request>& request : due) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (request->completed)
                continue;
        }
        withMinidriver([&] { initData->HwRequestTimeoutHandler(&request->srb); });
    }
}

}  // namespace qm::streamclass::detail
