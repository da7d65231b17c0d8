// The picture information record (8/10) of the camera session: one
// PictureInfo exchange, turned into the record the panel's image
// information dialog reads.
#include "device/entry/call_arguments.h"
#include "device/entry/dc_proxy.h"
#include "device/entry/picture_record.h"

namespace qm::device {

std::uint8_t CDCProxy::pictureRecord(void* out, void* data)
{
    const std::optional<std::uint32_t> picture = loadValue(out);
    if (!picture || *picture == 0)
        return kDriverFailure;
    // A caller that says how long its buffer is gets that checked.
    if (const std::optional<std::uint32_t> length = loadValue(data); length && *length < picture_record::kSize)
        return kDriverFailure;
    PictureInfo info;
    if (!readPictureInfo(*picture, info))
        return kDriverFailure;
    writePictureRecord(
        std::span<std::uint8_t, picture_record::kSize>(static_cast<std::uint8_t*>(out), picture_record::kSize),
        *picture, model(), info);
    return kDriverSuccess;
}

}  // namespace qm::device
