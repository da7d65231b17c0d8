// The calls a minidriver makes into the stream class.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/streamclass/detail/adapter_state.h"
#include "platform/streamclass/master_clock.h"
#include "platform/system/trace.h"

namespace qm::streamclass {

namespace detail {

namespace {

struct AdapterTable {
    std::mutex lock;
    std::map<const void*, std::weak_ptr<AdapterState>> adapters;
};

AdapterTable& table()
{
    static AdapterTable* instance = new AdapterTable;
    return *instance;
}

}  // namespace

void registerKey(const void* key, const std::shared_ptr<AdapterState>& adapter)
{
    std::lock_guard<std::mutex> guard(table().lock);
    table().adapters[key] = adapter;
}

void unregisterKey(const void* key)
{
    std::lock_guard<std::mutex> guard(table().lock);
    table().adapters.erase(key);
}

std::shared_ptr<AdapterState> adapterFor(const void* key)
{
    std::lock_guard<std::mutex> guard(table().lock);
    auto found = table().adapters.find(key);
    return found == table().adapters.end() ? nullptr : found->second.lock();
}

}  // namespace detail

NTSTATUS StreamClassRegisterAdapter(PVOID argument1, PVOID, PHW_INITIALIZATION_DATA hwInitializationData)
{
    std::shared_ptr<detail::AdapterState> adapter = detail::adapterFor(argument1);
    if (!adapter)
        return STATUS_INVALID_PARAMETER;  // not a driver object a host is loading
    if (hwInitializationData == nullptr ||
        hwInitializationData->HwInitializationDataSize < sizeof(HW_INITIALIZATION_DATA) ||
        hwInitializationData->HwReceivePacket == nullptr)
        return STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(adapter->lock);
    adapter->initData = *hwInitializationData;
    return STATUS_SUCCESS;
}

void StreamClassDeviceNotification(STREAM_MINIDRIVER_DEVICE_NOTIFICATION_TYPE notificationType,
                                   PVOID hwDeviceExtension, ...)
{
    if (notificationType != DeviceRequestComplete)
        return;  // ready-for-next and events: nothing to do here
    std::va_list arguments;
    va_start(arguments, hwDeviceExtension);
    auto* srb = va_arg(arguments, PHW_STREAM_REQUEST_BLOCK);
    va_end(arguments);
    if (std::shared_ptr<detail::AdapterState> adapter = detail::adapterFor(hwDeviceExtension))
        adapter->complete(srb);
    else
        sys::trace("StreamClassDeviceNotification: unknown device extension");
}

void StreamClassStreamNotification(STREAM_MINIDRIVER_STREAM_NOTIFICATION_TYPE notificationType,
                                   PHW_STREAM_OBJECT streamObject, ...)
{
    if (notificationType != StreamRequestComplete)
        return;
    std::va_list arguments;
    va_start(arguments, streamObject);
    auto* srb = va_arg(arguments, PHW_STREAM_REQUEST_BLOCK);
    va_end(arguments);
    if (std::shared_ptr<detail::AdapterState> adapter = detail::adapterFor(streamObject))
        adapter->complete(srb);
    else
        sys::trace("StreamClassStreamNotification: unknown stream object");
}

void StreamClassQueryMasterClockSync(HANDLE masterClockHandle, PHW_TIME_CONTEXT timeContext)
{
    if (timeContext == nullptr)
        return;
    const MasterClock* clock = MasterClock::fromHandle(masterClockHandle);
    timeContext->Time = clock != nullptr ? ULONGLONG(clock->streamTime()) : 0;
    timeContext->SystemTime = KeQueryInterruptTime();
}

void StreamClassDebugPrint(STREAM_DEBUG_LEVEL, const char* format, ...)
{
    if (!sys::traceEnabled() || format == nullptr)
        return;
    char line[512];
    std::va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    sys::trace(line);
}

}  // namespace qm::streamclass
