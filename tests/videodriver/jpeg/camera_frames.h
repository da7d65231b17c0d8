// Frames as the dual-mode camera's compressor makes them, and the driver's
// header put in front of them, for the JPEG layer's tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qm::morvax::test {

struct CameraFrame {
    int width = 0;
    int height = 0;
    int quality = 0;
    unsigned samplingType = 0;           // as the driver chooses it for this size
    std::vector<std::uint8_t> sceneRgb;  // what the camera looked at, top row first
    std::vector<std::uint8_t> scan;      // entropy-coded data up to and including EOI
};

// A video frame of the colour-bar scene (still: a stored picture's subject
// with the still sampling).
CameraFrame cameraFrame(int width, int height, int quality, bool still = false);

// The driver's header for the frame (a patched copy of the device-start
// template) followed by the scan data.
std::vector<std::uint8_t> frameJpeg(const CameraFrame& frame);

struct DecodedFrame {
    bool ok = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bgr;  // bottom-up, as the decoder writes it
};

// Decodes through InitJpegDecode / DecompressJpeg / FreeJpegDecode into a
// buffer of `outputSize` bytes.
DecodedFrame decodeFrame(std::span<const std::uint8_t> jpeg, std::size_t outputSize, bool fancyUpsampling = true);

// Peak signal-to-noise ratio of a bottom-up BGR picture against a top-down
// RGB one of the same size, in dB.
double psnr(std::span<const std::uint8_t> bottomUpBgr, std::span<const std::uint8_t> topDownRgb, int width,
            int height);

// Offset just past the segment that starts at `at` (FF xx length ...).
std::size_t segmentEnd(std::span<const std::uint8_t> jpeg, std::size_t at);

}  // namespace qm::morvax::test
