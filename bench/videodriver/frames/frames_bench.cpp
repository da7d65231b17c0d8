// Cost of the camera layer's frame path for one 640 x 480 video frame: the
// camera's packets (1023 bytes a millisecond, one sync byte each) through
// MORVAX_ProcessUSBPacket, collected as the engine collects them, the
// engine's header fix-up, then MORVAX_ProcessRawVideoFrame to RGB24 (header,
// decoding, the frame's exposure and white-balance work on an unplugged
// camera, whose register requests fail at once). The baseline is
// libjpeg-turbo decoding the same JPEG alone into the same layout. The
// summary prints the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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
    const std::vector<std::uint8_t> jpeg = test::frameJpeg(vgaFrame());
    std::vector<std::uint8_t> out(std::size_t(kWidth) * kHeight * 3);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        if (tjDecompress2(handle, jpeg.data(), jpeg.size(), out.data(), kWidth, 0, kHeight, TJPF_BGR,
                          TJFLAG_BOTTOMUP | TJFLAG_FASTDCT) != 0)
            state.SkipWithError(tjGetErrorStr2(handle));
        benchmark::DoNotOptimize(out.data());
    }
    tjDestroy(handle);
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

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpuTime[run.benchmark_name()] = run.GetAdjustedCPUTime() * multiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpuTime;  // nanoseconds

private:
    static double multiplier(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1.0;
        }
    }
};

void printRatio(const RatioReporter& reporter, const char* measured, const char* baseline)
{
    const auto m = reporter.cpuTime.find(measured);
    const auto b = reporter.cpuTime.find(baseline);
    if (m != reporter.cpuTime.end() && b != reporter.cpuTime.end() && b->second > 0)
        std::printf("%-18s / %-14s = %9.5f\n", measured, baseline, m->second / b->second);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nTime ratios against libjpeg-turbo alone in this process:\n");
    printRatio(reporter, "FramePathToRgb24", "TurboJpegAlone");
    printRatio(reporter, "PacketsAlone", "TurboJpegAlone");
    benchmark::Shutdown();
    return 0;
}
