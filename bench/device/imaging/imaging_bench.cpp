// Speed of the upload encoder and of picture-to-bitmap, each against
// libjpeg-turbo doing the nearest comparable job on the same picture in the
// same process. The summary prints the ratios; absolute times depend on the
// machine.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/support/ratio_summary.h"
#include "bench/support/turbojpeg_baselines.h"
#include "device/imaging/dib.h"
#include "device/imaging/jpeg/upload_jpeg.h"
#include "device/imaging/picture_bitmap.h"
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

void UploadEncoder(benchmark::State& state)
{
    const Bytes& dib = uploadDib();
    Bytes out(dib.size());
    for (auto _ : state) {
        auto size = encodeUploadJpeg(dib, out);
        benchmark::DoNotOptimize(size);
    }
}

// The same bottom-up BGR rows, quality 90, 2x1 chroma, standard tables.
void TurboJpegEncode(benchmark::State& state)
{
    const qm::bench::PixelLayout rows{640, 480, int(dibRowStride(640)), TJPF_BGR};
    qm::bench::turboJpegCompress(state, uploadDib().data() + kDibHeaderSize, rows, TJSAMP_422, 90, TJFLAG_BOTTOMUP);
}

void PictureToBitmapPlain(benchmark::State& state)
{
    Bytes destination(dibSize(1360, 1024));
    for (auto _ : state) {
        bool ok = pictureToBitmap(cameraPicture(), PictureSteps{}, destination);
        benchmark::DoNotOptimize(ok);
    }
}

// Model 18, resolution code 1, rotation code 1: sharpened, enlarged to
// 1024 x 768 and turned.
void PictureToBitmapModel18(benchmark::State& state)
{
    Bytes destination(dibSize(768, 1024));
    const PictureSteps steps{.sharpenFactor = 800, .resizeToXga = true, .quarterTurns = 1};
    for (auto _ : state) {
        bool ok = pictureToBitmap(interpolatedPicture(), steps, destination);
        benchmark::DoNotOptimize(ok);
    }
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
BENCHMARK(TurboJpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(TurboJpegDecodeVga)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureToBitmapModel18)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against libjpeg-turbo in this process:",
                                           {{"UploadEncoder", "TurboJpegEncode"},
                                            {"PictureToBitmapPlain", "TurboJpegDecode"},
                                            {"PictureToBitmapModel18", "TurboJpegDecodeVga"}}});
}
