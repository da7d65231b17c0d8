#include "apps/faultmatrix/still_operations.h"

#include <algorithm>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"

namespace qm::faultmatrix {

namespace {

using namespace qm::device;

constexpr std::uint32_t kPicture = 2;
constexpr std::size_t kSentinelBytes = 64;
constexpr std::uint8_t kSentinel = 0x5A;

std::uint64_t fnv(std::uint64_t hash, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

bool sentinelIntact(const std::vector<std::uint8_t>& buffer)
{
    return std::all_of(buffer.end() - kSentinelBytes, buffer.end(), [](std::uint8_t b) { return b == kSentinel; });
}

void appendValue(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

Observation connectOperation(StillTrial& trial)
{
    Observation seen;
    std::uint32_t count = 0;
    seen.succeeded = trial.connect(count) == kDriverSuccess;
    appendValue(seen.result, count);
    return seen;
}

Observation infoOperation(StillTrial& trial)
{
    Observation seen{true, {}, 0};
    for (std::uint32_t code : {kReadModelCode, kReadMemoryMegabytes, kReadBatteryCondition, kReadAcAdapter,
                               kReadAutoOffSeconds, kReadCameraMode, kReadFlashMode, kReadPicturesStored,
                               kReadPicturesFree, kReadPictureCount, kReadSelfTimer, kReadLcdDisplay,
                               kReadQualityMode}) {
        std::uint32_t value = 0;
        seen.succeeded = seen.succeeded && trial.call(kTypeReadValue, code, &value) == kDriverSuccess;
        appendValue(seen.result, value);
    }
    return seen;
}

Observation listOperation(StillTrial& trial)
{
    Observation seen{true, {}, 0};
    for (std::uint32_t picture = 1; picture <= 3; ++picture) {
        std::uint32_t width = picture;
        std::uint32_t height = 0;
        std::uint32_t number = picture;
        std::uint32_t bytes = 0;
        seen.succeeded = seen.succeeded && trial.call(kTypeSize, kSizeOfPicture, &width, &height) == kDriverSuccess &&
                         trial.call(kTypePictureAttribute, kAttributeDataSize, &number, &bytes) == kDriverSuccess;
        for (std::uint32_t value : {width, height, bytes})
            appendValue(seen.result, value);
    }
    return seen;
}

Observation thumbnailOperation(StillTrial& trial)
{
    Observation seen;
    std::vector<std::uint8_t> dib(kThumbnailDibSize + kSentinelBytes, kSentinel);
    dib[0] = 20;
    std::uint32_t picture = 1;
    seen.succeeded = trial.call(kTypeAction, kActionGetThumbnail, &picture, dib.data()) == kDriverSuccess;
    seen.spoiled = !sentinelIntact(dib);
    seen.result = dib;  // the sentinel behind it included
    return seen;
}

Observation downloadOperation(StillTrial& trial)
{
    Observation seen;
    std::uint32_t width = kPicture;
    std::uint32_t height = 0;
    if (trial.call(kTypeSize, kSizeOfPicture, &width, &height) != kDriverSuccess)
        return seen;
    std::vector<std::uint8_t> buffer(pictureBufferSize(width, height) + kSentinelBytes, kSentinel);
    buffer[0] = kRotateNone;
    std::uint32_t picture = kPicture;
    seen.succeeded = trial.call(kTypeAction, kActionGetPicture, &picture, buffer.data()) == kDriverSuccess;
    seen.spoiled = !sentinelIntact(buffer);
    seen.result = buffer;
    return seen;
}

Observation saveOperation(StillTrial& trial)
{
    Observation seen;
    const std::string path = trial.directory() + "/saved.jpg";
    std::uint32_t picture = kPicture;
    seen.succeeded = trial.call(kTypeAction, kActionSavePicture, &picture, const_cast<char*>(path.c_str())) ==
                     kDriverSuccess;
    // A failed save leaves no file behind; an empty result stands for none.
    seen.result = sys::readWholeFile(path).value_or(std::vector<std::uint8_t>{});
    seen.spoiled = !seen.succeeded && sys::fileExists(path);
    return seen;
}

Observation eraseOperation(StillTrial& trial)
{
    Observation seen;
    std::uint32_t picture = kPicture;
    seen.succeeded = trial.call(kTypeAction, kActionErase, &picture) == kDriverSuccess;
    return seen;
}

Observation captureOperation(StillTrial& trial)
{
    Observation seen;
    seen.succeeded = trial.call(kTypeAction, kActionCapture) == kDriverSuccess;
    return seen;
}

// A 320 x 240 bitmap file for the upload.
std::string uploadFile(const StillTrial& trial)
{
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    const std::size_t stride = kWidth * 3;
    std::vector<std::uint8_t> file(54 + stride * kHeight);
    file[0] = 'B';
    file[1] = 'M';
    sys::writeLe32(&file[2], std::uint32_t(file.size()));
    sys::writeLe32(&file[10], 54);
    sys::writeLe32(&file[14], 40);
    sys::writeLe32(&file[18], kWidth);
    sys::writeLe32(&file[22], kHeight);
    sys::writeLe16(&file[26], 1);
    sys::writeLe16(&file[28], 24);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* pixel = &file[54 + stride * std::size_t(y) + 3 * std::size_t(x)];
            pixel[0] = std::uint8_t(x);
            pixel[1] = std::uint8_t(y * 2);
            pixel[2] = std::uint8_t(x ^ y);
        }
    const std::string path = trial.directory() + "/upload.bmp";
    sys::writeFileAtomically(path, file);
    return path;
}

Observation uploadOperation(StillTrial& trial)
{
    Observation seen;
    const std::string path = uploadFile(trial);
    seen.succeeded = trial.call(kTypeAction, kActionUpload, const_cast<char*>(path.c_str())) == kDriverSuccess;
    return seen;
}

// One setting, then read back as the settings dialog shows it. (Each change
// is a call of its own: a failed one says nothing of the others.)
Observation settingsOperation(StillTrial& trial)
{
    Observation seen;
    std::uint32_t flash = 1;
    std::uint32_t shown = 0;
    seen.succeeded = trial.call(kTypeSetValue, kSetFlashMode, &flash) == kDriverSuccess &&
                     trial.call(kTypeReadValue, kReadFlashMode, &shown) == kDriverSuccess;
    appendValue(seen.result, shown);
    return seen;
}

}  // namespace

const std::vector<StillOperation>& stillOperations()
{
    static const std::vector<StillOperation> operations = {
        {"connect", false, false, connectOperation},   {"info", true, false, infoOperation},
        {"list", true, false, listOperation},          {"thumbnail", true, true, thumbnailOperation},
        {"download", true, true, downloadOperation},   {"save", true, true, saveOperation},
        {"erase", true, false, eraseOperation},        {"capture", true, false, captureOperation},
        {"upload", true, true, uploadOperation},       {"settings", true, false, settingsOperation},
    };
    return operations;
}

std::uint64_t cameraStateOf(stillcam::StillCamera& camera)
{
    std::uint64_t hash = 14695981039346656037ull;
    const std::size_t pictures = camera.pictureCount();
    hash = fnv(hash, &pictures, sizeof pictures);
    for (unsigned n = 1; n <= pictures; ++n) {
        const std::vector<std::uint8_t> data = camera.pictureData(n);
        hash = fnv(hash, data.data(), data.size());
    }
    const stillcam::CameraSettings settings = camera.settings();
    for (std::uint8_t value : {settings.flashMode, settings.selfTimer, settings.iconDisplay, settings.lcdDisplay,
                               settings.quality, settings.autoOffMinutes})
        hash = fnv(hash, &value, 1);
    return hash;
}

}  // namespace qm::faultmatrix
