// What a way of reaching USB devices provides to the access layer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/usb/usb_access.h"

namespace qm::usb {

struct BulkResult {
    bool completed = false;
    std::size_t length = 0;
};

// A registered device. Calls may come from several threads; each
// implementation serialises its own traffic.
class OpenDevice {
public:
    virtual ~OpenDevice() = default;
    virtual bool reset() = 0;
    virtual bool resetPipe(std::uint8_t endpoint) = 0;
    virtual BulkResult bulk(std::uint8_t endpoint, std::span<std::uint8_t> data, std::uint32_t timeoutMs) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual std::vector<ScanMatch> scan(WORD vendorId, WORD productId) = 0;
    // Null when the device cannot be opened and configured as asked.
    virtual std::unique_ptr<OpenDevice> open(DWORD uniqueId, DWORD configuration, DWORD interfaceNumber,
                                             DWORD alternateSetting,
                                             std::span<std::uint8_t, kDeviceInfoSize> deviceInfo) = 0;
};

std::shared_ptr<Backend> makeCableBackend(const std::string& socketPath);
// True when something accepts a connection on the cable's socket.
bool cableAnswers(const std::string& socketPath);
// The process-wide libusb backend; null when libusb cannot start.
std::shared_ptr<Backend> libusbBackend();

}  // namespace qm::usb
