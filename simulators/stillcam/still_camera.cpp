#include "simulators/stillcam/still_camera.h"

#include <mutex>

#include "platform/system/directories.h"
#include "platform/system/timing.h"
#include "simulators/stillcam/core/calendar.h"
#include "simulators/stillcam/core/camera_core.h"
#include "simulators/stillcam/core/camera_info.h"
#include "simulators/stillcam/core/model_traits.h"
#include "simulators/stillcam/core/picture_factory.h"
#include "simulators/stillcam/serial/serial_attachment.h"
#include "simulators/stillcam/usb/usb_attachment.h"

namespace qm::stillcam {

WorkTimes realWorkTimes()
{
    WorkTimes times;
    times.captureMs = 2500;
    times.selfTimerMs = 10000;
    times.eraseOneMs = 600;
    times.eraseAllMs = 1500;
    times.storeUploadMs = 300;
    return times;
}

class StillCamera::Impl {
public:
    Impl(const StillCameraConfig& config, std::vector<StoredPicture> pictures, std::vector<FaultRule> faults)
        : core(config, std::move(pictures), std::move(faults)),
          pacing(config.pacing),
          serial(core, config.pacing, [this] { unplugged(); }),
          usb(core, [this] { unplugged(); })
    {
    }

    void unplugged()
    {
        std::function<void()> listener;
        {
            std::lock_guard lock(mutex);
            listener = unplugListener;
        }
        if (listener)
            listener();
    }

