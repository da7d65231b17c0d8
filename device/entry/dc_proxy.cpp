#include "device/entry/dc_proxy.h"

#include "device/entry/call_arguments.h"
#include "device/entry/camera_values.h"
#include "device/entry/string_table.h"
#include "device/imaging/image.h"
#include "device/protocol/commands.h"

namespace qm::device {
namespace {

std::unique_ptr<CProxy> createDcProxy(SessionContext& context) { return std::make_unique<CDCProxy>(context); }

// The link reports progress through a plain function; the session running a
// long operation is the one that listens.
CDCProxy* progressListener = nullptr;

constexpr std::uint32_t kOpenPicturesReadPosition = 50;

}  // namespace

const RuntimeClass CDCProxy::classCDCProxy{"CDCProxy", &CProxy::classCProxy, &createDcProxy};

CDCProxy::ProgressMask::ProgressMask(CDCProxy& session, std::uint32_t mask) : session_(session)
{
    session_.progressMask_ = mask;
    progressListener = &session_;
}

CDCProxy::ProgressMask::~ProgressMask()
{
    session_.progressMask_ = 0;
    if (progressListener == &session_)
        progressListener = nullptr;
}

CDCProxy::CDCProxy(SessionContext& context) : CProxy(context) { link_.setProgressCallback(&onLinkProgress); }

CDCProxy::~CDCProxy()
{
    if (progressListener == this)
        progressListener = nullptr;
    link_.Close();
}

void CDCProxy::onLinkProgress(std::uint32_t command, std::uint32_t event, std::uint32_t value)
{
    CDCProxy* session = progressListener;
    if (session == nullptr || (command & session->progressMask_) == 0)
        return;
    if (event == kProgressRange)
        session->progress().setRange(0, value);
    else if (event == kProgressDone)
        session->progress().report(value);
}

bool CDCProxy::usb() const
{
    const CameraTransport* transport = link_.transport();
    return transport != nullptr && transport->kind() == TransportKind::Usb;
}

std::string CDCProxy::displayName() const { return strings::loadString(strings::IDS_DRIVER_NAME); }

std::optional<SessionFacts> CDCProxy::facts() const { return SessionFacts{model(), usb()}; }

std::uint8_t CDCProxy::Open(void*, std::uint32_t* pictureCount, DriverProgressProc progressCallback)
{
    progress().setCallback(progressCallback);
    progress().setRange(0, 100);
    bool opened = false;
    {
        ProgressMask mask(*this, kMaskConnect);
        opened = link_.Open(&onLinkProgress);
    }
    if (!opened)
        return kDriverFailure;

    CameraInfo info;
    if (!readCameraInfo(info)) {
        link_.Close();
        return kDriverFailure;
    }
    const std::uint32_t stored = info.picturesStored();
    storeValue(pictureCount, stored);
    progress().report(kOpenPicturesReadPosition);

    // A camera whose last picture cannot be described is kept, but its
    // count is taken as unknown.
    PictureInfo last;
    if (stored != 0 && !readPictureInfo(stored, last)) {
        setPictureCount(0);
        return kDriverSuccess;
    }
    thumbnailCache().open(stored);
    refreshPictureCount();
    progress().end();
    setConnected(true);
    return kDriverSuccess;
}

std::uint8_t CDCProxy::Close()
{
    link_.Close();
    return CProxy::Close();
}

bool CDCProxy::readCameraInfo(CameraInfo& info) { return link_.getCameraInfo(info); }

bool CDCProxy::readPictureInfo(std::uint32_t picture, PictureInfo& info)
{
    // The camera numbers pictures in 16 bits.
    return picture <= 0xFFFF && link_.getPictureInfo(std::uint16_t(picture), info);
}

bool CDCProxy::refreshPictureCount()
{
    CameraInfo info;
    if (!readCameraInfo(info))
        return false;
    setPictureCount(info.pictureCountValue());
    return true;
}

bool CDCProxy::cameraIsIdle()
{
    std::uint8_t status = 0;
    return link_.getStatus(&status) && status == kStatusDone;
}

std::uint8_t CDCProxy::status(std::uint32_t code, void* out)
{
    switch (code) {
    case kStatusCameraAnswers:
        return link_.getStatus() ? kDriverSuccess : kDriverFailure;
    case kStatusCameraIdle:
        return cameraIsIdle() ? kDriverSuccess : kDriverFailure;
    case kStatusCountChanged: {
        CameraInfo info;
        if (out == nullptr || !readCameraInfo(info))
            return kDriverFailure;
        const std::uint32_t count = info.pictureCountValue();
        const bool changed = count != pictureCount();
        if (changed)
            setPictureCount(count);
        storeValue(out, changed ? 1 : 0);
        return kDriverSuccess;
    }
    case kStatusFileStorable:
        // Judged from the file alone, with no camera traffic: an upload of a
        // file that is no picture would only fail later.
        return out != nullptr && imaging::Image::isLoadableFile(static_cast<const char*>(out)) ? kDriverSuccess
                                                                                           : kDriverFailure;
    default:
        return kDriverUnsupported;
    }
}

std::uint8_t CDCProxy::size(std::uint32_t code, void* width, void* height)
{
    if (code < kSizeLargestOfModel || code > kSizeReserved6)
        return kDriverUnsupported;
    if (code == kSizeReserved6)
        return kDriverFailure;
    if (width == nullptr || height == nullptr)
        return kDriverFailure;
    std::optional<PictureSize> size;
    switch (code) {
    case kSizeLargestOfModel:
        size = largestPictureOfModel(model());
        toldLargestSize_ = size;
        break;
    case kSizeOfPicture: {
        const std::uint32_t picture = *loadValue(width);
        CameraInfo info;
        if (!readCameraInfo(info) || picture > info.picturesStored())
            return kDriverFailure;
        PictureInfo pictureInfo;
        if (deliversVgaOnly(info.modelCode()) || readPictureInfo(picture, pictureInfo))
            size = pictureSizeOf(info.modelCode(), pictureInfo);
        if (size)
            toldPictureSizes_[picture] = *size;
        break;
    }
    case kSizeLargest:
        size = kLargestPicture;
        toldLargestSize_ = size;
        break;
    default:
        size = PictureSize{kThumbnailWidth, kThumbnailHeight};
        break;
    }
    if (!size)
        return kDriverFailure;
    storeValue(width, size->width);
    storeValue(height, size->height);
    return kDriverSuccess;
}

std::optional<PictureSize> CDCProxy::toldSizeOf(std::uint32_t picture) const
{
    const auto told = toldPictureSizes_.find(picture);
    return told != toldPictureSizes_.end() ? std::optional(told->second) : toldLargestSize_;
}

std::uint8_t CDCProxy::pictureAttribute(std::uint32_t code, void* picture, void* result)
{
    if (code < kAttributeFlag0 || code > kAttributeSetting17 || code == 5)
        return kDriverUnsupported;
    const std::optional<std::uint32_t> number = loadValue(picture);
    PictureInfo info;
    if (!number || result == nullptr || !readPictureInfo(*number, info))
        return kDriverFailure;
    const std::optional<std::uint32_t> value = pictureInfoValue(code, info);
    if (!value)
        return kDriverFailure;
    storeValue(result, *value);
    return kDriverSuccess;
}

bool CDCProxy::wait(std::uint32_t totalMs, std::uint32_t stepMs, std::uint32_t fromPercent, std::uint32_t toPercent,
                    bool untilIdle)
{
    const SessionTiming& timing = context().timing;
    const TimedWaitPlan plan{timing.scaled(totalMs), timing.scaled(stepMs), fromPercent, toPercent};
    std::function<bool()> ready;
    if (untilIdle)
        ready = [this] { return cameraIsIdle(); };
    return timedWait(plan, ready, &progress());
}

}  // namespace qm::device
