// libjpeg-turbo doing the nearest comparable job to the code a benchmark
// measures, on the same picture: the baseline its ratio is taken against.
#pragma once

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdint>
#include <span>

namespace qm::bench {

// Rows of pixels in libjpeg-turbo's terms; a pitch of 0 means rows packed
// one after the other.
struct PixelLayout {
    int width = 0;
    int height = 0;
    int pitch = 0;
    TJPF format = TJPF_RGB;
};

// Compresses `pixels` once an iteration into a buffer made large enough up
// front (TJFLAG_NOREALLOC is always added).
void turboJpegCompress(benchmark::State& state, const std::uint8_t* pixels, const PixelLayout& layout,
                       TJSAMP sampling, int quality, int flags = 0);

// Decompresses `jpeg` once an iteration into a buffer of `layout`.
void turboJpegDecompress(benchmark::State& state, std::span<const std::uint8_t> jpeg, const PixelLayout& layout,
                         int flags = 0);

}  // namespace qm::bench
