// User-mode USB access in the manner of a general-purpose USB access driver:
// the caller opens the driver's device file, asks for its version, scans for
// devices by vendor and product, registers one (configuration, interface,
// alternate setting) to get a device handle, resets the device and its pipes
// and moves bulk packets with time-outs, then unregisters it.
//
// Each request takes a record that the call fills with its results. Device
// handles are process-wide: any driver handle may carry a transfer for any
// registered device, so a caller may open a fresh driver handle per request;
// that is cheap (no device is touched).
//
// Backends: with $QM4200_USB naming a socket, or a simulator serving the
// default one, devices are reached over the virtual cable
// (platform/usb/virtual_cable.h); otherwise through libusb.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system/last_error.h"

namespace qm::usb {

using sys::DWORD;
using WORD = std::uint16_t;

struct DriverHandleTag;
using HANDLE = DriverHandleTag*;

inline constexpr const char* kDriverDeviceName = "\\\\.\\WINDRVR";
// Version this access layer reports.
inline constexpr DWORD kAccessVersion = 520;
inline constexpr std::size_t kDeviceInfoSize = 644;
inline constexpr std::size_t kMaxScanDevices = 16;
inline constexpr DWORD kPipeDirectionIn = 0x80;

// CreateFile flags the driver's device file is opened with.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;

struct VersionRecord {
    DWORD version = 0;
    char text[128] = {};
};

struct ScanMatch {
    DWORD uniqueId = 0;
    WORD vendorId = 0;
    WORD productId = 0;
};

struct ScanRecord {
    WORD vendorId = 0;   // in
    WORD productId = 0;  // in
    DWORD deviceCount = 0;
    ScanMatch devices[kMaxScanDevices] = {};
};

struct RegisterRecord {
    DWORD uniqueId = 0;          // in: from a scan
    DWORD configuration = 0;     // in: configuration index
    DWORD interfaceNumber = 0;   // in
    DWORD alternateSetting = 0;  // in
    DWORD deviceHandle = 0;      // out: nonzero once registered
    std::uint8_t deviceInfo[kDeviceInfoSize] = {};  // out: descriptors, not interpreted
};

struct DeviceRecord {
    DWORD deviceHandle = 0;
};

struct PipeRecord {
    DWORD deviceHandle = 0;
    DWORD pipe = 0;  // endpoint address
};

struct TransferRecord {
    DWORD deviceHandle = 0;
    DWORD pipe = 0;         // endpoint number or address
    DWORD read = 0;         // 1: device to host
    std::uint8_t* buffer = nullptr;
    DWORD length = 0;
    DWORD timeoutMs = 0;    // 0: no limit
    DWORD bytesTransferred = 0;  // out
    DWORD succeeded = 0;         // out: 1 when the transfer completed
};

// Opens the driver's device file (only kDriverDeviceName exists); null with
// the last error set when no USB access is available.
HANDLE CreateFile(const char* name, DWORD desiredAccess, DWORD shareMode, void* securityAttributes,
                  DWORD creationDisposition, DWORD flagsAndAttributes, void* templateFile);
bool CloseHandle(HANDLE driver);

// Each returns false (last error set) when the request itself fails; results
// are written into the record.
bool QueryVersion(HANDLE driver, VersionRecord* record);
bool ScanDevices(HANDLE driver, ScanRecord* record);
bool RegisterDevice(HANDLE driver, RegisterRecord* record);
bool ResetDevice(HANDLE driver, const DeviceRecord* record);
bool ResetPipe(HANDLE driver, const PipeRecord* record);
// A completed transfer returns true with `succeeded` 1; a transfer that
// failed on the bus (time-out, stall, gone device) returns true with
// `succeeded` 0; a bad request returns false.
bool Transfer(HANDLE driver, TransferRecord* record);
bool UnregisterDevice(HANDLE driver, const DeviceRecord* record);

}  // namespace qm::usb
