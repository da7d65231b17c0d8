// The simulated dual-mode USB camera as a device model on the simulated bus.
//
// USB: one configuration with one interface whose alternate settings 1..7
// offer falling isochronous bandwidth (setting 0 none). Each setting has an
// interrupt endpoint (pipe 0, unused by the video path), the isochronous
// data endpoint 0x81 (pipe 1) and the one-byte sync endpoint 0x82 (pipe 2).
//
// Registers: vendor requests (request 0, value 0, index = address) read and
// write runs of up to 64 byte registers.
//
// Streaming: while 0410 has its run bits and video mode set, the camera
// compresses frames of the programmed size at the programmed rate and sends
// them one packet per 1 ms frame, with one sync byte per frame: bit 0 on a
// frame's last packet, bit 3 while the snapshot button is held. After a
// still download command and the still start strobe it sends the stored
// pictures the same way.
//
// The camera cannot tell whether the host is listening: a packet nobody
// asked for is lost. It therefore pauses briefly after the still start
// strobe and after a reset of the data pipe (which the host issues just
// before it starts its isochronous transfers), and a pipe reset starts the
// frame being sent over from its first byte.
//
// Every public function may be called from any thread.
#pragma once

#include "platform/usbd/device_model.h"
#include "simulators/dualcam/compression_control.h"
#include "simulators/dualcam/dualcam_config.h"
#include "simulators/dualcam/fault.h"
#include "simulators/dualcam/front_end.h"
#include "simulators/dualcam/image_pipeline.h"
#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/packet_stream.h"
#include "simulators/dualcam/picture_store.h"
#include "simulators/dualcam/register_file.h"
#include "simulators/dualcam/scene.h"

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace qm::dualcam {

inline constexpr std::uint8_t kDataEndpoint = 0x81;
inline constexpr std::uint8_t kSyncEndpoint = 0x82;
inline constexpr std::uint8_t kStatusEndpoint = 0x83;
inline constexpr std::uint8_t kAlternateSettings = 8;

// Data packet size of each alternate setting.
inline constexpr std::array<std::uint16_t, kAlternateSettings> kDataPacketSize = {0,   1023, 896, 768,
                                                                                  640, 512,  384, 256};

// Sync byte bits.
inline constexpr std::uint8_t kSyncEndOfFrame = 0x01;
inline constexpr std::uint8_t kSyncSnapshotButton = 0x08;

inline constexpr std::size_t kRecentFramesKept = 16;

// Milliseconds the camera waits before sending after a still start strobe or
// a data pipe reset.
inline constexpr unsigned kRestartPauseMs = 32;

enum class StreamMode : std::uint8_t { Idle, Video, Still };

class DualCamera : public usbd::DeviceModel {
public:
    explicit DualCamera(DualCamConfig config = {});

    // --- usbd::DeviceModel ---
    std::vector<std::uint8_t> deviceDescriptor() const override;
    std::vector<std::uint8_t> configurationDescriptor() const override;
    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override;
    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override;
    usbd::IsoPacketResult isochronousIn(std::uint8_t endpointAddress, std::uint32_t frameNumber,
                                        std::span<std::uint8_t> packet) override;
    void startOfFrame(std::uint32_t frameNumber) override;
    void configurationSelected(std::uint8_t configurationValue) override;
    void interfaceSelected(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
    void pipeReset(std::uint8_t endpointAddress) override;
    void pipeAborted(std::uint8_t endpointAddress) override;
    void portReset() override;
    void unplugged() override;

    // --- configuration while running ---
    void setScene(SceneConfig scene);
    void setSnapshotButton(bool held);
    void injectFault(Fault fault, unsigned count = 1);
    void clearFaults();

    // --- register access as the host's vendor requests see it ---
    // False (a stall) for runs longer than 64 bytes or while unplugged.
    bool readRegisters(std::uint16_t first, std::span<std::uint8_t> into);
    bool writeRegisters(std::uint16_t first, std::span<const std::uint8_t> bytes);

    // --- inspection (no side effects) ---
    std::uint8_t registerValue(std::uint16_t address) const;
    StreamMode streamMode() const;
    std::uint8_t alternateSetting() const;
    std::size_t pictureCount() const;
    int frontEndGain() const;
    int lastQuality() const;
    std::uint32_t framesSent() const;
    // The most recent frames as built, before any fault touched them (the
    // last kRecentFramesKept): what a host may deliver and nothing else.
    std::vector<std::vector<std::uint8_t>> recentFrames() const;
    FrameStatistics statistics() const;
    bool dead() const;

    // Develops one video frame from the current registers without sending
    // it, updating the statistics registers as a sent frame would.
    FrameStatistics measureNow();

private:
    struct PendingPackets {
        std::vector<std::uint8_t> data;
        usbd::USBD_STATUS dataStatus = usbd::USBD_STATUS_SUCCESS;
        std::uint8_t sync = 0;
        usbd::USBD_STATUS syncStatus = usbd::USBD_STATUS_SUCCESS;
        bool dataTaken = false;  // the host read the data packet
    };

    // Register side effects (dual_camera_registers.cpp).
    std::uint8_t readRegister(std::uint16_t address);
    void afterWrite(std::uint16_t first, std::span<const std::uint8_t> bytes);
    void masterWritten(std::uint8_t value);

    // Still-camera commands (dual_camera_commands.cpp).
    void executeCommand();
    void loadTableWindow(std::size_t first);
    void takePicture();
    void startStillDownload();
    void setResult(std::uint8_t b0, std::uint8_t b1);
    void setBusy(unsigned reads);

    // Streaming (dual_camera_stream.cpp).
    void stopStreaming();
    void producePackets();
    bool beginVideoFrame();
    bool beginStillFrame();
    DevelopedFrame developCurrent(int width, int height);
    void latchStatistics(const FrameStatistics& statistics);
    std::optional<std::vector<std::uint8_t>> compressFrame(const YCbCrImage& image, int quality, Sampling sampling,
                                                           int& usedQuality);
    void keepRecentFrame(const std::vector<std::uint8_t>& frame);
    void applyFrameFaults(std::vector<std::uint8_t>& frame);
    void applyPacketFaults(PendingPackets& out);

    bool consumeFault(Fault fault);
    void powerOn();
    int darkLevel() const;

    mutable std::mutex mutex_;
    DualCamConfig config_;
    RegisterFile registers_;
    FrontEnd frontEnd_;
    PictureStore pictures_;
    SceneRenderer scene_;
    CompressionControl compression_;
    PacketStream packets_;

    std::uint8_t alternate_ = 0;
    StreamMode mode_ = StreamMode::Idle;
    std::uint64_t clockMs_ = 0;        // frames seen while streaming
    std::uint64_t nextFrameDueUs_ = 0;  // in microseconds of clockMs_
    std::uint64_t holdUntilMs_ = 0;     // nothing is sent up to this clockMs_
    std::uint32_t sceneFrame_ = 0;
    std::uint32_t framesSent_ = 0;
    std::deque<std::vector<std::uint8_t>> recentFrames_;
    int lastQuality_ = 0;
    FrameStatistics statistics_;
    PendingPackets pending_;

    // Still-camera interface.
    unsigned busyReads_ = 0;
    bool neverReady_ = false;
    std::uint8_t status_ = 0;
    std::array<std::uint8_t, 64> tableWindow_{};
    std::optional<std::deque<std::size_t>> armedDownload_;  // picture numbers to send
    std::deque<std::size_t> stillQueue_;

    // Button, faults and the cable.
    bool buttonHeld_ = false;
    std::array<unsigned, kFaultKinds> faults_{};
    bool dataStalled_ = false;
    bool syncStalled_ = false;
    std::optional<unsigned> unplugIn_;  // frames left before the cable fault
    bool dead_ = false;
};

}  // namespace qm::dualcam
