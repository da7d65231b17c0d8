// The host's side of the wire, as plain as the camera's tests need it:
// framing requests, taking replies apart, and talking to the camera over its
// pseudo-terminal or its USB cable socket.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam::test {

using Bytes = std::vector<std::uint8_t>;

// A request packet around a command code and its parameters.
Bytes request(std::initializer_list<std::uint8_t> body);
Bytes request(std::span<const std::uint8_t> body);
// The paged-read requests: long form [c, state, n low, n high], short form [c, state, sequence].
Bytes firstBlockRequest(std::uint8_t code, unsigned picture);
Bytes nextBlockRequest(std::uint8_t code, std::uint8_t state, std::uint8_t sequence);

// A reply taken apart; `valid` when start byte, length and checksum agree
// with the bytes.
struct Reply {
    bool valid = false;
    std::size_t length = 0;  // the length field
    std::uint8_t code = 0;
    Bytes data;              // between the reply code and the checksum
};
Reply parseReply(std::span<const std::uint8_t> packet);

// Collects the camera's one-line descriptions, so a test can wait for the
// camera to have taken a request instead of sleeping.
class CommandWatcher {
public:
    explicit CommandWatcher(StillCamera& camera);
    ~CommandWatcher();
    // Waits until a description containing the text arrives (or 10 s pass).
    bool waitFor(const std::string& text);

private:
    StillCamera& camera_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> lines_;
};

// A host on the camera's serial line.
class SerialHost {
public:
    explicit SerialHost(const std::string& path);
    ~SerialHost();
    bool isOpen() const { return fd_ >= 0; }
    // Sets the line as a host does: raw, the given rate, 8N1 unless told
    // to use two stop bits (a pseudo-terminal keeps no parity setting).
    void setLine(std::uint32_t rate, bool twoStopBits = false);
    void send(std::span<const std::uint8_t> bytes);
    // Reads until n bytes are there or the time is up.
    Bytes receive(std::size_t n, int timeoutMs = 5000);
    // Bytes already waiting, without waiting for more.
    std::size_t pending();

private:
    int fd_ = -1;
};

// A host on the camera's USB cable.
class CableHost {
public:
    explicit CableHost(const std::string& socketPath);
    ~CableHost();
    bool isConnected() const { return fd_ >= 0; }

    struct Result {
        std::int32_t status = -1;  // -1: the cable is gone
        Bytes data;
        std::uint32_t length = 0;
    };
    Result call(std::uint32_t op, std::uint32_t pipe, std::span<const std::uint8_t> payload, std::uint32_t length,
                std::uint32_t timeoutMs);
    Result describe();
    Result resetPipe(std::uint8_t pipe);
    Result bulkOut(std::uint8_t pipe, std::span<const std::uint8_t> data);
    Result bulkIn(std::uint8_t pipe, std::uint32_t length, std::uint32_t timeoutMs);

    // A request the way the host transport writes one: 64-byte packets on
    // pipe 3, the last one zero-padded. False when a packet failed.
    bool sendRequest(std::span<const std::uint8_t> request);
    // A reply the way the host transport reads one: 64-byte packets on
    // pipe 0x84 until n bytes are there; stops at the first failed packet.
    Bytes receiveReply(std::size_t n, std::uint32_t timeoutMs = 2000);
    Bytes exchange(std::span<const std::uint8_t> request, std::size_t replySize);

private:
    int fd_ = -1;
};

}  // namespace qm::stillcam::test
