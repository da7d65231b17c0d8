// The byte channel to a camera: USB or a serial port. A transport's Open
// finds the camera, using callbacks of the protocol layer to ask it whether
// it answers (probe) and to change its line speed (speed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/comm/comm.h"

namespace qm::device {

enum class TransportKind : std::uint8_t { Usb = 1, Serial = 2 };

// Both take the protocol layer's user value and return 1 on success.
using ProbeCallback = int (*)(void* user);
using SpeedCallback = int (*)(void* user, std::uint32_t rate);
// How far a transport's Open has come, 0..100.
using PositionCallback = void (*)(void* user, std::uint32_t position);

// Read and write report the count moved, or this when the call itself failed.
inline constexpr long kTransportCallFailed = -1;

class CameraTransport {
public:
    explicit CameraTransport(TransportKind kind) : kind_(kind) {}
    CameraTransport(const CameraTransport&) = delete;
    CameraTransport& operator=(const CameraTransport&) = delete;

    virtual bool isOpen() const = 0;
    virtual bool Open(ProbeCallback probe, SpeedCallback speed, void* user) = 0;
    virtual bool Close() = 0;

    // Time-outs matter to the serial line only; elsewhere they are accepted.
    virtual bool setReadIntervalTimeout(comm::DWORD) { return true; }
    virtual bool setReadTimeouts(comm::DWORD /*multiplier*/, comm::DWORD /*constant*/) { return true; }
    virtual bool setWriteTimeouts(comm::DWORD /*multiplier*/, comm::DWORD /*constant*/) { return true; }
    virtual bool setTimeouts(const comm::COMMTIMEOUTS&) { return true; }
    virtual bool getTimeouts(comm::COMMTIMEOUTS&) { return true; }

    virtual long write(std::span<const std::uint8_t> data) = 0;
    virtual long writeByte(std::uint8_t byte) = 0;
    // Never stores more than the span holds.
    virtual long read(std::span<std::uint8_t> buffer) = 0;
    virtual long readByte(std::uint8_t& byte) = 0;
    // Drops pending input and output.
    virtual bool purge() = 0;

    virtual ~CameraTransport() = default;

    TransportKind kind() const { return kind_; }

    // Where Open reports its progress (optional).
    void setPositionCallback(PositionCallback callback, void* user)
    {
        positionCallback_ = callback;
        positionUser_ = user;
    }

protected:
    void reportPosition(std::uint32_t position) const
    {
        if (positionCallback_ != nullptr)
            positionCallback_(positionUser_, position);
    }

private:
    TransportKind kind_;
    PositionCallback positionCallback_ = nullptr;
    void* positionUser_ = nullptr;
};

}  // namespace qm::device
