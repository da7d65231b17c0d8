// A simulated still camera of the QM4200 family. It answers every command of
// the camera command protocol byte for byte, keeps pictures, thumbnails,
// settings, counters and a running calendar clock, and can be attached to a
// host in two ways at once:
//
//   serial: a pseudo-terminal whose slave W/dosdevices/comN links to; the
//           camera hears and answers only while the host's line runs at the
//           camera's rate with 8 data bits, no parity, one stop bit;
//   USB:    the virtual cable (platform/usb/virtual_cable.h) served on a
//           Unix socket, vendor 0x0784, product 0x2620 or 0x2888, requests
//           on pipe 3 and replies on pipe 0x84 in 64-byte packets.
//
// Tests drive it over either attachment or with exchange(), inspect its
// state and script faults. All members are safe to call from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "simulators/stillcam/faults.h"
#include "simulators/stillcam/sim_clock.h"

namespace qm::stillcam {

inline constexpr std::uint16_t kVendorId = 0x0784;
inline constexpr std::uint16_t kProduct2620 = 0x2620;
inline constexpr std::uint16_t kProduct2888 = 0x2888;
inline constexpr std::uint8_t kRequestPipe = 0x03;
inline constexpr std::uint8_t kReplyPipe = 0x84;
inline constexpr std::size_t kUsbPacketSize = 64;

// Command codes of the camera command protocol.
inline constexpr std::uint8_t CMD_STATUS = 0x01;
inline constexpr std::uint8_t CMD_CAMERA_INFO = 0x02;
inline constexpr std::uint8_t CMD_SET_PARAMETER = 0x03;
inline constexpr std::uint8_t CMD_SET_SPEED = 0x04;
inline constexpr std::uint8_t CMD_PICTURE_INFO = 0x05;
inline constexpr std::uint8_t CMD_READ_THUMBNAIL = 0x06;
inline constexpr std::uint8_t CMD_READ_PICTURE = 0x07;
inline constexpr std::uint8_t CMD_WRITE_BLOCK = 0x08;
inline constexpr std::uint8_t CMD_ERASE = 0x09;
inline constexpr std::uint8_t CMD_CAPTURE = 0x0A;
inline constexpr std::uint8_t CMD_BEGIN_UPLOAD = 0x0B;

// The serial rates the camera knows, by speed index.
inline constexpr std::array<std::uint32_t, 5> SPEED_TABLE = {9600, 19200, 38400, 57600, 115200};

// The calendar clock, full year.
struct CameraDateTime {
    int year = 2001;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const CameraDateTime&, const CameraDateTime&) = default;
};

// The user settings as the settings bytes of CameraInfo carry them. Which
// parameter of CMD_SET_PARAMETER writes each is noted; parameter 0 and 1
// are also written back into bytes 3 and 4.
struct CameraSettings {
    std::uint8_t flashMode = 2;       // byte 7 (and 3), parameter 0: 0 auto, 1 fill, 2 off
    std::uint8_t selfTimer = 0;       // byte 32 (and 4), parameter 1: a capture waits 10 s longer
    std::uint8_t iconDisplay = 1;     // byte 27, parameter 2
    std::uint8_t lcdDisplay = 1;      // byte 33, parameter 3
    std::uint8_t quality = 1;         // byte 34, parameter 4: 0 normal, 1 fine, 2 super fine
    std::uint8_t autoOffMinutes = 3;  // byte 5, parameter 6
    std::uint8_t operatingMode = 1;   // byte 6: 0 play, 1 record, 2 menu
    friend bool operator==(const CameraSettings&, const CameraSettings&) = default;
};

// How long the camera works on an action before it reports ready again.
struct WorkTimes {
    std::uint32_t captureMs = 0;
    std::uint32_t selfTimerMs = 0;   // added to a capture while the self timer is on
    std::uint32_t eraseOneMs = 0;
    std::uint32_t eraseAllMs = 0;
    std::uint32_t storeUploadMs = 0; // before the last upload block is answered
};
// The real camera's times (pacing on).
WorkTimes realWorkTimes();

struct StillCameraConfig {
    std::uint8_t model = 16;             // 16, 17, 18, 20, 22 or 32
    std::string firmware = "V3.26";      // CameraInfo bytes 8..15, at most 8 characters
    std::uint32_t memoryBytes = 4u << 20;          // bytes 36..39
    std::optional<std::uint8_t> memoryMb;          // byte 2; default memoryBytes in MB
    std::string pictureFolder;           // JPEG files to hold (sorted by name); empty: generated
    unsigned pictureCount = 6;           // generated pictures when no folder is given
    std::optional<std::uint8_t> resolutionCode;    // of generated pictures; default: model's own
    std::uint32_t serialRate = 9600;     // starting rate, one of SPEED_TABLE
    bool pacing = false;                 // line timing on serial and real work times
    std::optional<WorkTimes> workTimes;  // default: realWorkTimes() with pacing, else all 0
    std::string faultScript;             // see faults.h
    std::shared_ptr<SimClock> clock;     // default: steadyClock()
    std::optional<CameraDateTime> dateTime;        // default: the host's local time
    CameraSettings settings;
    std::uint32_t countExtension = 0;    // CameraInfo bytes 28..31
};

// The part of a picture the camera's playback zoom shows, in pixels of the
// picture as the camera held it when it was zoomed.
struct ZoomWindow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ZoomWindow&, const ZoomWindow&) = default;
};

