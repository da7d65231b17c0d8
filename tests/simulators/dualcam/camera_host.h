// A host for the simulated camera in tests: vendor register requests split
// into runs of 64 bytes, the still-command handshake, and hand-stepped 1 ms
// frames whose packets are assembled into frames the way the video driver
// assembles them.
#pragma once

#include "simulators/dualcam/dual_camera.h"
#include "tests/simulators/dualcam/jpeg_header.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qm::dualcam::test {

struct IsoFrame {
    std::vector<std::uint8_t> data;
    usbd::USBD_STATUS dataStatus = usbd::USBD_STATUS_SUCCESS;
    std::uint8_t sync = 0;
    usbd::USBD_STATUS syncStatus = usbd::USBD_STATUS_SUCCESS;
};

struct ReceivedFrame {
    std::vector<std::uint8_t> raw;  // fixed up, with 4 spare bytes behind
    std::size_t received = 0;       // bytes that arrived
    std::size_t announced = 0;      // 4n + 2 from the trailer
    bool badPackets = false;
    bool snapshotButton = false;
    bool valid() const { return !badPackets && announced == received && received > 4; }
};

// Collects packets the way the video driver does: every data packet counts,
// an error on either pipe spoils the frame, and the sync byte's bit 0 ends
// it with the trailer in the last two bytes of that packet.
class FrameAssembler {
public:
    std::optional<ReceivedFrame> add(const IsoFrame& packet);

private:
    ReceivedFrame frame_;
};

class CameraHost {
public:
    explicit CameraHost(DualCamera& camera) : camera_(camera) {}

    // Register runs; longer blocks are split into requests of 64 bytes.
    bool write(std::uint16_t first, const std::vector<std::uint8_t>& bytes);
    bool writeByte(std::uint16_t address, std::uint8_t value) { return write(address, {value}); }
    std::vector<std::uint8_t> read(std::uint16_t first, std::size_t count);
    std::uint8_t readByte(std::uint16_t address) { return read(address, 1).at(0); }
    unsigned requests() const { return requests_; }

    // The still-command handshake: wait for ready, write, strobe, wait again.
    bool waitReady(int tries = 300);
    bool command(std::uint8_t code);
    bool command(std::uint8_t argument, std::uint8_t code);
    std::pair<std::uint8_t, std::uint8_t> result();

    // Bus side.
    void selectAlternate(std::uint8_t alternate) { camera_.interfaceSelected(0, alternate); }
    // One 1 ms frame in which the host asks for nothing (no IN tokens).
    void idleFrame();
    IsoFrame step();
    // Steps until a frame ends (sync bit 0) or `limit` frames pass.
    std::optional<ReceivedFrame> nextFrame(unsigned limit = 2000);
    std::uint32_t frameNumber() const { return frame_; }

    // Starts live video at a size code and frame-rate index with a fixed Q.
    void startVideo(int sizeCode, int rateIndex, std::uint8_t quality, std::uint8_t alternate = 1);
    void stopVideo();

private:
    DualCamera& camera_;
    unsigned requests_ = 0;
    std::uint32_t frame_ = 0;
};

// Video frame -> decoded image, with the sampling the host uses at that width.
std::optional<DecodedImage> decodeVideoFrame(const ReceivedFrame& frame, int width, int height);

}  // namespace qm::dualcam::test
