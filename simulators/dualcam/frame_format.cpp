#include "simulators/dualcam/frame_format.h"

#include "platform/system/byte_order.h"

namespace qm::dualcam {

std::optional<std::vector<std::uint8_t>> buildFrame(const FrameParts& parts)
{
    const auto& scan = parts.scan;
    if (scan.size() < 2 || scan[scan.size() - 2] != 0xFF || scan[scan.size() - 1] != 0xD9)
        return std::nullopt;
    if (!parts.appSegment.empty() && parts.appSegment.size() != kAppSegmentSize)
        return std::nullopt;

    // Payload: scan data, FF fill bytes in front of EOI so that the whole
    // frame comes to 4n + 2 bytes, then the picture index if any.
    const std::size_t indexBytes = parts.pictureIndex ? 2 : 0;
    const std::size_t fixed = parts.appSegment.size() + kFrameHeaderSize + kTrailerSize - 2;  // 2 displaced
    std::size_t payload = scan.size() + indexBytes;
    const std::size_t fill = (6 - (fixed + payload) % 4) % 4;  // total % 4 == 2
    payload += fill;
    const std::size_t total = fixed + payload;
    if (total > kMaxFrameBytes)
        return std::nullopt;

    std::vector<std::uint8_t> body;
    body.reserve(payload);
    body.insert(body.end(), scan.begin(), scan.end() - 2);
    body.insert(body.end(), fill, 0xFF);
    body.push_back(0xFF);
    body.push_back(0xD9);
    if (parts.pictureIndex) {
        body.push_back(std::uint8_t(*parts.pictureIndex));
        body.push_back(std::uint8_t(*parts.pictureIndex >> 8));
    }

    std::vector<std::uint8_t> frame;
    frame.reserve(total);
    frame.insert(frame.end(), parts.appSegment.begin(), parts.appSegment.end());
    frame.push_back(parts.quality);
    frame.push_back(body[body.size() - 1]);
    frame.push_back(body[body.size() - 2]);
    frame.push_back(0);
    frame.insert(frame.end(), body.begin(), body.end() - 2);
    frame.resize(frame.size() + kTrailerSize);
    sys::writeLe16(&frame[frame.size() - kTrailerSize], trailerCount(total));
    return frame;
}

}  // namespace qm::dualcam
