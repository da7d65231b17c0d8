#include "apps/qmvideo/format_text.h"

#include <cstdio>
#include <cstring>

namespace qm::qmvideo {

using namespace qm::streamclass;

VideoFormat describeRange(const std::vector<unsigned char>& range)
{
    VideoFormat format;
    if (range.size() < sizeof(KS_DATARANGE_VIDEO))
        return format;
    KS_DATARANGE_VIDEO video;
    std::memcpy(&video, range.data(), sizeof video);
    if (!(video.DataRange.MajorFormat == KSDATAFORMAT_TYPE_VIDEO))
        return format;
    const KS_BITMAPINFOHEADER& bitmap = video.VideoInfoHeader.bmiHeader;
    format.valid = true;
    format.mjpg = bitmap.biCompression == MAKEFOURCC('M', 'J', 'P', 'G');
    format.width = bitmap.biWidth;
    format.height = bitmap.biHeight;
    format.bitCount = bitmap.biBitCount;
    format.imageSize = bitmap.biSizeImage;
    return format;
}

std::string formatText(const VideoFormat& format)
{
    if (!format.valid)
        return "(not a video format)";
    char text[128];
    std::snprintf(text, sizeof text, "%s %ld x %ld, %u bits, %lu bytes a frame", format.mjpg ? "MJPG" : "RGB24",
                  format.width, format.height, format.bitCount, format.imageSize);
    return text;
}

std::string pinName(const GUID& category)
{
    if (category == PINNAME_VIDEO_CAPTURE)
        return "capture";
    if (category == PINNAME_VIDEO_STILL)
        return "still";
    char text[64];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-...}", unsigned(category.Data1), category.Data2,
                  category.Data3);
    return text;
}

}  // namespace qm::qmvideo
