// The access layer's requests: driver handles select a backend, device
// handles name registered devices process-wide.
#include "platform/usb/usb_access.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/system/directories.h"
#include "platform/usb/usb_backend.h"
#include "platform/usb/virtual_cable.h"

namespace qm::usb {
namespace {

constexpr sys::DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
constexpr sys::DWORD ERROR_GEN_FAILURE = 31;

struct Registration {
    std::shared_ptr<Backend> backend;
    std::shared_ptr<OpenDevice> device;
};

struct Tables {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<Backend>> drivers;
    std::map<DWORD, Registration> devices;
    std::uintptr_t nextDriver = 0x200;
    DWORD nextDevice = 1;
};

Tables& tables()
{
    static Tables instance;
    return instance;
}

std::shared_ptr<Backend> backendOf(HANDLE driver)
{
    auto& t = tables();
    std::lock_guard lock(t.mutex);
    const auto it = t.drivers.find(reinterpret_cast<std::uintptr_t>(driver));
    if (it == t.drivers.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

std::shared_ptr<OpenDevice> deviceOf(HANDLE driver, DWORD deviceHandle)
{
    if (!backendOf(driver))
        return nullptr;
    auto& t = tables();
    std::lock_guard lock(t.mutex);
    const auto it = t.devices.find(deviceHandle);
    if (it == t.devices.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second.device;
}

bool invalidParameter()
{
    sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
    return false;
}

// The pipe's endpoint address as the bus knows it.
std::uint8_t endpointFor(DWORD pipe, bool read)
{
    const auto number = std::uint8_t(pipe & 0x0F);
    return read ? std::uint8_t(number | kPipeDirectionIn) : number;
}

}  // namespace

namespace cable {

std::string defaultCablePath()
{
    const char* named = std::getenv("QM4200_USB");
    if (named != nullptr && *named != '\0')
        return named;
    return sys::temporaryDirectory() + "qm4200-usb";
}

std::string cableInUse()
{
    const char* named = std::getenv("QM4200_USB");
    if (named != nullptr && *named != '\0')
        return named;
    const std::string path = defaultCablePath();
    return cableAnswers(path) ? path : std::string();
}

}  // namespace cable

HANDLE CreateFile(const char* name, DWORD, DWORD, void*, DWORD creationDisposition, DWORD, void*)
{
    if (name == nullptr || std::strcmp(name, kDriverDeviceName) != 0) {
        sys::SetLastError(sys::ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (creationDisposition != OPEN_EXISTING) {
        sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string cable = cable::cableInUse();
    std::shared_ptr<Backend> backend = !cable.empty() ? makeCableBackend(cable) : libusbBackend();
    if (!backend) {
        sys::SetLastError(sys::ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto& t = tables();
    std::lock_guard lock(t.mutex);
    const std::uintptr_t id = t.nextDriver++;
    t.drivers.emplace(id, std::move(backend));
    return reinterpret_cast<HANDLE>(id);
}

bool CloseHandle(HANDLE driver)
{
    auto& t = tables();
    std::shared_ptr<Backend> released;
    std::lock_guard lock(t.mutex);
    const auto it = t.drivers.find(reinterpret_cast<std::uintptr_t>(driver));
    if (it == t.drivers.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return false;
    }
    released = std::move(it->second);
    t.drivers.erase(it);
    return true;
}

bool QueryVersion(HANDLE driver, VersionRecord* record)
{
    if (!backendOf(driver))
        return false;
    if (record == nullptr)
        return invalidParameter();
    record->version = kAccessVersion;
    std::snprintf(record->text, sizeof record->text, "QM4200 USB access %u.%02u", kAccessVersion / 100,
                  kAccessVersion % 100);
    return true;
}

bool ScanDevices(HANDLE driver, ScanRecord* record)
{
    const auto backend = backendOf(driver);
    if (!backend)
        return false;
    if (record == nullptr)
        return invalidParameter();
    const auto matches = backend->scan(record->vendorId, record->productId);
    record->deviceCount = 0;
    for (const ScanMatch& match : matches) {
        if (record->deviceCount == kMaxScanDevices)
            break;
        record->devices[record->deviceCount++] = match;
    }
    return true;
}

bool RegisterDevice(HANDLE driver, RegisterRecord* record)
{
    auto backend = backendOf(driver);
    if (!backend)
        return false;
    if (record == nullptr)
        return invalidParameter();
    record->deviceHandle = 0;
    std::shared_ptr<OpenDevice> device =
        backend->open(record->uniqueId, record->configuration, record->interfaceNumber, record->alternateSetting,
                      std::span<std::uint8_t, kDeviceInfoSize>(record->deviceInfo));
    if (!device) {
        sys::SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return false;
    }
    auto& t = tables();
    std::lock_guard lock(t.mutex);
    DWORD handle = t.nextDevice++;
    if (handle == 0)
        handle = t.nextDevice++;
    t.devices.emplace(handle, Registration{std::move(backend), std::move(device)});
    record->deviceHandle = handle;
    return true;
}

bool ResetDevice(HANDLE driver, const DeviceRecord* record)
{
    if (record == nullptr)
        return invalidParameter();
    const auto device = deviceOf(driver, record->deviceHandle);
    return device && device->reset();
}

bool ResetPipe(HANDLE driver, const PipeRecord* record)
{
    if (record == nullptr)
        return invalidParameter();
    const auto device = deviceOf(driver, record->deviceHandle);
    return device && device->resetPipe(std::uint8_t(record->pipe));
}

bool Transfer(HANDLE driver, TransferRecord* record)
{
    if (record == nullptr)
        return invalidParameter();
    record->bytesTransferred = 0;
    record->succeeded = 0;
    if (record->buffer == nullptr && record->length != 0)
        return invalidParameter();
    const auto device = deviceOf(driver, record->deviceHandle);
    if (!device)
        return false;
    const bool read = record->read != 0;
    const BulkResult result = device->bulk(endpointFor(record->pipe, read),
                                           std::span<std::uint8_t>(record->buffer, record->length),
                                           record->timeoutMs);
    if (!result.completed) {
        sys::SetLastError(ERROR_GEN_FAILURE);
        return true;
    }
    record->bytesTransferred = DWORD(result.length);
    record->succeeded = 1;
    return true;
}

bool UnregisterDevice(HANDLE driver, const DeviceRecord* record)
{
    if (record == nullptr)
        return invalidParameter();
    if (!backendOf(driver))
        return false;
    auto& t = tables();
    std::shared_ptr<OpenDevice> released;  // closed outside the table lock
    std::lock_guard lock(t.mutex);
    const auto it = t.devices.find(record->deviceHandle);
    if (it == t.devices.end()) {
        sys::SetLastError(sys::ERROR_INVALID_HANDLE);
        return false;
    }
    released = std::move(it->second.device);
    t.devices.erase(it);
    return true;
}

}  // namespace qm::usb
