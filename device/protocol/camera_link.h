// CameraLink: the camera command protocol over a CameraTransport. It frames
// the eleven request/reply commands, checks every reply, reads pictures and
// thumbnails in acknowledged 1024-byte blocks with retransmission, uploads an
// image in blocks and reports progress. The camera only ever answers: each
// command sends one request and reads one reply.
//
// Every command returns true on success. On failure the calling thread's
// last error carries a LINK_ERR_* code when the channel failed (and is left
// cleared when the reply itself was wrong).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>

#include "device/protocol/camera_records.h"
#include "device/protocol/commands.h"
#include "device/transport/camera_transport.h"

namespace qm::device {

// The six bytes of parameter 5 (date and time) as the camera takes them.
struct CameraDateBytes {
    std::uint8_t yearCode = 0;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

class CameraLink {
public:
    // Progress of long commands: (current command code, event, value).
    using ProgressCallback = void (*)(std::uint32_t command, std::uint32_t event, std::uint32_t value);

    CameraLink() = default;
    ~CameraLink();
    CameraLink(const CameraLink&) = delete;
    CameraLink& operator=(const CameraLink&) = delete;

    // Keeps the callback (when given) and tries USB (product 0x2620, then
    // 0x2888), then the serial port search; the first transport that finds
    // the camera is kept. While the search runs, the serial transport's
    // position (0..100) is reported as event kProgressDone of CMD_STATUS.
    bool Open(ProgressCallback progress);
    // Opens the given transport with this link's probe and speed callbacks
    // and keeps it when it finds the camera.
    bool openWith(std::unique_ptr<CameraTransport> transport);
    // Closes and drops the transport; always true.
    bool Close();
    // Replaces the progress callback (null: none).
    void setProgressCallback(ProgressCallback progress) { progress_ = progress; }

    bool isOpen() const { return transport_ != nullptr; }
    CameraTransport* transport() const { return transport_.get(); }

    // CMD_STATUS: any valid reply succeeds; `status` gets its status byte
    // (1 = idle and ready).
    bool getStatus(std::uint8_t* status = nullptr);
    // CMD_CAMERA_INFO; also refreshes the model code and firmware version.
    bool getCameraInfo(CameraInfo& info);
    // CMD_SET_PARAMETER with one value byte (any id but the date).
    bool setParameter(std::uint8_t id, std::uint8_t value);
    // CMD_SET_PARAMETER 5: date and time.
    bool setDateTime(const CameraDateBytes& date);
    // CMD_SET_SPEED with an index into SPEED_TABLE.
    bool setSpeed(std::uint8_t speedIndex);
    bool getPictureInfo(std::uint16_t picture, PictureInfo& info);
    // Paged reads: the destination's size is the object's exact size.
    bool ReadThumbnail(std::uint16_t picture, std::span<std::uint8_t> destination);
    bool ReadPicture(std::uint16_t picture, std::span<std::uint8_t> destination);
    // Picture 0 erases all.
    bool erase(std::uint16_t picture);
    bool capture();
    bool beginUpload(std::uint32_t size);
    // Sends the prepared image in CMD_WRITE_BLOCK blocks.
    bool Upload(std::span<const std::uint8_t> data);

    std::uint32_t currentCommand() const { return currentCommand_; }
    std::uint8_t modelCode() const { return modelCode_; }
    int firmwareVersion() const { return firmwareVersion_; }

    // Lets the caller's window messages run during an upload (every third
    // block); without one the upload just carries on.
    void setMessagePump(std::function<void()> pump) { messagePump_ = std::move(pump); }

private:
    static int probe(void* link);
    static int changeSpeed(void* link, std::uint32_t rate);
    static void reportSearchPosition(void* link, std::uint32_t position);

    // One request/reply exchange: clear the last error, purge, send, wait,
    // read the whole reply and check it.
    bool exchange(std::uint8_t command, std::span<const std::uint8_t> parameters,
                  std::initializer_list<std::uint32_t> delaysMs, std::span<std::uint8_t> reply,
                  std::optional<std::size_t> expectedLength);
    void beginCommand(std::uint8_t command);
    bool send(std::span<const std::uint8_t> request);
    bool sendRequest(std::uint8_t command, std::span<const std::uint8_t> parameters);
    // Reads exactly reply.size() bytes; a single byte from `accepted` also
    // counts.
    bool readExact(std::span<std::uint8_t> reply, std::span<const std::uint8_t> accepted = {});
    void progress(std::uint32_t event, std::uint32_t value) const;

    bool pagedRead(std::uint8_t command, std::uint16_t picture, std::span<std::uint8_t> destination);
    bool readBlock(std::uint8_t command, std::span<std::uint8_t> destination, std::uint8_t& state,
                   std::uint8_t& sequence);
    bool writeBlock(std::uint8_t block, std::uint8_t flag, std::span<const std::uint8_t> data);

    std::unique_ptr<CameraTransport> transport_;
    std::uint32_t currentCommand_ = 0;
    ProgressCallback progress_ = nullptr;
    std::uint8_t modelCode_ = 0;
    int firmwareVersion_ = 0;
    std::function<void()> messagePump_;
};

}  // namespace qm::device
