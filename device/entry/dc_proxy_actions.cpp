// The action group (type 8) of the camera session: progress callback,
// erase, capture, upload and the small actions. Downloads are in
// dc_proxy_pictures.cpp.
#include <cstring>

#include "device/entry/call_arguments.h"
#include "device/entry/camera_values.h"
#include "device/entry/dc_proxy.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/upload_image.h"

namespace qm::device {
namespace {

// Erase: the camera is left alone for the first 30 % of the time, then asked
// every step whether it is done. Capture: 60 % left alone in short steps.
constexpr std::uint32_t kEraseStepMs = 100;
constexpr std::uint32_t kEraseQuietPercent = 30;
constexpr std::uint32_t kCaptureQuietStepMs = 10;
constexpr std::uint32_t kCapturePollStepMs = 100;
constexpr std::uint32_t kCaptureQuietPercent = 60;

}  // namespace

std::uint8_t CDCProxy::action(std::uint32_t code, void* out, void* data)
{
    switch (code) {
    case kActionSetProgress:
        progress().setCallback(reinterpret_cast<DriverProgressProc>(out));
        return kDriverSuccess;
    case kActionGetPicture:
        return downloadPicture(out, data);
    case kActionGetThumbnail:
        return downloadThumbnail(out, data);
    case kActionErase:
        return erasePictures(out);
    case kActionCapture:
        return capturePicture();
    case kActionUpload:
        return uploadFile(out);
    case kActionAcknowledgeChange:
        return refreshPictureCount() ? kDriverSuccess : kDriverFailure;
    case kActionSavePicture:
        return savePicture(out, data);
    case kActionPictureRecord:
        return pictureRecord(out, data);
    case kActionRawPictureInfo:
        return copyPictureInfo(out, data);
    case kActionNothing:
        return kDriverSuccess;
    default:
        return kDriverUnsupported;
    }
}

std::uint8_t CDCProxy::erasePictures(void* out)
{
    const std::optional<std::uint32_t> picture = loadValue(out);
    CameraInfo info;
    if (!picture || *picture > 0xFFFF || !readCameraInfo(info))
        return kDriverFailure;
    const std::uint32_t total = eraseTimeMs(*picture);
    progress().setRange(0, context().timing.scaled(total));
    if (!link_.erase(std::uint16_t(*picture)))
        return kDriverFailure;
    wait(total, kEraseStepMs, 0, kEraseQuietPercent, false);
    wait(total, kEraseStepMs, kEraseQuietPercent, 100, true);
    progress().end();
    refreshPictureCount();
    return kDriverSuccess;
}

std::uint8_t CDCProxy::capturePicture()
{
    CameraInfo before;
    if (!readCameraInfo(before))
        return kDriverFailure;
    const std::uint32_t total = captureTimeMs(before);
    progress().setRange(0, context().timing.scaled(total));
    if (!link_.capture())
        return kDriverFailure;
    wait(total, kCaptureQuietStepMs, 0, kCaptureQuietPercent, false);
    const bool ready = wait(total, kCapturePollStepMs, kCaptureQuietPercent, 100, true);
    progress().end();
    if (!ready)
        return kDriverFailure;
    // The camera answered, but only a new picture makes the capture a success.
    CameraInfo after;
    if (!readCameraInfo(after) || after.picturesStored() <= before.picturesStored())
        return kDriverFailure;
    setPictureCount(after.pictureCountValue());
    return kDriverSuccess;
}

std::uint8_t CDCProxy::uploadFile(void* out)
{
    const char* path = static_cast<const char*>(out);
    if (path == nullptr || !imaging::acceptsUploads(model()))
        return kDriverFailure;
    // The picture is prepared before the camera is asked for anything, so a
    // file that cannot be sent costs no camera traffic.
    const std::optional<imaging::UploadImage> image = imaging::prepareUpload(path);
    CameraInfo info;
    if (!image || !readCameraInfo(info) || !link_.beginUpload(std::uint32_t(image->size())))
        return kDriverFailure;
    ProgressMask mask(*this, kMaskUpload);
    return link_.Upload(image->bytes()) ? kDriverSuccess : kDriverFailure;
}

std::uint8_t CDCProxy::copyPictureInfo(void* out, void* data)
{
    const std::optional<std::uint32_t> picture = loadValue(out);
    PictureInfo info;
    if (!picture || data == nullptr || !readPictureInfo(*picture, info))
        return kDriverFailure;
    std::memcpy(data, info.bytes.data(), kRawPictureInfoSize);
    return kDriverSuccess;
}

}  // namespace qm::device