struct PictureSummary {
    unsigned number = 0;          // 1-based, as the host addresses it
    std::uint32_t size = 0;       // bytes CMD_READ_PICTURE delivers
    std::uint32_t thumbnailSize = 0;
    int width = 0;                // of the stored JPEG data
    int height = 0;
    std::uint8_t resolutionCode = 0;
    std::uint32_t key = 0;        // PictureInfo bytes 12..15
    bool uploaded = false;
    std::optional<ZoomWindow> zoom;  // set while the camera holds it zoomed
};

// One request the camera heard, as it answered it.
struct CommandRecord {
    std::uint8_t code = 0;              // 0 for a request the camera could not take
    std::vector<std::uint8_t> request;  // the whole framed request
    std::vector<std::uint8_t> reply;    // bytes sent; empty when it stayed silent
    std::optional<FaultKind> fault;     // the fault it committed, if any
    bool wellFormed = false;            // start byte, length and checksum were right
    unsigned block = 0;                 // paged read or upload: block ordinal, from 1
};

class StillCamera {
public:
    // Builds a camera; null (and `error` filled) when the configuration is
    // unusable: unknown model, unreadable picture folder, bad fault script.
    static std::unique_ptr<StillCamera> create(const StillCameraConfig& config, std::string* error = nullptr);
    ~StillCamera();  // detaches everything
    StillCamera(const StillCamera&) = delete;
    StillCamera& operator=(const StillCamera&) = delete;

    // Serial attachment on COM1..COM4: W/dosdevices/comN links to the pty
    // slave (W = qm::sys::windowsDirectory() when none is given).
    bool attachSerial(int port, const std::string& windowsDir = {});
    bool attachSerial(int port, const std::string& windowsDir, std::string* error);
    std::string serialLinkPath() const;    // empty while not attached
    std::string serialDevicePath() const;  // the pty slave

    // USB attachment: the cable served at socketPath.
    bool attachUsb(const std::string& socketPath, std::uint16_t productId = kProduct2620);
    bool attachUsb(const std::string& socketPath, std::uint16_t productId, std::string* error);
    std::string usbSocketPath() const;     // empty while not attached

    bool serialAttached() const;
    bool usbAttached() const;
    // Pulls the cable(s): the link and the socket disappear.
    void unplug();
    void unplugSerial();
    void unplugUsb();

    // One complete framed request straight into the camera; the bytes it
    // answers (empty: no answer). Faults apply; a stall is slept.
    std::vector<std::uint8_t> exchange(std::span<const std::uint8_t> request);

    // State.
    std::uint8_t model() const;
    std::size_t pictureCount() const;
    std::vector<PictureSummary> pictures() const;
    std::vector<std::uint8_t> pictureData(unsigned number) const;    // empty when out of range
    std::vector<std::uint8_t> thumbnailData(unsigned number) const;  // raw 9600 bytes or JPEG
    std::array<std::uint8_t, 64> cameraInfo() const;
    std::optional<std::array<std::uint8_t, 64>> pictureInfo(unsigned number) const;
    CameraSettings settings() const;
    CameraDateTime dateTime() const;
    std::uint32_t serialRate() const;
    bool busy() const;  // a capture or erase is still running
    std::optional<CommandRecord> lastCommand() const;
    std::vector<CommandRecord> commandLog() const;  // the most recent 1024
    void clearCommandLog();
    // Files of the picture folder that were no JPEG and were left out.
    std::vector<std::string> skippedFiles() const;

    // Changes a test may make.
    bool addPicture(std::vector<std::uint8_t> jpeg);  // any bytes; JPEG gives a real thumbnail
    // Zooms picture `number` as the camera's playback zoom does. From then on
    // the camera delivers the window enlarged back to the picture's size (a
    // JPEG, with a thumbnail of it) and its PictureInfo marks it zoomed (byte
    // 23 is 1, bytes 24..31 hold the window). False, and nothing changed,
    // when there is no such picture, it is no JPEG or the window is empty or
    // reaches outside the picture.
    bool zoomPicture(unsigned number, const ZoomWindow& window);
    // Protects picture `number` from erasing (PictureInfo byte 17 is 1): the
    // camera answers an erase of it with "not done" and erasing all leaves
    // it. False when there is no such picture.
    bool protectPicture(unsigned number, bool on = true);
    void setSettings(const CameraSettings& settings);
    void setDateTime(const CameraDateTime& dateTime);
    bool setSerialRate(std::uint32_t rate);
    void setCountExtension(std::uint32_t value);
    // While set, CMD_STATUS answers this status byte (1 = idle and ready)
    // and CameraInfo byte 0 is 1 only when it is 1.
    void forceStatus(std::optional<std::uint8_t> status);
    // Raw overrides of single information bytes, kept until cleared.
    void overrideCameraInfoByte(std::size_t offset, std::uint8_t value);
    void overridePictureInfoByte(unsigned number, std::size_t offset, std::uint8_t value);
    void clearOverrides();

    // Faults.
    void injectFault(const FaultRule& rule);
    bool injectFaults(std::string_view script, std::string* error = nullptr);
    void clearFaults();
    std::size_t pendingFaults() const;
    void resume();  // ends a GoSilent
    bool silent() const;

    // Called on the attachment's thread after every request, with a one-line
    // description ("CMD_ERASE picture 3", ...).
    using CommandListener = std::function<void(const CommandRecord&, std::string_view description)>;
    void setCommandListener(CommandListener listener);
    // Called when the camera detaches itself (an Unplug fault).
    void setUnplugListener(std::function<void()> listener);

    class Impl;

private:
    explicit StillCamera(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace qm::stillcam
