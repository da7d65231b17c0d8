#include "tests/videodriver/camera/support/raw_frames.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/picture_store.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/engine/frame_header.h"

namespace qm::morvax::test {

namespace {

RawRead place(const std::optional<std::vector<std::uint8_t>>& frame)
{
    RawRead read;
    EXPECT_TRUE(frame.has_value());
    if (!frame)
        return read;
    std::copy(frame->begin(), frame->end(), read.data());
    read.received = ULONG(frame->size());
    EXPECT_TRUE(fixUpFrameHeader(read.data(), read.received, read.received));
    return read;
}

}  // namespace

RawRead videoFrame(std::uint8_t quality, std::span<const std::uint8_t> scan)
{
    dualcam::FrameParts parts;
    parts.quality = quality;
    parts.scan = scan;
    return place(dualcam::buildFrame(parts));
}

RawRead stillFrame(std::uint8_t quality, std::span<const std::uint8_t> scan, bool appSegment,
                   std::uint16_t pictureIndex)
{
    const std::vector<std::uint8_t> segment = dualcam::PictureStore::appSegment(quality);
    dualcam::FrameParts parts;
    parts.quality = quality;
    parts.scan = scan;
    parts.pictureIndex = pictureIndex;
    if (appSegment)
        parts.appSegment = segment;
    return place(dualcam::buildFrame(parts));
}

Converted convertFrame(MorvaxContext* context, RawRead& read, std::vector<UCHAR>& output, ULONG frameValid)
{
    MorvaxFrameContext frame{frameValid};
    Converted converted;
    converted.status = MORVAX_ProcessRawVideoFrame(nullptr, context, &frame, output.data(), ULONG(output.size()),
                                                   read.buffer.data(), read.data(), ULONG(read.buffer.size()),
                                                   read.received, &converted.bytes);
    return converted;
}

}  // namespace qm::morvax::test
