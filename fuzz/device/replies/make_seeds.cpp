// Writes the camera-replies seed corpus: the bytes a simulated camera sends
// during one session (see camera_session.h), chunked as the link read them.
// Usage: device_replies_fuzz_seeds <corpus directory>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "device/transport/camera_transport.h"
#include "fuzz/device/replies/camera_session.h"
#include "platform/system/timing.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"
#include "simulators/stillcam/still_camera.h"

namespace {

using namespace qm::device;
using Bytes = std::vector<std::uint8_t>;

// Hands every request to the camera and notes each read as a chunk.
class RecordingTransport : public CameraTransport {
public:
    RecordingTransport(TransportKind kind, qm::stillcam::StillCamera& camera, Bytes& record)
        : CameraTransport(kind), camera_(camera), record_(record)
    {
    }
    bool isOpen() const override { return true; }
    bool Open(ProbeCallback, SpeedCallback, void*) override { return true; }
    bool Close() override { return true; }
    long write(std::span<const std::uint8_t> data) override
    {
        const Bytes reply = camera_.exchange(data);
        pending_.insert(pending_.end(), reply.begin(), reply.end());
        return long(data.size());
    }
    long writeByte(std::uint8_t byte) override { return write(std::span(&byte, 1)); }
    long read(std::span<std::uint8_t> buffer) override
    {
        const std::size_t taken = std::min(buffer.size(), pending_.size());
        std::copy_n(pending_.begin(), taken, buffer.begin());
        pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(taken));
        record_.push_back(std::uint8_t(taken));
        record_.push_back(std::uint8_t(taken >> 8));
        record_.insert(record_.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(taken));
        return long(taken);
    }
    long readByte(std::uint8_t& byte) override { return read(std::span(&byte, 1)); }
    bool purge() override
    {
        pending_.clear();
        return true;
    }

private:
    qm::stillcam::StillCamera& camera_;
    Bytes& record_;
    std::deque<std::uint8_t> pending_;
};

Bytes smallPicture(int width, int height)
{
    qm::stillcam::RgbImage image(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = std::uint8_t(i * 13 % 251);
    return qm::stillcam::encodeJpeg(image, 80);
}

bool writeSeed(const std::string& path, std::uint8_t model, std::optional<std::uint8_t> resolution, bool usb)
{
    qm::stillcam::StillCameraConfig config;
    config.model = model;
    config.pictureCount = 0;
    config.resolutionCode = resolution;
    auto camera = qm::stillcam::StillCamera::create(config);
    if (!camera || !camera->addPicture(smallPicture(96, 72)))
        return false;
    Bytes seed{std::uint8_t(usb ? 1 : 0)};
    CameraLink link;
    if (!link.openWith(std::make_unique<RecordingTransport>(usb ? TransportKind::Usb : TransportKind::Serial,
                                                            *camera, seed)))
        return false;
    qm::fuzz::runCameraSession(link);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data()), std::streamsize(seed.size()));
    return bool(out);
}

std::uint32_t virtualNow = 0;
const qm::sys::ClockSource kVirtualClock{[] { return virtualNow; }, [](std::uint32_t ms) { virtualNow += ms; }};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    qm::sys::setClockSource(&kVirtualClock);
    const std::string dir = argv[1];
    bool ok = true;
    ok &= writeSeed(dir + "/model16_usb", 16, std::nullopt, true);
    ok &= writeSeed(dir + "/model18_xga_usb", 18, 1, true);
    ok &= writeSeed(dir + "/model20_serial", 20, std::nullopt, false);
    ok &= writeSeed(dir + "/model22_serial", 22, std::nullopt, false);
    return ok ? 0 : 1;
}
