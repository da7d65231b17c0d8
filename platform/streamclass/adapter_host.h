// The adapter host: what the stream class does for a minidriver, driven by
// a C++ API for the applications and tests.
//
// It loads a minidriver library and calls its DriverEntry, starts the device
// on a physical device object (SRB_INITIALIZE_DEVICE, then the stream
// information), and turns every call below into request blocks for the
// minidriver. Requests go to the minidriver from the host's own thread at
// passive level (at dispatch level under one lock when the minidriver keeps
// the stream class's synchronisation); a call returns when the minidriver
// has completed its request. Reads are queued and their completions
// collected per stream. Requests whose time-out counter runs out go to the
// minidriver's time-out handler (the counter ticks once a second).
//
// Waiting. With the kernel clock in manual mode a waiting call advances the
// clock whenever the simulated system has settled without the answer, up to
// the time limit: a read waits exactly as long as the device needs to
// deliver a frame. In real time it simply waits, up to the same limit.
//
// Published property sets are enforced as the platform does: unknown sets
// and ids give STATUS_NOT_FOUND, short records STATUS_BUFFER_TOO_SMALL, and
// an empty value buffer asks for the size (STATUS_BUFFER_OVERFLOW).
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/streamclass/ks_video.h"
#include "platform/streamclass/strmini.h"

namespace qm::streamclass {

class MasterClock;

namespace detail {
struct AdapterState;
struct StreamState;
}  // namespace detail

inline constexpr NTSTATUS STATUS_IO_TIMEOUT = NTSTATUS(0xC00000B5);

struct HostOptions {
    // The registry path DriverEntry is given.
    std::string registryPath = "\\Registry\\Machine\\System\\CurrentControlSet\\Services\\Morvax";
    // How long a call may wait for its answer (simulated milliseconds in
    // manual mode); it then fails with STATUS_IO_TIMEOUT.
    ULONG timeLimitMs = 60000;
};

struct PropertyDescription {
    ULONG id = 0;
    bool get = false;
    bool set = false;
    ULONG minProperty = 0;
    ULONG minData = 0;
    struct Range {
        LONG minimum;
        LONG maximum;
        ULONG step;
    };
    std::optional<Range> range;
    std::optional<LONG> defaultValue;
};

struct PropertySetDescription {
    GUID set{};
    std::vector<PropertyDescription> properties;
};

struct StreamDescription {
    ULONG number = 0;
    ULONG possibleInstances = 0;
    KSPIN_DATAFLOW dataFlow = KSPIN_DATAFLOW_OUT;
    bool dataAccessible = false;
    GUID category{};
    GUID name{};
    ULONG mediumsCount = 0;
    bool bridge = false;
    std::vector<std::vector<UCHAR>> formats;  // each a data range, FormatSize bytes
    std::vector<PropertySetDescription> propertySets;
};

struct DeviceDescription {
    std::vector<StreamDescription> streams;
    std::vector<PropertySetDescription> propertySets;
    std::vector<GUID> categories;
};

struct CompletedRead {
    ULONG id = 0;
    NTSTATUS status = STATUS_SUCCESS;
    KSSTREAM_HEADER header{};  // as the minidriver left it (Data cleared)
    std::vector<UCHAR> extendedHeader;
    std::vector<UCHAR> data;  // the DataUsed bytes of the frame

    // The video frame information in the extended header, if it has room.
    std::optional<KS_FRAME_INFO> frameInfo() const;
};

class Stream;

class AdapterHost {
public:
    explicit AdapterHost(HostOptions options = {});
    // Closes the streams, uninitialises the device and unloads the library.
    ~AdapterHost();
    AdapterHost(const AdapterHost&) = delete;
    AdapterHost& operator=(const AdapterHost&) = delete;

    // Loads the library and calls DriverEntry; its status, or
    // STATUS_NOT_FOUND when the library or its entry is missing.
    NTSTATUS loadDriver(const std::string& libraryPath);
    NTSTATUS startDevice(PDEVICE_OBJECT physicalDeviceObject);
    const DeviceDescription& description() const;

    NTSTATUS getDeviceProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned);
    NTSTATUS setDeviceProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned);
    std::optional<PropertyDescription> describeDeviceProperty(const GUID& set, ULONG id) const;
    NTSTATUS dataIntersection(ULONG streamNumber, std::span<const UCHAR> range, std::span<UCHAR> format,
                              ULONG& bytesReturned);
    NTSTATUS changePowerState(DEVICE_POWER_STATE state);
    NTSTATUS pageOut();
    NTSTATUS surpriseRemoval();
    NTSTATUS uninitialize();
    // Opens a stream with a data format (FormatSize bytes).
    NTSTATUS openStream(ULONG streamNumber, std::span<const UCHAR> format, std::unique_ptr<Stream>& stream);
    void unloadDriver();

    // Things the minidriver did that the stream class tolerates but should
    // not see: completing a request twice or one it never got, reporting
    // more bytes than a buffer holds.
    ULONG protocolViolations() const;

private:
    std::shared_ptr<detail::AdapterState> state_;
};

class Stream {
public:
    ~Stream();  // closes the stream if it is open
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    ULONG number() const;
    NTSTATUS setState(KSSTATE state);
    NTSTATUS getState(KSSTATE& state);
    NTSTATUS getProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned);
    NTSTATUS setProperty(std::span<const UCHAR> property, std::span<UCHAR> value, ULONG& bytesReturned);
    // Null tells the minidriver there is no master clock.
    NTSTATUS setMasterClock(const MasterClock* clock);

    // Queues a read with a frame buffer of `frameExtent` bytes; the
    // completion is collected for takeRead / waitForRead.
    NTSTATUS queueRead(ULONG frameExtent, ULONG* readId = nullptr);
    std::optional<CompletedRead> takeRead();
    std::optional<CompletedRead> waitForRead(ULONG timeLimitMs);
    // Reads queued and not yet completed.
    std::size_t pendingReads() const;
    NTSTATUS cancelRead(ULONG readId);
    // Cancels what is pending, then closes (SRB_CLOSE_STREAM).
    NTSTATUS close();

private:
    friend class AdapterHost;
    Stream(std::shared_ptr<detail::AdapterState> adapter, detail::StreamState* state);

    std::shared_ptr<detail::AdapterState> adapter_;
    detail::StreamState* state_;
};

}  // namespace qm::streamclass
