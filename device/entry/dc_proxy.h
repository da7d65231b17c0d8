// CDCProxy: the camera session over the camera command protocol, on USB or
// the serial line. It answers every DriverEntry operation the still cameras
// support; the model code and firmware version are those of its link.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "device/entry/camera_values.h"
#include "device/entry/proxy.h"
#include "device/entry/timed_wait.h"
#include "device/protocol/camera_link.h"

namespace qm::device {

class CDCProxy : public CProxy {
public:
    static const RuntimeClass classCDCProxy;

    explicit CDCProxy(SessionContext& context);
    ~CDCProxy() override;

    const RuntimeClass& runtimeClass() const override { return classCDCProxy; }

    std::uint8_t Open(void* code, std::uint32_t* pictureCount, DriverProgressProc progress) override;
    std::uint8_t Close() override;
    std::string displayName() const override;
    std::optional<SessionFacts> facts() const override;

    std::uint8_t status(std::uint32_t code, void* out) override;
    std::uint8_t readValue(std::uint32_t code, void* out, void* data) override;
    std::uint8_t setValue(std::uint32_t code, void* value) override;
    std::uint8_t size(std::uint32_t code, void* width, void* height) override;
    std::uint8_t pictureAttribute(std::uint32_t code, void* picture, void* result) override;
    std::uint8_t action(std::uint32_t code, void* out, void* data) override;

private:
    // Which link commands reach the progress reporter while an operation runs.
    static constexpr std::uint32_t kMaskConnect = 1;
    static constexpr std::uint32_t kMaskThumbnail = 6;
    static constexpr std::uint32_t kMaskPicture = 7;
    static constexpr std::uint32_t kMaskUpload = 8;
    // Sets the mask for one long operation and clears it on every way out.
    class ProgressMask {
    public:
        ProgressMask(CDCProxy& session, std::uint32_t mask);
        ~ProgressMask();
        ProgressMask(const ProgressMask&) = delete;
        ProgressMask& operator=(const ProgressMask&) = delete;

    private:
        CDCProxy& session_;
    };
    static void onLinkProgress(std::uint32_t command, std::uint32_t event, std::uint32_t value);

    bool usb() const;
    std::uint8_t model() const { return link_.modelCode(); }
    bool readCameraInfo(CameraInfo& info);
    bool readPictureInfo(std::uint32_t picture, PictureInfo& info);
    // Type 8/7: the session's picture count from the camera.
    bool refreshPictureCount();
    bool cameraIsIdle();

    // Read and set groups (dc_proxy_values.cpp).
    std::uint8_t readFirmware(void* out, void* data);
    std::uint8_t readClock(std::uint32_t code, void* out);
    std::uint8_t setClock(std::uint32_t code, void* value);
    std::uint8_t setSpeed(void* value);
    std::uint8_t setPreferredSpeed(void* value);

    // Actions (dc_proxy_pictures.cpp, dc_proxy_actions.cpp).
    std::uint8_t downloadPicture(void* out, void* data);
    std::uint8_t downloadThumbnail(void* out, void* data);
    std::uint8_t savePicture(void* out, void* data);
    std::uint8_t erasePictures(void* out);
    std::uint8_t capturePicture();
    std::uint8_t uploadFile(void* out);
    std::uint8_t copyPictureInfo(void* out, void* data);
    // 8/10 (dc_proxy_record.cpp).
    std::uint8_t pictureRecord(void* out, void* data);

    std::uint8_t pictureToBitmap(std::uint32_t picture, std::uint8_t* destination);
    // `zoomed` tells whether the camera holds the picture zoomed.
    std::uint8_t thumbnailToBitmap(std::uint32_t picture, std::uint8_t* destination, bool& zoomed);
    std::uint8_t pictureToFile(std::uint32_t picture, const char* path);
    // Downloads picture data into `block` (sized to the data); runs the
    // spinning thread on the serial line.
    bool readPictureData(std::uint32_t picture, std::span<std::uint8_t> block);
    // A download tried once more after a pause when it fails.
    template <typename Attempt>
    std::uint8_t tryTwice(Attempt attempt, std::uint8_t* restoreByte = nullptr);
    // The erase and capture waits, scaled like the rest of the session.
    bool wait(std::uint32_t totalMs, std::uint32_t stepMs, std::uint32_t fromPercent, std::uint32_t toPercent,
              bool untilIdle);

    // The picture size a caller sizes its buffer from: the one type 5/2 last
    // reported for the picture, else the one 5/1 or 5/3 last reported.
    std::optional<PictureSize> toldSizeOf(std::uint32_t picture) const;

    CameraLink link_;
    std::uint32_t progressMask_ = 0;
    std::map<std::uint32_t, PictureSize> toldPictureSizes_;
    std::optional<PictureSize> toldLargestSize_;
};

}  // namespace qm::device
