// Cost of the simulated camera's video path, each against libjpeg-turbo
// compressing the same frame size in the same process. A frame is produced
// inside one 1 ms bus frame, so its cost is what a real-time bus thread must
// absorb. The summary prints the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "bench/support/turbojpeg_baselines.h"
#include "simulators/dualcam/dual_camera.h"
#include "simulators/dualcam/register_map.h"

namespace {

using namespace qm::dualcam;

std::vector<std::uint8_t> rgbFrame(int width, int height)
{
    SceneRenderer scene;
    return scene.render(width, height, 0).rgb;
}

void turboJpeg(benchmark::State& state, int width, int height, TJSAMP sampling)
{
    const auto rgb = rgbFrame(width, height);
    qm::bench::turboJpegCompress(state, rgb.data(), {width, height, 0, TJPF_RGB}, sampling, 50);
}

// Steps a streaming camera until it has sent one whole frame.
void cameraFrames(benchmark::State& state, int sizeCode)
{
    DualCamera camera;
    camera.interfaceSelected(0, 1);
    const std::uint8_t setup[] = {std::uint8_t(0xA0 | (sizeCode << 2))};
    camera.writeRegisters(reg::kFrameControl, setup);
    const std::uint8_t quality[] = {64};
    camera.writeRegisters(reg::kCompression, quality);
    const std::uint8_t run[] = {0xBE};
    camera.writeRegisters(reg::kMaster, run);
    std::vector<std::uint8_t> packet(kDataPacketSize[1]);
    std::uint8_t sync = 0;
    std::uint32_t frame = 0;
    for (auto _ : state) {
        do {
            camera.startOfFrame(++frame);
            camera.isochronousIn(kDataEndpoint, frame, packet);
            camera.isochronousIn(kSyncEndpoint, frame, {&sync, 1});
        } while (!(sync & kSyncEndOfFrame));
    }
}

// One 1 ms bus frame of a camera that is not streaming.
void idleMillisecond(benchmark::State& state)
{
    DualCamera camera;
    camera.interfaceSelected(0, 1);
    std::vector<std::uint8_t> packet(kDataPacketSize[1]);
    std::uint8_t sync = 0;
    std::uint32_t frame = 0;
    for (auto _ : state) {
        camera.startOfFrame(++frame);
        auto data = camera.isochronousIn(kDataEndpoint, frame, packet);
        auto mark = camera.isochronousIn(kSyncEndpoint, frame, {&sync, 1});
        benchmark::DoNotOptimize(data);
        benchmark::DoNotOptimize(mark);
    }
}

// Copying one full packet: the least a bus frame can cost.
void packetCopy(benchmark::State& state)
{
    std::vector<std::uint8_t> from(kDataPacketSize[1], 7), to(kDataPacketSize[1]);
    for (auto _ : state) {
        std::copy(from.begin(), from.end(), to.begin());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void TurboJpegVga(benchmark::State& state) { turboJpeg(state, 640, 480, TJSAMP_411); }
void CameraFrameVga(benchmark::State& state) { cameraFrames(state, 0); }
void TurboJpegQsif(benchmark::State& state) { turboJpeg(state, 160, 120, TJSAMP_422); }
void CameraFrameQsif(benchmark::State& state) { cameraFrames(state, 7); }
void PacketCopy(benchmark::State& state) { packetCopy(state); }
void IdleMillisecond(benchmark::State& state) { idleMillisecond(state); }

BENCHMARK(TurboJpegVga)->Unit(benchmark::kMillisecond);
BENCHMARK(CameraFrameVga)->Unit(benchmark::kMillisecond);
BENCHMARK(TurboJpegQsif)->Unit(benchmark::kMicrosecond);
BENCHMARK(CameraFrameQsif)->Unit(benchmark::kMicrosecond);
BENCHMARK(PacketCopy)->Unit(benchmark::kNanosecond);
BENCHMARK(IdleMillisecond)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against the baselines in this process:",
                                           {{"CameraFrameVga", "TurboJpegVga"},
                                            {"CameraFrameQsif", "TurboJpegQsif"},
                                            {"IdleMillisecond", "PacketCopy"}}});
}
