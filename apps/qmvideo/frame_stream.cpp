#include "apps/qmvideo/frame_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qm::qmvideo {

namespace {

constexpr const char* kFrameMarker = "FRAME\n";
// Far above any format the camera offers; keeps the plane sizes in range.
constexpr long kLargestSide = 16384;

std::uint8_t clamp(int value) { return std::uint8_t(std::clamp(value, 0, 255)); }

bool isJpeg(std::span<const std::uint8_t> data) { return data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8; }

}  // namespace

std::string yuv4mpegHeader(long width, long height, unsigned framesPerSecond)
{
    return "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" +
           std::to_string(std::max(framesPerSecond, 1u)) + ":1 Ip A1:1 C444\n";
}

std::vector<std::uint8_t> yuv4mpegFrame(long width, long height, std::span<const std::uint8_t> bgr)
{
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide)
        return {};
    const std::size_t columns = std::size_t(width);
    const std::size_t rows = std::size_t(height);
    const std::size_t stride = (columns * 3 + 3) / 4 * 4;
    if (bgr.size() != stride * rows)
        return {};
    const std::size_t plane = columns * rows;
    const std::size_t marker = std::strlen(kFrameMarker);
    std::vector<std::uint8_t> frame(marker + 3 * plane);
    std::memcpy(frame.data(), kFrameMarker, marker);
    std::uint8_t* y = frame.data() + marker;
    std::uint8_t* cb = y + plane;
    std::uint8_t* cr = cb + plane;
    for (std::size_t row = 0; row < rows; ++row) {
        const std::uint8_t* source = bgr.data() + (rows - 1 - row) * stride;  // bottom-up
        for (std::size_t column = 0; column < columns; ++column, source += 3) {
            const int b = source[0], g = source[1], r = source[2];
            // ITU-R BT.601, studio range.
            *y++ = clamp(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
            *cb++ = clamp(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
            *cr++ = clamp(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
        }
    }
    return frame;
}

FrameStream::FrameStream(std::FILE* out, const VideoFormat& format, unsigned framesPerSecond)
    : out_(out), format_(format), framesPerSecond_(framesPerSecond)
{
}

bool FrameStream::write(std::span<const std::uint8_t> frame)
{
    if (format_.mjpg) {
        if (!isJpeg(frame)) {
            problem_ = "a frame that is no JPEG";
            return false;
        }
        return put(frame) && flush();
    }
    const std::vector<std::uint8_t> planes = yuv4mpegFrame(format_.width, format_.height, frame);
    if (planes.empty()) {
        problem_ = "a frame of " + std::to_string(frame.size()) + " bytes that is no " + formatText(format_) + " image";
        return false;
    }
    if (!headerWritten_) {
        const std::string header = yuv4mpegHeader(format_.width, format_.height, framesPerSecond_);
        if (!put({reinterpret_cast<const std::uint8_t*>(header.data()), header.size()}))
            return false;
        headerWritten_ = true;
    }
    return put(planes) && flush();
}

bool FrameStream::put(std::span<const std::uint8_t> bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size())
        return true;
    problem_ = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
}

bool FrameStream::flush()
{
    if (std::fflush(out_) == 0)
        return true;
    problem_ = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
}

}  // namespace qm::qmvideo
