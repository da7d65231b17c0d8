// Speed of the upload encoder and of picture-to-bitmap, each against
// libjpeg-turbo doing the nearest comparable job on the same picture in the
// same process, on the code path the processor gets (AVX2 where it has it),
// on the scalar path, and as first written (the second baseline, which shows
// the gain). The summary prints the ratios; absolute times depend on the
// machine.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/support/ratio_summary.h"
#include "bench/support/turbojpeg_baselines.h"
#include "device/imaging/dib.h"
#include "device/imaging/jpeg/upload_jpeg.h"
#include "device/imaging/picture_bitmap.h"
#include "device/imaging/simd/code_path.h"
#include "tests/device/imaging/reference/reference_picture_bitmap.h"
#include "tests/device/imaging/reference/reference_upload_jpeg.h"
#include "tests/device/imaging/test_pictures.h"

namespace {

using namespace qm::device::imaging;
using Bytes = std::vector<std::uint8_t>;

const Bytes& uploadDib()
{
    static const Bytes dib = testing::toDib(testing::makeScene(640, 480));
    return dib;
}

// The largest picture: 1360 x 1024 (model 20, resolution code 4).
const Bytes& cameraPicture()
{
    static const Bytes jpeg = testing::encodeJpeg(testing::makeScene(1360, 1024), 90);
    return jpeg;
}

// Model 18 stores resolution code 1 at 640 x 480 and shows it at 1024 x 768.
const Bytes& interpolatedPicture()
{
    static const Bytes jpeg = testing::encodeJpeg(testing::makeScene(640, 480), 90);
    return jpeg;
}

// The fast code on a given path; `scalar` forces the portable one.
template <typename F>
void onPath(benchmark::State& state, bool scalar, F&& run)
{
    ScopedCodePath path(scalar ? CodePath::Scalar : activeCodePath());
    for (auto _ : state)
        run();
}

template <auto Encode>
void encode(benchmark::State& state, bool scalar)
{
    const Bytes& dib = uploadDib();
    Bytes out(dib.size());
    onPath(state, scalar, [&] {
        auto size = Encode(dib, out);
        benchmark::DoNotOptimize(size);
    });
}

void UploadEncoder(benchmark::State& state) { encode<encodeUploadJpeg>(state, false); }
void UploadEncoderScalar(benchmark::State& state) { encode<encodeUploadJpeg>(state, true); }
void UploadEncoderAsFirstWritten(benchmark::State& state) { encode<reference::encodeUploadJpeg>(state, false); }

// The same bottom-up BGR rows, quality 90, 2x1 chroma, standard tables.
void TurboJpegEncode(benchmark::State& state)
{
    const qm::bench::PixelLayout rows{640, 480, int(dibRowStride(640)), TJPF_BGR};
    qm::bench::turboJpegCompress(state, uploadDib().data() + kDibHeaderSize, rows, TJSAMP_422, 90, TJFLAG_BOTTOMUP);
}

template <auto Convert>
void toBitmap(benchmark::State& state, bool scalar, const Bytes& jpeg, int width, int height, const PictureSteps& steps)
{
    Bytes destination(dibSize(std::size_t(width), std::size_t(height)));
    onPath(state, scalar, [&] {
        bool ok = Convert(jpeg, steps, destination);
        benchmark::DoNotOptimize(ok);
    });
}

using Convert = bool (*)(std::span<const std::uint8_t>, const PictureSteps&, std::span<std::uint8_t>);
constexpr Convert kFast = pictureToBitmap;
constexpr Convert kFirst = reference::pictureToBitmap;

void PictureToBitmapPlain(benchmark::State& state) { toBitmap<kFast>(state, false, cameraPicture(), 1360, 1024, {}); }
void PictureToBitmapPlainScalar(benchmark::State& state) { toBitmap<kFast>(state, true, cameraPicture(), 1360, 1024, {}); }
void PictureToBitmapPlainAsFirstWritten(benchmark::State& state)
{
    toBitmap<kFirst>(state, false, cameraPicture(), 1360, 1024, {});
}

// Model 18, resolution code 1, rotation code 1: sharpened, enlarged to
// 1024 x 768 and turned.
constexpr PictureSteps kModel18Steps{.sharpenFactor = 800, .resizeToXga = true, .quarterTurns = 1};
void PictureToBitmapModel18(benchmark::State& state)
{
    toBitmap<kFast>(state, false, interpolatedPicture(), 768, 1024, kModel18Steps);
}
void PictureToBitmapModel18Scalar(benchmark::State& state)
{
    toBitmap<kFast>(state, true, interpolatedPicture(), 768, 1024, kModel18Steps);
}
void PictureToBitmapModel18AsFirstWritten(benchmark::State& state)
{
    toBitmap<kFirst>(state, false, interpolatedPicture(), 768, 1024, kModel18Steps);
}

// Decoding alone into bottom-up BGR rows, as the bitmap holds them.
void decodeOnly(benchmark::State& state, const Bytes& jpeg, int width, int height)
{
    const qm::bench::PixelLayout rows{width, height, int(dibRowStride(std::size_t(width))), TJPF_BGR};
    qm::bench::turboJpegDecompress(state, jpeg, rows, TJFLAG_BOTTOMUP);
}

void TurboJpegDecode(benchmark::State& state) { decodeOnly(state, cameraPicture(), 1360, 1024); }
void TurboJpegDecodeVga(benchmark::State& state) { decodeOnly(state, interpolatedPicture(), 640, 480); }

BENCHMARK(TurboJpegEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(UploadEncoder)->Unit(benchmark::kMillisecond);
BENCHMARK(UploadEncoderScalar)->Unit(benchmark::kMillisecond);
BENCHMARK(UploadEncoderAsFirstWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(TurboJpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapPlainScalar)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapPlainAsFirstWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(TurboJpegDecodeVga)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapModel18)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapModel18Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapModel18AsFirstWritten)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    std::printf("Code path: %s\n", codePathName(activeCodePath()));
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against libjpeg-turbo in this process:",
                                           {{"UploadEncoder", "TurboJpegEncode"},
                                            {"UploadEncoderScalar", "TurboJpegEncode"},
                                            {"UploadEncoderAsFirstWritten", "TurboJpegEncode"},
                                            {"PictureToBitmapPlain", "TurboJpegDecode"},
                                            {"PictureToBitmapPlainScalar", "TurboJpegDecode"},
                                            {"PictureToBitmapPlainAsFirstWritten", "TurboJpegDecode"},
                                            {"PictureToBitmapModel18", "TurboJpegDecodeVga"},
                                            {"PictureToBitmapModel18Scalar", "TurboJpegDecodeVga"},
                                            {"PictureToBitmapModel18AsFirstWritten", "TurboJpegDecodeVga"}}});
}
