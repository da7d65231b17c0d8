// Frames as one stream that standard players and converters read from a
// pipe: MJPG frames as they came, one JPEG after another; RGB24 frames as
// YUV4MPEG2 (4:4:4, studio range), since that container carries no RGB.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "apps/qmvideo/format_text.h"

namespace qm::qmvideo {

// "YUV4MPEG2 W320 H240 F30:1 Ip A1:1 C444\n"
std::string yuv4mpegHeader(long width, long height, unsigned framesPerSecond);

// "FRAME\n" and the Y, Cb and Cr planes, top row first, of a bottom-up BGR
// image whose rows are padded to 4 bytes; empty when `bgr` is not exactly
// such an image of the given size.
std::vector<std::uint8_t> yuv4mpegFrame(long width, long height, std::span<const std::uint8_t> bgr);

class FrameStream {
public:
    FrameStream(std::FILE* out, const VideoFormat& format, unsigned framesPerSecond);

    // Writes one frame (the stream's header before the first) and flushes
    // it, so that a player shows it at once. False, with problem() saying
    // why, when the frame does not fit the format or the write failed.
    bool write(std::span<const std::uint8_t> frame);
    const std::string& problem() const { return problem_; }

private:
    bool put(std::span<const std::uint8_t> bytes);
    bool flush();

    std::FILE* out_;
    VideoFormat format_;
    unsigned framesPerSecond_;
    bool headerWritten_ = false;
    std::string problem_;
};

}  // namespace qm::qmvideo
