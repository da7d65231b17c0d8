// The virtual USB cable: a Unix-domain socket (SOCK_SEQPACKET) that carries
// the USB access layer's requests to a simulated device and its answers back.
// $QM4200_USB names the socket; a simulator serves a VirtualDevice on it.
// Without the variable the cable is "qm4200-usb" in the temporary directory,
// used only while a simulator serves it there.
//
// Every request is one datagram: a RequestHeader followed, for BulkOut, by
// `length` payload bytes. Every answer is one datagram: a ReplyHeader
// followed, for BulkIn and Describe, by `length` payload bytes. Fields are
// little-endian 32-bit values. A device that is unplugged closes the socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qm::usb::cable {

// $QM4200_USB when set, else "qm4200-usb" in the temporary directory.
std::string defaultCablePath();
// The cable the host side uses: $QM4200_USB when set; else the default
// socket when a simulator accepts connections on it; else empty (real
// devices, through libusb).
std::string cableInUse();

enum class Op : std::uint32_t {
    Describe = 1,     // answer: u16 vendor, u16 product (4 payload bytes)
    ResetDevice = 2,  // answer: status only
    ResetPipe = 3,    // pipe: the endpoint address; answer: status only
    BulkOut = 4,      // pipe, length, payload; answer: status, length moved
    BulkIn = 5,       // pipe, length wanted, timeout; answer: status, payload
};

inline constexpr std::size_t kRequestHeaderSize = 16;  // op, pipe, length, timeoutMs
inline constexpr std::size_t kReplyHeaderSize = 8;     // status, length
inline constexpr std::size_t kMaxPayload = 65536;

// Reply status values.
inline constexpr std::int32_t kStatusOk = 0;
inline constexpr std::int32_t kStatusTimeout = 1;     // nothing arrived in time
inline constexpr std::int32_t kStatusStall = 2;       // the endpoint stalled
inline constexpr std::int32_t kStatusBadRequest = 3;  // unknown op or pipe

struct TransferResult {
    std::int32_t status = kStatusOk;
    std::size_t length = 0;  // bytes moved
};

// What a simulated device offers the cable. Calls arrive on the cable
// server's threads, one per host connection and possibly at the same time;
// an implementation guards its own state.
class VirtualDevice {
public:
    virtual ~VirtualDevice() = default;
    virtual std::uint16_t vendorId() const = 0;
    virtual std::uint16_t productId() const = 0;
    virtual void resetDevice() = 0;
    virtual void resetPipe(std::uint8_t endpoint) = 0;
    virtual TransferResult bulkOut(std::uint8_t endpoint, std::span<const std::uint8_t> data) = 0;
    // Blocks up to timeoutMs (0: no limit) for data to send to the host.
    // The server makes a long wait as several shorter calls, so that it
    // notices a host that hung up; a call that times out must change nothing.
    virtual TransferResult bulkIn(std::uint8_t endpoint, std::span<std::uint8_t> into, std::uint32_t timeoutMs) = 0;
    // True once the device has pulled its own cable, typically from inside
    // one of the calls above: the server answers nothing more, not even
    // the call that did it, and closes.
    virtual bool unplugged() const { return false; }
};

}  // namespace qm::usb::cable
