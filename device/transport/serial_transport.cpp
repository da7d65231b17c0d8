#include "device/transport/serial_transport.h"

#include "common/config/kvb_config.h"
#include "device/transport/link_timing.h"
#include "device/transport/speed_table.h"
#include "device/transport/transport_strings.h"
#include "platform/system/timing.h"

namespace qm::device {
namespace {

constexpr comm::DWORD kInitialRate = 9600;
constexpr std::uint8_t kByteSize = 8;
constexpr comm::DWORD kQueueSize = 2048;
constexpr std::uint32_t kSettleMs = 500;   // after a speed change, before closing
constexpr comm::DWORD kReadMultiplierMs = 2;
constexpr comm::DWORD kReadConstantMs = 500;
constexpr int kReadCalls = 3;
constexpr std::uint32_t kPositionPerPort = 25;
constexpr comm::DWORD kPurgeAll =
    comm::PURGE_TXABORT | comm::PURGE_RXABORT | comm::PURGE_TXCLEAR | comm::PURGE_RXCLEAR;

comm::COMMTIMEOUTS transportTimeouts()
{
    comm::COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = comm::MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = kReadMultiplierMs;
    timeouts.ReadTotalTimeoutConstant = linkWait(kReadConstantMs);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    return timeouts;
}

// The highest table rate that does not exceed the preference (the lowest
// table rate when the preference is below all of them).
std::uint32_t tableRateAtMost(std::uint32_t preferred)
{
    std::uint32_t chosen = SPEED_TABLE.front();
    for (const std::uint32_t rate : SPEED_TABLE) {
        if (rate <= preferred)
            chosen = rate;
    }
    return chosen;
}

}  // namespace

SerialTransport::SerialTransport() : CameraTransport(TransportKind::Serial), timeouts_(transportTimeouts()) {}

SerialTransport::~SerialTransport()
{
    if (isOpen())
        Close();
}

bool SerialTransport::Open(ProbeCallback probe, SpeedCallback speed, void* user)
{
    if (isOpen() || probe == nullptr || speed == nullptr)
        return false;
    for (unsigned index = 0; index < strings::kPortNames.size(); ++index) {
        if (searchPort(index, probe, speed, user)) {
            config::writeText(strings::kSectionCommunicationPort, strings::kKeyPortName, strings::kPortNames[index]);
            config::writeInt(strings::kSectionCommunicationPort, strings::kKeyBaudRate, int(rate_));
            return true;
        }
    }
    config::writeText(strings::kSectionCommunicationPort, strings::kKeyPortName, "");
    config::writeText(strings::kSectionCommunicationPort, strings::kKeyBaudRate, "");
    return false;
}

bool SerialTransport::searchPort(unsigned index, ProbeCallback probe, SpeedCallback speed, void* user)
{
    setPosition(kPositionPerPort * index);
    if (!openPort(index))
        return false;
    timeouts_ = transportTimeouts();
    if (!setLine(kInitialRate, kByteSize, comm::NOPARITY, comm::ONESTOPBIT) || !setTimeouts(timeouts_) ||
        !comm::SetupComm(port_, kQueueSize, kQueueSize)) {
        lastError_ = kSerialErrorComm;
        closePort();
        return false;
    }

    std::uint32_t current = detect(probe, user);
    if (current == 0) {
        closePort();
        return false;
    }
    const auto preferred = std::uint32_t(std::max(
        0, config::readInt(strings::kSectionBaudRateSpeeding, strings::kKeyBaudRateMode, int(kDefaultPreferredRate))));

    if (preferred > current) {
        // Step up one table rate at a time while the camera follows.
        for (;;) {
            const auto faster = nextFasterRate(current);
            if (!faster || *faster > preferred || !switchTo(*faster, probe, speed, user))
                break;
            current = *faster;
        }
        // Wherever the camera ended up, find it there.
        if (detect(probe, user) == 0) {
            closePort();
            return false;
        }
        return true;
    }
    // A preference outside the table is taken as a ceiling: the camera can
    // only run at a table rate.
    if (!switchTo(tableRateAtMost(preferred), probe, speed, user)) {
        closePort();
        return false;
    }
    return true;
}

std::uint32_t SerialTransport::detect(ProbeCallback probe, void* user)
{
    for (const std::uint32_t rate : SPEED_TABLE) {
        if (setLine(rate, kByteSize, comm::NOPARITY, comm::ONESTOPBIT) && probe(user))
            return rate;
    }
    return 0;
}

bool SerialTransport::switchTo(std::uint32_t rate, ProbeCallback probe, SpeedCallback speed, void* user)
{
    speed(user, rate);  // the camera may have switched even when its answer was lost
    const bool lineSet = setLine(rate, kByteSize, comm::NOPARITY, comm::ONESTOPBIT);
    sys::Sleep(linkWait(kSettleMs));
    setPosition(position_ + 1);
    return lineSet && probe(user);
}

bool SerialTransport::followCameraRate(std::uint32_t rate)
{
    if (!isOpen())
        return false;
    const bool lineSet = setLine(rate, kByteSize, comm::NOPARITY, comm::ONESTOPBIT);
    sys::Sleep(linkWait(kSettleMs));
    return lineSet;
}

bool SerialTransport::openPort(unsigned index)
{
    if (index >= strings::kPortNames.size()) {
        lastError_ = kSerialErrorBadPort;
        return false;
    }
    port_ = comm::CreateFile(strings::kPortNames[index], comm::GENERIC_READ | comm::GENERIC_WRITE, 0, nullptr,
                             comm::OPEN_EXISTING, 0, nullptr);
    if (port_ == comm::INVALID_HANDLE_VALUE) {
        lastError_ = kSerialErrorOpen;
        return false;
    }
    comm::GetCommState(port_, &foundState_);
    comm::GetCommTimeouts(port_, &foundTimeouts_);
    comm::GetCommProperties(port_, &foundQueues_);
    return true;
}

void SerialTransport::closePort()
{
    if (isOpen()) {
        comm::CloseHandle(port_);
        port_ = comm::INVALID_HANDLE_VALUE;
    }
    rate_ = 0;
}

bool SerialTransport::Close()
{
    if (!isOpen())
        return true;
    comm::PurgeComm(port_, kPurgeAll);
    sys::Sleep(linkWait(kSettleMs));
    const bool closed = comm::CloseHandle(port_);
    port_ = comm::INVALID_HANDLE_VALUE;
    rate_ = 0;
    if (!closed)
        lastError_ = kSerialErrorComm;
    return closed;
}

bool SerialTransport::setLine(std::uint32_t rate, std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits)
{
    comm::DCB dcb;
    if (!comm::GetCommState(port_, &dcb)) {
        lastError_ = kSerialErrorComm;
        return false;
    }
    dcb.BaudRate = rate;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = comm::DTR_CONTROL_DISABLE;
    dcb.fRtsControl = comm::RTS_CONTROL_DISABLE;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fTXContinueOnXoff = 0;
    if (!comm::SetCommState(port_, &dcb)) {
        lastError_ = kSerialErrorComm;
        return false;
    }
    rate_ = rate;
    return true;
}

bool SerialTransport::setReadIntervalTimeout(comm::DWORD interval)
{
    timeouts_.ReadIntervalTimeout = interval;
    return setTimeouts(timeouts_);
}

bool SerialTransport::setReadTimeouts(comm::DWORD multiplier, comm::DWORD constant)
{
    timeouts_.ReadTotalTimeoutMultiplier = multiplier;
    timeouts_.ReadTotalTimeoutConstant = constant;
    return setTimeouts(timeouts_);
}

bool SerialTransport::setWriteTimeouts(comm::DWORD multiplier, comm::DWORD constant)
{
    timeouts_.WriteTotalTimeoutMultiplier = multiplier;
    timeouts_.WriteTotalTimeoutConstant = constant;
    return setTimeouts(timeouts_);
}

bool SerialTransport::setTimeouts(const comm::COMMTIMEOUTS& timeouts)
{
    timeouts_ = timeouts;
    if (!comm::SetCommTimeouts(port_, &timeouts_)) {
        lastError_ = kSerialErrorComm;
        return false;
    }
    return true;
}

bool SerialTransport::getTimeouts(comm::COMMTIMEOUTS& timeouts)
{
    if (!comm::GetCommTimeouts(port_, &timeouts)) {
        lastError_ = kSerialErrorComm;
        return false;
    }
    return true;
}

long SerialTransport::fail()
{
    lastError_ = kSerialErrorComm;
    return kTransportCallFailed;
}

long SerialTransport::write(std::span<const std::uint8_t> data)
{
    comm::DWORD written = 0;
    if (!comm::WriteFile(port_, data.data(), comm::DWORD(data.size()), &written, nullptr))
        return fail();
    return long(written);
}

long SerialTransport::writeByte(std::uint8_t byte) { return write(std::span(&byte, 1)); }

long SerialTransport::read(std::span<std::uint8_t> buffer)
{
    // A reply may come in pieces; three calls give it time to complete.
    std::size_t received = 0;
    for (int call = 0; call < kReadCalls && received < buffer.size(); ++call) {
        comm::DWORD got = 0;
        if (!comm::ReadFile(port_, buffer.data() + received, comm::DWORD(buffer.size() - received), &got, nullptr))
            return fail();
        received += got;
    }
    return long(received);
}

long SerialTransport::readByte(std::uint8_t& byte) { return read(std::span(&byte, 1)); }

bool SerialTransport::purge()
{
    if (!comm::PurgeComm(port_, kPurgeAll)) {
        lastError_ = kSerialErrorComm;
        return false;
    }
    return true;
}

void SerialTransport::setPosition(std::uint32_t position)
{
    position_ = position;
    reportPosition(position_);
}

}  // namespace qm::device
