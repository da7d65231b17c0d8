// The adapter host's state, shared by its API, its request dispatch and the
// stream class calls that minidrivers make back.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/kernel/sim_clock.h"
#include "platform/streamclass/adapter_host.h"
#include "platform/streamclass/detail/aligned_buffer.h"
#include "platform/system/library.h"

namespace qm::streamclass::detail {

struct StreamState;

// Who receives a request.
enum class Target { Device, StreamData, StreamControl };

// One request block and everything it points at.
struct Request {
    HW_STREAM_REQUEST_BLOCK srb{};
    AlignedBuffer extension;
    Target target = Target::Device;
    StreamState* stream = nullptr;
    bool completed = false;
    bool returned = false;  // the minidriver's receive routine is done with it
    ULONG readId = 0;
    // What CommandData points at, owned here.
    AlignedBuffer payload;
    AlignedBuffer frame;
    AlignedBuffer property;
    STREAM_PROPERTY_DESCRIPTOR propertyDescriptor{};
    STREAM_DATA_INTERSECT_INFO intersectInfo{};
};

struct StreamState {
    ULONG number = 0;
    AlignedBuffer object;  // HW_STREAM_OBJECT, then the minidriver's stream extension
    AlignedBuffer format;
    bool open = false;
    std::deque<CompletedRead> completedReads;
    std::map<ULONG, std::shared_ptr<Request>> pendingReads;
    ULONG nextReadId = 1;

    HW_STREAM_OBJECT* hwObject() const { return object.as<HW_STREAM_OBJECT>(); }
};

struct AdapterState : std::enable_shared_from_this<AdapterState> {
    explicit AdapterState(HostOptions hostOptions);
    ~AdapterState();

    HostOptions options;
    mutable std::mutex lock;
    std::condition_variable changed;

    sys::HMODULE library = nullptr;
    DRIVER_OBJECT driverObject{};
    DRIVER_EXTENSION driverExtension{};
    std::u16string registryPathText;
    UNICODE_STRING registryPath{};
    std::optional<HW_INITIALIZATION_DATA> initData;

    AlignedBuffer deviceExtension;
    PDEVICE_OBJECT classDevice = nullptr;
    PDEVICE_OBJECT lowerDevice = nullptr;
    PORT_CONFIGURATION_INFORMATION configInfo{};
    bool started = false;
    DeviceDescription description;

    std::map<const HW_STREAM_REQUEST_BLOCK*, std::shared_ptr<Request>> live;  // with the minidriver
    std::vector<std::unique_ptr<StreamState>> streams;
    ULONG violations = 0;

    KTIMER timeoutTimer{};
    KDPC timeoutDpc{};
    bool timerArmed = false;
    KSPIN_LOCK minidriverLock = 0;
    std::unique_ptr<kernel::sim::ServiceQueue> thread;

    // A request block for a command, with the minidriver's extension.
    std::shared_ptr<Request> newRequest(SRB_COMMAND command, Target target, StreamState* stream);
    // Hands a request to the minidriver on the host thread.
    void dispatch(const std::shared_ptr<Request>& request);
    // Dispatches and waits until the request is completed and the receive
    // routine has returned; the request's status.
    NTSTATUS run(const std::shared_ptr<Request>& request);
    // Runs code of the minidriver on the host thread and waits for it.
    void callOnHostThread(std::function<void()> call);
    // Waits (advancing a manual clock) until `done` holds; false at the limit.
    bool waitFor(const std::function<bool()>& done, ULONG limitMs);
    // The minidriver completed a request.
    void complete(const HW_STREAM_REQUEST_BLOCK* srb);
    void noteViolation(const char* what);

    // Property requests checked against the published sets.
    NTSTATUS property(bool set, StreamState* stream, std::span<const UCHAR> propertyRecord, std::span<UCHAR> value,
                      ULONG& bytesReturned);
    NTSTATUS closeStream(StreamState& stream);
    void armTimeouts();
    void disarmTimeouts();
    void tickTimeouts();

    // Holding the minidriver lock when the minidriver kept synchronisation.
    void withMinidriver(const std::function<void()>& call);
};

// Reads the stream information a minidriver filled in; false when it is
// malformed.
bool parseStreamInformation(const AlignedBuffer& buffer, DeviceDescription& description);
std::optional<PropertyDescription> describeProperty(const KSPROPERTY_ITEM& item);

// The stream class's table of adapters, for the calls minidrivers make.
void registerKey(const void* key, const std::shared_ptr<AdapterState>& adapter);
void unregisterKey(const void* key);
std::shared_ptr<AdapterState> adapterFor(const void* key);

}  // namespace qm::streamclass::detail
