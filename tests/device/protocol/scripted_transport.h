// A CameraTransport for protocol tests: every request written is handed to a
// responder whose answer becomes the bytes later reads return. Tests can
// make single calls fail, come back empty or short.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "device/transport/camera_transport.h"

namespace qm::test {

using Bytes = std::vector<std::uint8_t>;

// Frames a reply: [0x40, length low, length high, code + 0x80, data..., sum].
Bytes cameraReply(std::uint8_t command, const Bytes& data);

class ScriptedTransport : public device::CameraTransport {
public:
    using Responder = std::function<Bytes(const Bytes& request)>;

    explicit ScriptedTransport(Responder responder,
                               device::TransportKind kind = device::TransportKind::Serial);

    bool isOpen() const override { return open_; }
    // Open probes once, like a transport that finds its camera at once.
    bool Open(device::ProbeCallback probe, device::SpeedCallback speed, void* user) override;
    bool Close() override;
    long write(std::span<const std::uint8_t> data) override;
    long writeByte(std::uint8_t byte) override { return write(std::span(&byte, 1)); }
    long read(std::span<std::uint8_t> buffer) override;
    long readByte(std::uint8_t& byte) override { return read(std::span(&byte, 1)); }
    bool purge() override;

    // Queued results for the next write or read calls (used up in order);
    // for reads a value >= 0 caps how many pending bytes the call returns.
    std::deque<long> writeResults;
    std::deque<long> readResults;

    const std::vector<Bytes>& requests() const { return requests_; }
    std::size_t largestRead() const { return largestRead_; }
    unsigned purges() const { return purges_; }
    unsigned reads() const { return reads_; }

private:
    Responder responder_;
    bool open_ = false;
    std::vector<Bytes> requests_;
    Bytes pending_;
    std::size_t largestRead_ = 0;
    unsigned purges_ = 0;
    unsigned reads_ = 0;
};

}  // namespace qm::test
