// The camera itself, apart from how it is attached: it takes one whole
// request at a time and says what to send back. Its state is guarded by one
// lock, so attachments and a test may use it from different threads.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simulators/stillcam/core/calendar.h"
#include "simulators/stillcam/core/fault_plan.h"
#include "simulators/stillcam/core/paged_read.h"
#include "simulators/stillcam/core/picture_store.h"
#include "simulators/stillcam/core/upload_receiver.h"
#include "simulators/stillcam/protocol/packet.h"
#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam {

// What the attachment does with a request's outcome.
struct Answer {
    std::vector<std::uint8_t> bytes;          // to send; empty: nothing
    std::uint32_t delayMs = 0;                // hold the reply back this long
    bool unplug = false;                      // detach instead of answering
    bool endpointStall = false;               // USB: stall the reply pipe
    std::optional<std::uint32_t> rateAfter;   // serial: the rate once the reply is out
};

class CameraCore {
public:
    CameraCore(const StillCameraConfig& config, std::vector<StoredPicture> pictures, std::vector<FaultRule> faults);

    Answer handle(const Request& request);

    std::uint8_t model() const { return model_; }
    std::size_t pictureCount() const;
    std::vector<PictureSummary> pictures() const;
    std::vector<std::uint8_t> pictureData(unsigned number) const;
    std::vector<std::uint8_t> thumbnailData(unsigned number) const;
    InfoBlock cameraInfo() const;
    std::optional<InfoBlock> pictureInfoOf(unsigned number) const;
    CameraSettings settings() const;
    CameraDateTime dateTime() const;
    std::uint32_t serialRate() const;
    bool busy() const;
    std::optional<CommandRecord> lastCommand() const;
    std::vector<CommandRecord> commandLog() const;
    void clearCommandLog();

    void addPicture(StoredPicture picture);
    bool zoomPicture(unsigned number, const ZoomWindow& window);
    bool protectPicture(unsigned number, bool on);
    void setSettings(const CameraSettings& settings);
    void setDateTime(const CameraDateTime& value);
    bool setSerialRate(std::uint32_t rate);
    void setCountExtension(std::uint32_t value);
    void forceStatus(std::optional<std::uint8_t> status);
    void overrideCameraInfoByte(std::size_t offset, std::uint8_t value);
    bool overridePictureInfoByte(unsigned number, std::size_t offset, std::uint8_t value);
    void clearOverrides();

    void injectFault(const FaultRule& rule);
    void clearFaults();
    std::size_t pendingFaults() const;
    void resume();
    bool silent() const;

    void setCommandListener(StillCamera::CommandListener listener);
    // Tells the listener about something on the line that is no request.
    void announce(const std::string& text);

private:
    struct Outcome {
        std::optional<std::vector<std::uint8_t>> body;  // reply body; none: no reply
        unsigned block = 0;
        std::optional<std::uint32_t> rateAfter;
        std::uint32_t delayMs = 0;
        std::string note;
    };
    enum class WorkKind { None, Capture, EraseOne, EraseAll };

    Outcome process(const Request& request);
    Outcome refused(std::uint8_t code, std::span<const std::uint8_t> parameters) const;
    Outcome status() const;
    Outcome cameraInfoReply() const;
    Outcome setParameter(std::span<const std::uint8_t> p);
    Outcome setSpeed(std::span<const std::uint8_t> p);
    Outcome pictureInfoReply(std::span<const std::uint8_t> p) const;
    Outcome pagedRead(std::uint8_t code, std::span<const std::uint8_t> p);
    Outcome writeBlock(std::span<const std::uint8_t> p);
    Outcome erase(std::span<const std::uint8_t> p);
    Outcome capture();
    Outcome beginUpload(std::span<const std::uint8_t> p);

    void startWork(WorkKind kind, std::uint32_t durationMs, unsigned number = 0);
    void settle() const;  // finishes work whose time is up
    bool busyNow() const;
    std::uint64_t freeBytes() const;
    std::uint16_t picturesFree() const;
    InfoBlock cameraInfoNow() const;
    void log(CommandRecord record);

    mutable std::mutex mutex_;
    const std::uint8_t model_;
    const std::string firmware_;
    const std::uint32_t memoryBytes_;
    const std::uint8_t memoryMb_;
    const std::uint8_t captureResolution_;
    const WorkTimes workTimes_;
    const std::shared_ptr<SimClock> clock_;

    mutable PictureStore store_;
    CameraSettings settings_;
    Calendar calendar_;
    std::uint32_t rate_;
    std::uint32_t countExtension_;
    std::optional<std::uint8_t> forcedStatus_;
    std::map<std::size_t, std::uint8_t> infoOverrides_;

    mutable WorkKind work_ = WorkKind::None;
    mutable std::uint64_t workDoneAtMs_ = 0;
    mutable unsigned workNumber_ = 0;

    PagedRead read_;
    UploadReceiver upload_;
    FaultPlan faults_;
    bool silent_ = false;
    std::deque<CommandRecord> log_;
    StillCamera::CommandListener listener_;
};

}  // namespace qm::stillcam
