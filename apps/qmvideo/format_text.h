// How qmvideo names streams and formats.
#pragma once

#include <string>
#include <vector>

#include "platform/streamclass/ks_video.h"

namespace qm::qmvideo {

struct VideoFormat {
    bool valid = false;
    bool mjpg = false;
    long width = 0;
    long height = 0;
    unsigned bitCount = 0;
    unsigned long imageSize = 0;
};

// What a published range says; not valid when it is no video range.
VideoFormat describeRange(const std::vector<unsigned char>& range);

// "RGB24 320 x 240, 24 bits, 230400 bytes a frame".
std::string formatText(const VideoFormat& format);
// "capture", "still" or the GUID of another pin.
std::string pinName(const streamclass::GUID& category);

}  // namespace qm::qmvideo
