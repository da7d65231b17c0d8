// Cost of decoding one camera frame through the driver's decoder
// (InitJpegDecode, DecompressJpeg, FreeJpegDecode: a decoder per frame, work
// memory from pool, bottom-up BGR), against libjpeg-turbo decoding the same
// JPEG alone into the same layout. The frame is 640 x 480 at Q = 64 with
// 4:1:1 sampling, as the camera sends its largest size. The summary prints
// the ratios; absolute times depend on the machine.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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
    const auto& jpeg = vgaFrame();
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

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpuTime[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpuTime;
};

void printRatio(const RatioReporter& reporter, const char* measured, const char* baseline)
{
    const auto m = reporter.cpuTime.find(measured);
    const auto b = reporter.cpuTime.find(baseline);
    if (m != reporter.cpuTime.end() && b != reporter.cpuTime.end() && b->second > 0)
        std::printf("%-24s / %-14s = %6.2f\n", measured, baseline, m->second / b->second);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nTime ratios against libjpeg-turbo alone in this process:\n");
    printRatio(reporter, "DecompressJpeg", "TurboJpegAlone");
    printRatio(reporter, "DecompressJpegMerged411", "TurboJpegAlone");
    benchmark::Shutdown();
    return 0;
}