    CameraCore core;
    const bool pacing;
    std::mutex attachMutex;  // one attach or detach at a time
    SerialAttachment serial;
    UsbAttachment usb;
    std::mutex mutex;
    std::function<void()> unplugListener;
    std::vector<std::string> skipped;
};

namespace {

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

bool checkConfig(const StillCameraConfig& config, std::string* error)
{
    if (!isKnownModel(config.model))
        return fail(error, "unknown model code " + std::to_string(config.model));
    if (config.firmware.size() > 8)
        return fail(error, "firmware text longer than 8 characters");
    if (speedIndexOf(config.serialRate) < 0)
        return fail(error, "serial rate " + std::to_string(config.serialRate) + " is not one of the camera's");
    if (config.resolutionCode && !storedGeometry(config.model, *config.resolutionCode))
        return fail(error, "model " + std::to_string(config.model) + " has no resolution code " +
                               std::to_string(*config.resolutionCode));
    if (config.dateTime && !isValidDateTime(*config.dateTime))
        return fail(error, "invalid date or time");
    return true;
}

}  // namespace

std::unique_ptr<StillCamera> StillCamera::create(const StillCameraConfig& config, std::string* error)
{
    if (!checkConfig(config, error))
        return nullptr;
    auto faults = parseFaultScript(config.faultScript, error);
    if (!faults)
        return nullptr;
    std::vector<StoredPicture> pictures;
    std::vector<std::string> skipped;
    if (!config.pictureFolder.empty()) {
        if (!loadPictureFolder(config.model, config.pictureFolder, pictures, skipped)) {
            fail(error, "cannot read the picture folder " + config.pictureFolder);
            return nullptr;
        }
    } else {
        const std::uint8_t code = config.resolutionCode.value_or(defaultResolutionCode(config.model));
        for (unsigned seed = 1; seed <= config.pictureCount; ++seed)
            pictures.push_back(generatedPicture(config.model, code, seed));
    }
    auto impl = std::make_unique<Impl>(config, std::move(pictures), std::move(*faults));
    impl->skipped = std::move(skipped);
    return std::unique_ptr<StillCamera>(new StillCamera(std::move(impl)));
}

StillCamera::StillCamera(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

StillCamera::~StillCamera() { unplug(); }

bool StillCamera::attachSerial(int port, const std::string& windowsDir)
{
    std::lock_guard lock(impl_->attachMutex);
    return impl_->serial.attach(port, windowsDir.empty() ? sys::windowsDirectory() : windowsDir, nullptr);
}

bool StillCamera::attachSerial(int port, const std::string& windowsDir, std::string* error)
{
    std::lock_guard lock(impl_->attachMutex);
    return impl_->serial.attach(port, windowsDir.empty() ? sys::windowsDirectory() : windowsDir, error);
}

std::string StillCamera::serialLinkPath() const { return impl_->serial.linkPath(); }
std::string StillCamera::serialDevicePath() const { return impl_->serial.devicePath(); }

bool StillCamera::attachUsb(const std::string& socketPath, std::uint16_t productId)
{
    return attachUsb(socketPath, productId, nullptr);
}

bool StillCamera::attachUsb(const std::string& socketPath, std::uint16_t productId, std::string* error)
{
    std::lock_guard lock(impl_->attachMutex);
    return impl_->usb.attach(socketPath, productId, error);
}

std::string StillCamera::usbSocketPath() const { return impl_->usb.socketPath(); }
bool StillCamera::serialAttached() const { return impl_->serial.attached(); }
bool StillCamera::usbAttached() const { return impl_->usb.attached(); }

void StillCamera::unplug()
{
    unplugSerial();
    unplugUsb();
}

void StillCamera::unplugSerial()
{
    std::lock_guard lock(impl_->attachMutex);
    impl_->serial.detach();
}

void StillCamera::unplugUsb()
{
    std::lock_guard lock(impl_->attachMutex);
    impl_->usb.detach();
}

std::vector<std::uint8_t> StillCamera::exchange(std::span<const std::uint8_t> request)
{
    Answer answer = impl_->core.handle(makeRequest({request.begin(), request.end()}));
    if (answer.unplug) {
        unplug();
        impl_->unplugged();
        return {};
    }
    if (answer.delayMs > 0)
        sys::Sleep(answer.delayMs);
    if (answer.rateAfter)
        impl_->core.setSerialRate(*answer.rateAfter);
    return answer.bytes;
}

std::uint8_t StillCamera::model() const { return impl_->core.model(); }
std::size_t StillCamera::pictureCount() const { return impl_->core.pictureCount(); }
std::vector<PictureSummary> StillCamera::pictures() const { return impl_->core.pictures(); }
std::vector<std::uint8_t> StillCamera::pictureData(unsigned number) const { return impl_->core.pictureData(number); }
std::vector<std::uint8_t> StillCamera::thumbnailData(unsigned number) const
{
    return impl_->core.thumbnailData(number);
}
std::array<std::uint8_t, 64> StillCamera::cameraInfo() const { return impl_->core.cameraInfo(); }
std::optional<std::array<std::uint8_t, 64>> StillCamera::pictureInfo(unsigned number) const
{
    return impl_->core.pictureInfoOf(number);
}
CameraSettings StillCamera::settings() const { return impl_->core.settings(); }
CameraDateTime StillCamera::dateTime() const { return impl_->core.dateTime(); }
std::uint32_t StillCamera::serialRate() const { return impl_->core.serialRate(); }
bool StillCamera::busy() const { return impl_->core.busy(); }
std::optional<CommandRecord> StillCamera::lastCommand() const { return impl_->core.lastCommand(); }
std::vector<CommandRecord> StillCamera::commandLog() const { return impl_->core.commandLog(); }
void StillCamera::clearCommandLog() { impl_->core.clearCommandLog(); }
std::vector<std::string> StillCamera::skippedFiles() const { return impl_->skipped; }

bool StillCamera::addPicture(std::vector<std::uint8_t> jpeg)
{
    if (jpeg.empty())
        return false;
    impl_->core.addPicture(pictureFromBytes(impl_->core.model(), std::move(jpeg)));
    return true;
}

bool StillCamera::zoomPicture(unsigned number, const ZoomWindow& window)
{
    return impl_->core.zoomPicture(number, window);
}

bool StillCamera::protectPicture(unsigned number, bool on)
{
    return impl_->core.protectPicture(number, on);
}

void StillCamera::setSettings(const CameraSettings& settings) { impl_->core.setSettings(settings); }

void StillCamera::setDateTime(const CameraDateTime& dateTime)
{
    if (isValidDateTime(dateTime))
        impl_->core.setDateTime(dateTime);
}

bool StillCamera::setSerialRate(std::uint32_t rate) { return impl_->core.setSerialRate(rate); }
void StillCamera::setCountExtension(std::uint32_t value) { impl_->core.setCountExtension(value); }
void StillCamera::forceStatus(std::optional<std::uint8_t> status) { impl_->core.forceStatus(status); }
void StillCamera::overrideCameraInfoByte(std::size_t offset, std::uint8_t value)
{
    impl_->core.overrideCameraInfoByte(offset, value);
}
void StillCamera::overridePictureInfoByte(unsigned number, std::size_t offset, std::uint8_t value)
{
    impl_->core.overridePictureInfoByte(number, offset, value);
}
void StillCamera::clearOverrides() { impl_->core.clearOverrides(); }

void StillCamera::injectFault(const FaultRule& rule) { impl_->core.injectFault(rule); }

bool StillCamera::injectFaults(std::string_view script, std::string* error)
{
    auto rules = parseFaultScript(script, error);
    if (!rules)
        return false;
    for (const FaultRule& rule : *rules)
        impl_->core.injectFault(rule);
    return true;
}

void StillCamera::clearFaults() { impl_->core.clearFaults(); }
std::size_t StillCamera::pendingFaults() const { return impl_->core.pendingFaults(); }
void StillCamera::resume() { impl_->core.resume(); }
bool StillCamera::silent() const { return impl_->core.silent(); }

void StillCamera::setCommandListener(CommandListener listener) { impl_->core.setCommandListener(std::move(listener)); }

void StillCamera::setUnplugListener(std::function<void()> listener)
{
    std::lock_guard lock(impl_->mutex);
    impl_->unplugListener = std::move(listener);
}

}  // namespace qm::stillcam
