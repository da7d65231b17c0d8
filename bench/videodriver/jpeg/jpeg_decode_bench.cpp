// Cost of decoding one camera frame through the driver's decoder
// (InitJpegDecode, DecompressJpeg, FreeJpegDecode: a decoder per frame, work
// memory from pool, bottom-up BGR), against libjpeg-turbo decoding the same
// JPEG alone into the same layout. The frame is 640 x 480 at Q = 64 with
// 4:1:1 sampling, as the camera sends its largest size. The summary prints
// the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "bench/support/turbojpeg_baselines.h"
#include "platform/kernel/pool.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "videodriver/jpeg/jpeg_decoder.h"
#include "videodriver/jpeg/kernel_memory.h"

namespace {

using namespace qm::morvax;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

const std::vector<std::uint8_t>& vgaFrame()
{
    static const std::vector<std::uint8_t> jpeg = test::frameJpeg(test::cameraFrame(kWidth, kHeight, 64));
    return jpeg;
}

void TurboJpegAlone(benchmark::State& state)
{
    qm::bench::turboJpegDecompress(state, vgaFrame(), {kWidth, kHeight, 0, TJPF_BGR},
                                   TJFLAG_BOTTOMUP | TJFLAG_FASTDCT);
}

void driverDecode(benchmark::State& state, bool fancyUpsampling)
{
    const auto& jpeg = vgaFrame();
    std::vector<std::uint8_t> out(std::size_t(kWidth) * kHeight * 3);
    std::size_t poolBytes = 0;
    for (auto _ : state) {
        JpegDecodeDescriptor descriptor;
        descriptor.input = jpeg.data();
        descriptor.inputLength = jpeg.size();
        descriptor.output = out.data();
        descriptor.outputSize = out.size();
        descriptor.fancyUpsampling = fancyUpsampling;
        bool ok = InitJpegDecode(&descriptor);
        // All work memory is taken once decompression has started.
        poolBytes = std::max(poolBytes, qm::kernel::sim::poolUsage(kDecoderPoolTag).bytes);
        ok = ok && DecompressJpeg(&descriptor);
        FreeJpegDecode(&descriptor);
        if (!ok)
            state.SkipWithError("frame not decoded");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["pool_bytes"] = double(poolBytes);
}

void DecompressJpeg(benchmark::State& state) { driverDecode(state, true); }
void DecompressJpegMerged411(benchmark::State& state) { driverDecode(state, false); }

BENCHMARK(TurboJpegAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(DecompressJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(DecompressJpegMerged411)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against libjpeg-turbo alone in this process:",
                                           {{"DecompressJpeg", "TurboJpegAlone"},
                                            {"DecompressJpegMerged411", "TurboJpegAlone"}}});
}
