// Cost of the camera layer's frame path for one 640 x 480 video frame: the
// camera's packets (1023 bytes a millisecond, one sync byte each) through
// MORVAX_ProcessUSBPacket, collected as the engine collects them, the
// engine's header fix-up, then MORVAX_ProcessRawVideoFrame to RGB24 (header,
// decoding, the frame's exposure and white-balance work on an unplugged
// camera, whose register requests fail at once). The baseline is
// libjpeg-turbo decoding the same JPEG alone into the same layout. The
// summary prints the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "bench/support/turbojpeg_baselines.h"
#include "simulators/dualcam/frame_format.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/engine/channel.h"
#include "videodriver/engine/device_extension.h"
#include "videodriver/engine/frame_header.h"

namespace {

using namespace qm::morvax;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kQuality = 64;
constexpr ULONG kPacketBytes = 1023;
constexpr ULONG kRawFrameLength = 614400;

const test::CameraFrame& vgaFrame()
{
    static const test::CameraFrame frame = test::cameraFrame(kWidth, kHeight, kQuality);
    return frame;
}

// The bytes the camera sends for the frame.
const std::vector<std::uint8_t>& cameraBytes()
{
    static const std::vector<std::uint8_t> bytes = [] {
        qm::dualcam::FrameParts parts;
        parts.quality = kQuality;
        parts.scan = vgaFrame().scan;
        return qm::dualcam::buildFrame(parts).value_or(std::vector<std::uint8_t>{});
    }();
    return bytes;
}

void TurboJpegAlone(benchmark::State& state)
{
    qm::bench::turboJpegDecompress(state, test::frameJpeg(vgaFrame()), {kWidth, kHeight, 0, TJPF_BGR},
                                   TJFLAG_BOTTOMUP | TJFLAG_FASTDCT);
}

struct UnpluggedCamera {
    std::vector<unsigned char> extension = std::vector<unsigned char>(sizeof(DeviceExtension) + sizeof(MorvaxContext));
    MorvaxContext* camera;

    UnpluggedCamera()
    {
        auto* device = reinterpret_cast<DeviceExtension*>(extension.data());
        device->DevicePresent = kDeviceRemoved;
        camera = static_cast<MorvaxContext*>(cameraContext(device));
        morvaxSetDefaults(camera);
        MORVAX_Initialize(nullptr, camera);
        camera->Width = kWidth;
        camera->Height = kHeight;
        camera->OutputCompression = kCompressionRgb24;
    }
    ~UnpluggedCamera() { MORVAX_UnInitialize(nullptr, camera); }
};

// Feeds the frame's packets and one more (which reports the frame); the
// bytes of the frame go to `raw` at the raw data pointer.
ULONG receivePackets(MorvaxContext* camera, const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& raw)
{
    MorvaxFrameContext frameContext{1};
    ULONG received = 0;
    ULONG reported = 0;
    const std::size_t packets = (bytes.size() + kPacketBytes - 1) / kPacketBytes;
    for (std::size_t packet = 0; packet <= packets; ++packet) {
        const std::size_t offset = std::min(packet * kPacketBytes, bytes.size());
        const ULONG length = ULONG(std::min<std::size_t>(kPacketBytes, bytes.size() - offset));
        UCHAR sync = packet + 1 == packets ? 0x01 : 0x00;
        USBD_ISO_PACKET_DESCRIPTOR syncPacket{0, 1, USBD_STATUS_SUCCESS};
        USBD_ISO_PACKET_DESCRIPTOR dataPacket{ULONG(offset), length, USBD_STATUS_SUCCESS};
        BOOLEAN complete = FALSE;
        ULONG frameLength = 0;
        const UCHAR* data = bytes.data() + offset;
        const ULONG count = MORVAX_ProcessUSBPacket(nullptr, camera, &frameContext, &syncPacket, &sync, &dataPacket,
                                                    const_cast<UCHAR*>(data), &complete, &frameLength);
        if (complete)
            reported = frameLength;
        if (count != 0 && !complete) {
            std::copy_n(data, count, raw.begin() + kRawBufferReserve + received);
            received += count;
        }
    }
    return reported == received ? received : 0;
}

void FramePathToRgb24(benchmark::State& state)
{
    UnpluggedCamera device;
    const auto& bytes = cameraBytes();
    std::vector<std::uint8_t> raw(kRawFrameLength);
    std::vector<std::uint8_t> out(std::size_t(kWidth) * kHeight * 3);
    for (auto _ : state) {
        const ULONG received = receivePackets(device.camera, bytes, raw);
        ULONG returned = 0;
        if (received == 0 || !fixUpFrameHeader(raw.data() + kRawBufferReserve, received, received) ||
            !NT_SUCCESS(MORVAX_ProcessRawVideoFrame(nullptr, device.camera, nullptr, out.data(), ULONG(out.size()),
                                                    raw.data(), raw.data() + kRawBufferReserve, kRawFrameLength,
                                                    received, &returned)))
            state.SkipWithError("frame not converted");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["frame_bytes"] = double(bytes.size());
}

void PacketsAlone(benchmark::State& state)
{
    UnpluggedCamera device;
    const auto& bytes = cameraBytes();
    std::vector<std::uint8_t> raw(kRawFrameLength);
    for (auto _ : state)
        benchmark::DoNotOptimize(receivePackets(device.camera, bytes, raw));
}

BENCHMARK(TurboJpegAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(FramePathToRgb24)->Unit(benchmark::kMillisecond);
BENCHMARK(PacketsAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against libjpeg-turbo alone in this process:",
                                           {{"FramePathToRgb24", "TurboJpegAlone"},
                                            {"PacketsAlone", "TurboJpegAlone"}}});
}
