// Writes the frame decoder's seed corpus: real frames from the dual-mode
// camera's compressor in each form the driver meets, plus a progressive and
// a greyscale file. Usage: videodriver_jpeg_fuzz_seeds <directory>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <turbojpeg.h>

#include "platform/system/byte_order.h"
#include "simulators/dualcam/picture_store.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace {

using namespace qm::morvax;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kScanMode = 0x01;
constexpr std::uint8_t kMergedMode = 0x10;

bool write(const std::string& directory, const std::string& name, std::uint8_t mode, const Bytes& body)
{
    std::ofstream out(directory + "/" + name, std::ios::binary);
    out.put(char(mode));
    out.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
    return bool(out);
}

Bytes scanSeed(int width, int height, int quality)
{
    const auto frame = test::cameraFrame(width, height, quality);
    Bytes body{std::uint8_t(quality)};
    body.insert(body.end(), frame.scan.begin(), frame.scan.end());
    return body;
}

Bytes twoFields()
{
    Bytes first = test::frameJpeg(test::cameraFrame(160, 120, 64));
    const Bytes second = test::frameJpeg(test::cameraFrame(160, 120, 24));
    first[kAvi1PolarityOffset] = 1;
    qm::sys::writeBe32(&first[kAvi1FieldSizeOffset], std::uint32_t(first.size()));
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Bytes stillWithSegment()
{
    const auto frame = test::cameraFrame(640, 480, 24, true);
    Bytes segment = qm::dualcam::PictureStore::appSegment(24);
    segment[2] = 0x01;
    segment[3] = 0xFE;
    Bytes header(kJpegTemplateSize);
    generateJpegHeaderTemplate(header);
    ModifyJPEGHeader(header, 480, 640, 24, std::uint32_t(segment.size() + frame.scan.size()), kSampling2x1);
    Bytes still(header.begin(), header.begin() + kScanHeaderOffset);
    still.insert(still.end(), segment.begin(), segment.end());
    still.insert(still.end(), header.begin() + kScanHeaderOffset, header.end());
    still.insert(still.end(), frame.scan.begin(), frame.scan.end());
    return still;
}

Bytes libraryFile(int flags, int sampling, int pixelFormat)
{
    const int channels = pixelFormat == TJPF_GRAY ? 1 : 3;
    Bytes pixels(std::size_t(64) * 48 * std::size_t(channels));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t((i * 29) % 253);
    tjhandle handle = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, pixels.data(), 64, 0, 48, pixelFormat, &data, &size, sampling, 75, flags);
    tjDestroy(handle);
    Bytes file(data, data + size);
    tjFree(data);
    return file;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    ok &= write(dir, "scan_160x120_q64", kScanMode | (0 << 1), scanSeed(160, 120, 64));
    ok &= write(dir, "scan_176x144_q32", kScanMode | (1 << 1), scanSeed(176, 144, 32));
    ok &= write(dir, "scan_320x240_q64", kScanMode | (2 << 1), scanSeed(320, 240, 64));
    ok &= write(dir, "scan_352x288_q96_merged", kScanMode | (3 << 1) | kMergedMode, scanSeed(352, 288, 96));
    ok &= write(dir, "mjpg_160x120", 0, test::frameJpeg(test::cameraFrame(160, 120, 48)));
    ok &= write(dir, "two_fields_160x240", 0, twoFields());
    ok &= write(dir, "still_640x480_segment", 0, stillWithSegment());
    ok &= write(dir, "progressive_64x48", 0, libraryFile(TJFLAG_PROGRESSIVE, TJSAMP_420, TJPF_RGB));
    ok &= write(dir, "grey_64x48", kMergedMode, libraryFile(0, TJSAMP_GRAY, TJPF_GRAY));
    return ok ? 0 : 1;
}
