// The camera on an RS-232 port. Open searches COM1..COM4 for a camera, finds
// the rate it talks at, moves it step by step up to the preferred rate
// ("Baud Rate Mode") and records the port and rate in KVB.ini.
#pragma once

#include <cstdint>

#include "device/transport/camera_transport.h"
#include "platform/comm/comm.h"

namespace qm::device {

// SerialTransport::lastError() values.
inline constexpr std::uint32_t kSerialErrorNone = 0;
inline constexpr std::uint32_t kSerialErrorOpen = 65538;     // the port could not be opened
inline constexpr std::uint32_t kSerialErrorComm = 65539;     // a communications call failed
inline constexpr std::uint32_t kSerialErrorBadPort = 65540;  // port index outside 0..3

inline constexpr std::uint32_t kDefaultPreferredRate = 115200;

class SerialTransport : public CameraTransport {
public:
    SerialTransport();
    ~SerialTransport() override;

    bool isOpen() const override { return port_ != comm::INVALID_HANDLE_VALUE; }
    bool Open(ProbeCallback probe, SpeedCallback speed, void* user) override;
    bool Close() override;

    bool setReadIntervalTimeout(comm::DWORD interval) override;
    bool setReadTimeouts(comm::DWORD multiplier, comm::DWORD constant) override;
    bool setWriteTimeouts(comm::DWORD multiplier, comm::DWORD constant) override;
    bool setTimeouts(const comm::COMMTIMEOUTS& timeouts) override;
    bool getTimeouts(comm::COMMTIMEOUTS& timeouts) override;

    long write(std::span<const std::uint8_t> data) override;
    long writeByte(std::uint8_t byte) override;
    long read(std::span<std::uint8_t> buffer) override;
    long readByte(std::uint8_t& byte) override;
    bool purge() override;

    // After the camera accepted a new rate outside the search, the line
    // follows it (8 data bits, no parity, one stop bit) and settles.
    bool followCameraRate(std::uint32_t rate);

    std::uint32_t lastError() const { return lastError_; }
    std::uint32_t position() const { return position_; }
    // The line rate in use, 0 while closed.
    std::uint32_t rate() const { return rate_; }
    // The settings the port had before this transport changed them.
    const comm::DCB& stateFoundAtOpen() const { return foundState_; }
    const comm::COMMTIMEOUTS& timeoutsFoundAtOpen() const { return foundTimeouts_; }
    const comm::COMMPROP& queuesFoundAtOpen() const { return foundQueues_; }

private:
    bool openPort(unsigned index);
    void closePort();
    // Keeps the port's other settings; binary, no flow control, DTR and RTS
    // held off.
    bool setLine(std::uint32_t rate, std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits);
    // The first rate of the table at which the camera answers; 0 for none.
    std::uint32_t detect(ProbeCallback probe, void* user);
    bool switchTo(std::uint32_t rate, ProbeCallback probe, SpeedCallback speed, void* user);
    bool searchPort(unsigned index, ProbeCallback probe, SpeedCallback speed, void* user);
    void setPosition(std::uint32_t position);
    long fail();

    comm::HANDLE port_ = comm::INVALID_HANDLE_VALUE;
    std::uint32_t lastError_ = kSerialErrorNone;
    std::uint32_t position_ = 0;
    std::uint32_t rate_ = 0;
    comm::COMMTIMEOUTS timeouts_;
    comm::DCB foundState_;
    comm::COMMTIMEOUTS foundTimeouts_;
    comm::COMMPROP foundQueues_;
};

}  // namespace qm::device
