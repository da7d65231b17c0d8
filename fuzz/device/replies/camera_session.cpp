#include "fuzz/device/replies/camera_session.h"

#include <cstdlib>
#include <vector>

#include "device/entry/camera_values.h"
#include "device/entry/driver_entry.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/picture_bitmap.h"
#include "device/imaging/thumbnail.h"

namespace qm::fuzz {

using namespace qm::device;

namespace {

// Larger pictures are legal but only slow the fuzzer down.
constexpr std::uint32_t kLargestPictureRead = 1u << 20;
constexpr std::size_t kGuardBytes = 32;
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::uint32_t kUploadBytes = 2 * 1024 + 100;

// A buffer of `size` bytes with a guard behind it that must stay untouched.
class Guarded {
public:
    explicit Guarded(std::size_t size) : bytes_(size + kGuardBytes, 0), size_(size)
    {
        std::fill(bytes_.begin() + std::ptrdiff_t(size), bytes_.end(), kGuard);
    }
    ~Guarded()
    {
        for (std::size_t i = size_; i < bytes_.size(); ++i)
            if (bytes_[i] != kGuard)
                std::abort();
    }
    std::span<std::uint8_t> span() { return std::span(bytes_).first(size_); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t size_;
};

void readValues(const CameraInfo& camera, bool usb)
{
    for (std::uint32_t code = kReadReady; code <= kReadPreferredSpeed; ++code)
        static_cast<void>(cameraInfoValue(code, camera, usb));
    static_cast<void>(cameraClock(camera, true));
    static_cast<void>(cameraClock(camera, false));
    static_cast<void>(captureTimeMs(camera));
}

void readPicture(CameraLink& link, std::uint8_t model, const PictureInfo& info)
{
    for (std::uint32_t code = kAttributeFlag0; code <= kAttributeSetting17; ++code)
        static_cast<void>(pictureInfoValue(code, info));

    if (const auto size = imaging::thumbnailDataSize(model, info)) {
        Guarded data(*size);
        if (link.ReadThumbnail(1, data.span())) {
            Guarded dib(kThumbnailDibSize);
            static_cast<void>(imaging::thumbnailToDib(model, data.span(), dib.span()));
        }
    }

    const std::uint32_t size = info.pictureSize();
    if (size == 0 || size > kLargestPictureRead)
        return;
    Guarded data(size);
    if (!link.ReadPicture(1, data.span()))
        return;
    // The caller's buffer as the session bounds it: the reported size.
    const PictureSize told = pictureSizeOf(model, info).value_or(largestPictureOfModel(model));
    Guarded bitmap(pictureBufferSize(told.width, told.height));
    bitmap.span()[0] = std::uint8_t(info.secondKey() & 3);  // some rotation
    static_cast<void>(imaging::pictureToBitmap(data.span(), model, info, bitmap.span()));
}

}  // namespace

void runCameraSession(CameraLink& link)
{
    std::uint8_t status = 0;
    static_cast<void>(link.getStatus(&status));
    CameraInfo camera;
    if (link.getCameraInfo(camera))
        readValues(camera, link.transport()->kind() == TransportKind::Usb);
    const std::uint8_t model = link.modelCode();
    PictureInfo info;
    if (link.getPictureInfo(1, info))
        readPicture(link, model, info);

    static_cast<void>(link.setParameter(0, 1));
    static_cast<void>(link.setDateTime(CameraDateBytes{1, 2, 3, 4, 5, 6}));
    static_cast<void>(link.setSpeed(4));
    static_cast<void>(link.erase(1));
    static_cast<void>(link.capture());
    if (link.beginUpload(kUploadBytes)) {
        const std::vector<std::uint8_t> upload(kUploadBytes, 0x5A);
        static_cast<void>(link.Upload(upload));
    }
}

}  // namespace qm::fuzz
