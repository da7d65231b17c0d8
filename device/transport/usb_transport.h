// The camera on USB: vendor 0x0784, one of two products, requests out on
// pipe 3 and replies in on pipe 0x84, always in whole 64-byte packets.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "device/transport/camera_transport.h"
#include "platform/usb/usb_access.h"

namespace qm::device {

inline constexpr std::uint16_t kCameraVendorId = 0x0784;
inline constexpr std::uint16_t kCameraProduct2620 = 0x2620;
inline constexpr std::uint16_t kCameraProduct2888 = 0x2888;
inline constexpr usb::DWORD kRequestPipe = 3;
inline constexpr usb::DWORD kReplyPipe = 0x84;
inline constexpr std::size_t kUsbPacketSize = 64;
// The oldest access-layer version that is too old.
inline constexpr usb::DWORD kLastUnusableAccessVersion = 432;

class UsbTransport : public CameraTransport {
public:
    explicit UsbTransport(std::uint16_t productId);
    ~UsbTransport() override;

    bool isOpen() const override { return device_ != nullptr; }
    // Finds, registers and resets the camera, then probes it until it
    // answers or 3 s have passed. The speed callback is not used.
    bool Open(ProbeCallback probe, SpeedCallback speed, void* user) override;
    bool Close() override;

    // Whole 64-byte packets; a failed transfer makes either call report 0.
    long write(std::span<const std::uint8_t> data) override;
    long writeByte(std::uint8_t) override { return 0; }
    long read(std::span<std::uint8_t> buffer) override;
    long readByte(std::uint8_t&) override { return 0; }
    bool purge() override { return true; }

    std::uint16_t productId() const { return productId_; }

private:
    struct DeviceRecord {
        usb::HANDLE driver = nullptr;  // kept for register and unregister
        std::array<std::uint8_t, usb::kDeviceInfoSize> info{};
        usb::DWORD deviceHandle = 0;
    };

    bool registerCamera();
    void unregisterCamera();
    // One 64-byte packet; the bytes moved, or kTransportCallFailed.
    long transferPacket(usb::DWORD pipe, bool read, std::uint8_t* packet);

    const std::uint16_t productId_;
    std::unique_ptr<DeviceRecord> device_;
};

// The latest USB diagnostic ("Failed opening WinDriver device\n", ...), kept
// for inspection; nothing displays it.
std::string lastUsbDiagnostic();

}  // namespace qm::device
