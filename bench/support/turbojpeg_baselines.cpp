#include "bench/support/turbojpeg_baselines.h"

#include <vector>

namespace qm::bench {

namespace {

std::size_t bytesOf(const PixelLayout& layout)
{
    const int pitch = layout.pitch != 0 ? layout.pitch : layout.width * tjPixelSize[layout.format];
    return std::size_t(pitch) * std::size_t(layout.height);
}

}  // namespace

void turboJpegCompress(benchmark::State& state, const std::uint8_t* pixels, const PixelLayout& layout,
                       TJSAMP sampling, int quality, int flags)
{
    tjhandle handle = tjInitCompress();
    const unsigned long capacity = tjBufSize(layout.width, layout.height, sampling);
    std::vector<std::uint8_t> out(capacity);
    for (auto _ : state) {
        unsigned char* buffer = out.data();
        unsigned long size = capacity;
        if (tjCompress2(handle, pixels, layout.width, layout.pitch, layout.height, layout.format, &buffer, &size,
                        sampling, quality, flags | TJFLAG_NOREALLOC) != 0)
            state.SkipWithError(tjGetErrorStr2(handle));
        benchmark::DoNotOptimize(size);
    }
    tjDestroy(handle);
}

void turboJpegDecompress(benchmark::State& state, std::span<const std::uint8_t> jpeg, const PixelLayout& layout,
                         int flags)
{
    tjhandle handle = tjInitDecompress();
    std::vector<std::uint8_t> out(bytesOf(layout));
    for (auto _ : state) {
        if (tjDecompress2(handle, jpeg.data(), jpeg.size(), out.data(), layout.width, layout.pitch, layout.height,
                          layout.format, flags) != 0)
            state.SkipWithError(tjGetErrorStr2(handle));
        benchmark::DoNotOptimize(out.data());
    }
    tjDestroy(handle);
}

}  // namespace qm::bench
