// Fuzzes everything the device module reads from a still camera: replies,
// paged blocks and upload acknowledgements through the camera link, and
// what the session makes of them. The input is what the camera "sends":
//
//   byte 0     bit 0 set: a USB camera (else serial)
//   then       one chunk per read of the link: a 16-bit little-endian
//              length and that many bytes (a read returns at most what it
//              asked for and the rest of the chunk is lost); the length
//              FFFF makes that read fail; once the input is used up, reads
//              return nothing, as a silent camera's do
//
// Time is simulated: every wait of the link passes at once.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "device/transport/camera_transport.h"
#include "fuzz/device/replies/camera_session.h"
#include "fuzz/scratch_directory.h"
#include "platform/system/timing.h"

namespace {

using namespace qm::device;

constexpr std::uint16_t kFailedRead = 0xFFFF;

class ChunkTransport : public CameraTransport {
public:
    ChunkTransport(TransportKind kind, const std::uint8_t* data, std::size_t size)
        : CameraTransport(kind), data_(data), size_(size)
    {
    }
    bool isOpen() const override { return open_; }
    bool Open(ProbeCallback, SpeedCallback, void*) override { return open_ = true; }
    bool Close() override
    {
        open_ = false;
        return true;
    }
    long write(std::span<const std::uint8_t> data) override { return long(data.size()); }
    long writeByte(std::uint8_t) override { return 1; }
    long read(std::span<std::uint8_t> buffer) override
    {
        if (size_ - position_ < 2)
            return 0;
        const std::size_t length = std::size_t(data_[position_] | data_[position_ + 1] << 8);
        position_ += 2;
        if (length == kFailedRead)
            return kTransportCallFailed;
        const std::size_t chunk = std::min(length, size_ - position_);
        const std::size_t taken = std::min(chunk, buffer.size());
        std::copy_n(data_ + position_, taken, buffer.begin());
        position_ += chunk;
        return long(taken);
    }
    long readByte(std::uint8_t& byte) override { return read(std::span(&byte, 1)); }
    bool purge() override { return true; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool open_ = false;
};

std::uint32_t virtualNow = 0;
const qm::sys::ClockSource kVirtualClock{[] { return virtualNow; },
                                         [](std::uint32_t ms) { virtualNow += ms == 0 ? 1 : ms; }};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool prepared = [] {
        // KVB.ini (the sharpening strength) in a directory of our own.
        static const qm::fuzz::ScratchDirectory windows("qm4200-fuzz-replies");
        ::setenv("WINDIR", windows.path().c_str(), 1);
        qm::sys::setClockSource(&kVirtualClock);
        return true;
    }();
    static_cast<void>(prepared);
    if (size < 1)
        return 0;
    const TransportKind kind = (data[0] & 1) != 0 ? TransportKind::Usb : TransportKind::Serial;
    CameraLink link;
    if (!link.openWith(std::make_unique<ChunkTransport>(kind, data + 1, size - 1)))
        std::abort();
    qm::fuzz::runCameraSession(link);
    return 0;
}
