// Writes the frame-conversion seed corpus: frames of the dual-mode camera
// as the engine hands them to the camera layer (after its header fix-up),
// one for each kind of stream. Usage: videodriver_frames_fuzz_seeds <directory>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/picture_store.h"
#include "tests/videodriver/jpeg/camera_frames.h"
#include "videodriver/engine/frame_header.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kMjpg = 0x08;
constexpr std::uint8_t kStill = 0x10;
constexpr std::uint8_t kSnapshot = 0x20;
constexpr std::uint8_t kBadPackets = 0x40;

Bytes engineFrame(int width, int height, int quality, bool still, bool segment)
{
    const auto frame = qm::morvax::test::cameraFrame(width, height, quality, still);
    const Bytes appSegment = qm::dualcam::PictureStore::appSegment(std::uint8_t(quality));
    qm::dualcam::FrameParts parts;
    parts.quality = std::uint8_t(quality);
    parts.scan = frame.scan;
    if (still)
        parts.pictureIndex = 0;
    if (segment)
        parts.appSegment = appSegment;
    Bytes bytes = qm::dualcam::buildFrame(parts).value_or(Bytes{});
    qm::morvax::fixUpFrameHeader(bytes.data(), qm::kernel::ULONG(bytes.size()), qm::kernel::ULONG(bytes.size()));
    return bytes;
}

bool write(const std::string& directory, const std::string& name, std::uint8_t mode, const Bytes& frame)
{
    std::ofstream out(directory + "/" + name, std::ios::binary);
    out.put(char(mode));
    out.write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));
    return bool(out) && !frame.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const bool written = write(directory, "rgb24_320x240_q64", 2, engineFrame(320, 240, 64, false, false)) &&
                         write(directory, "rgb24_176x144_snapshot", 1 | kSnapshot,
                               engineFrame(176, 144, 32, false, false)) &&
                         write(directory, "mjpg_160x120_q48", kMjpg, engineFrame(160, 120, 48, false, false)) &&
                         write(directory, "mjpg_352x288_bad_packets", 3 | kMjpg | kBadPackets,
                               engineFrame(352, 288, 96, false, false)) &&
                         write(directory, "still_segment_q127", kStill, engineFrame(640, 480, 127, true, true)) &&
                         write(directory, "still_plain_q127", kStill | kSnapshot,
                               engineFrame(640, 480, 127, true, false));
    return written ? 0 : 1;
}
