#include "device/protocol/camera_link.h"

#include <array>

#include "device/protocol/link_errors.h"
#include "device/protocol/packet.h"
#include "device/transport/link_timing.h"
#include "device/transport/serial_transport.h"
#include "device/transport/speed_table.h"
#include "device/transport/usb_transport.h"
#include "platform/system/byte_order.h"
#include "platform/system/last_error.h"
#include "platform/system/timing.h"

namespace qm::device {
namespace {

// Requests and replies of the short commands fit here; the longest is the
// 69-byte CMD_BEGIN_UPLOAD request and the 70-byte information replies.
constexpr std::size_t kShortPacket = 128;
constexpr std::size_t kStatusReplySize = 6;
constexpr std::size_t kInfoReplySize = 70;
constexpr std::size_t kStatusReplyLength = 3;
constexpr std::size_t kInfoReplyLength = 67;
constexpr std::size_t kInfoDataOffset = 5;

constexpr std::uint32_t kSendDelayMs = 25;
constexpr std::uint32_t kParameterDelayMs = 100;
constexpr std::uint32_t kPictureInfoDelayMs = 200;

// CMD_BEGIN_UPLOAD: fixed leading bytes, the size, then zeros to 64 bytes.
constexpr std::array<std::uint8_t, 4> kUploadPreamble = {1, 1, 0, 0x20};
constexpr std::size_t kUploadParameterBytes = 64;

}  // namespace

CameraLink::~CameraLink() { Close(); }

bool CameraLink::Open(ProgressCallback progress)
{
    if (progress != nullptr)
        progress_ = progress;
    Close();
    if (openWith(std::make_unique<UsbTransport>(kCameraProduct2620)))
        return true;
    if (openWith(std::make_unique<UsbTransport>(kCameraProduct2888)))
        return true;
    return openWith(std::make_unique<SerialTransport>());
}

bool CameraLink::openWith(std::unique_ptr<CameraTransport> transport)
{
    if (!transport)
        return false;
    Close();
    // Commands during the search go through the candidate transport.
    transport_ = std::move(transport);
    transport_->setPositionCallback(&CameraLink::reportSearchPosition, this);
    const bool found = transport_->Open(&CameraLink::probe, &CameraLink::changeSpeed, this);
    transport_->setPositionCallback(nullptr, nullptr);
    if (!found)
        transport_.reset();
    return found;
}

bool CameraLink::Close()
{
    if (transport_) {
        transport_->Close();
        transport_.reset();
    }
    return true;
}

int CameraLink::probe(void* link) { return static_cast<CameraLink*>(link)->getStatus() ? 1 : 0; }

int CameraLink::changeSpeed(void* link, std::uint32_t rate)
{
    const auto index = speedIndexOf(rate);
    if (!index)
        return 0;
    return static_cast<CameraLink*>(link)->setSpeed(*index) ? 1 : 0;
}

void CameraLink::reportSearchPosition(void* link, std::uint32_t position)
{
    auto* self = static_cast<CameraLink*>(link);
    if (self->progress_ != nullptr)
        self->progress_(CMD_STATUS, kProgressDone, position);
}

void CameraLink::progress(std::uint32_t event, std::uint32_t value) const
{
    if (progress_ != nullptr)
        progress_(currentCommand_, event, value);
}

void CameraLink::beginCommand(std::uint8_t command)
{
    sys::SetLastError(sys::ERROR_SUCCESS);
    currentCommand_ = command;
}

bool CameraLink::send(std::span<const std::uint8_t> request)
{
    if (!transport_)
        return false;
    transport_->purge();
    const long sent = transport_->write(request);
    if (sent == kTransportCallFailed) {
        sys::SetLastError(LINK_ERR_IO);
        return false;
    }
    if (sent == 0) {
        sys::SetLastError(LINK_ERR_NOTHING_WRITTEN);
        return false;
    }
    // A request cut short cannot be answered; do not wait for a reply.
    if (std::size_t(sent) < request.size()) {
        sys::SetLastError(LINK_ERR_IO);
        return false;
    }
    return true;
}

bool CameraLink::sendRequest(std::uint8_t command, std::span<const std::uint8_t> parameters)
{
    std::array<std::uint8_t, kShortPacket> request{};
    const std::size_t size = frameRequest(command, parameters, request);
    return size != 0 && send(std::span(request).first(size));
}

bool CameraLink::readExact(std::span<std::uint8_t> reply, std::span<const std::uint8_t> accepted)
{
    if (!transport_)
        return false;
    const long got = transport_->read(reply);
    if (got == kTransportCallFailed) {
        sys::SetLastError(LINK_ERR_IO);
        return false;
    }
    if (got == 0) {
        sys::SetLastError(LINK_ERR_NO_DATA);
        return false;
    }
    if (std::size_t(got) >= reply.size())
        return true;
    if (got == 1) {
        for (const std::uint8_t byte : accepted) {
            if (reply[0] == byte)
                return true;
        }
    }
    sys::SetLastError(LINK_ERR_UNEXPECTED);
    return false;
}

bool CameraLink::exchange(std::uint8_t command, std::span<const std::uint8_t> parameters,
                          std::initializer_list<std::uint32_t> delaysMs, std::span<std::uint8_t> reply,
                          std::optional<std::size_t> expectedLength)
{
    beginCommand(command);
    if (!sendRequest(command, parameters))
        return false;
    for (const std::uint32_t delay : delaysMs)
        sys::Sleep(linkWait(delay));
    return readExact(reply) && replyIsValid(reply, command, expectedLength);
}

bool CameraLink::getStatus(std::uint8_t* status)
{
    std::array<std::uint8_t, kStatusReplySize> reply{};
    if (!exchange(CMD_STATUS, {}, {kSendDelayMs}, reply, kStatusReplyLength))
        return false;
    if (status != nullptr)
        *status = reply[4];
    return true;
}

bool CameraLink::getCameraInfo(CameraInfo& info)
{
    std::array<std::uint8_t, kInfoReplySize> reply{};
    if (!exchange(CMD_CAMERA_INFO, {}, {kSendDelayMs}, reply, kInfoReplyLength))
        return false;
    info.assign(std::span(reply).subspan(kInfoDataOffset, kInfoBlockSize));
    modelCode_ = info.modelCode();
    firmwareVersion_ = info.firmwareVersionNumber();
    return true;
}

bool CameraLink::setParameter(std::uint8_t id, std::uint8_t value)
{
    std::array<std::uint8_t, 1 + kParameterValueBytes> parameters{};
    parameters[0] = id;
    parameters[1] = value;
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_SET_PARAMETER, parameters, {kParameterDelayMs}, reply, kStatusReplyLength) &&
           reply[4] == kStatusDone;
}

bool CameraLink::setDateTime(const CameraDateBytes& date)
{
    const std::array<std::uint8_t, 1 + kParameterValueBytes> parameters = {
        kParameterDateTime, date.yearCode, date.month, date.day, date.hour, date.minute, date.second};
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_SET_PARAMETER, parameters, {kParameterDelayMs}, reply, kStatusReplyLength) &&
           reply[4] == kStatusDone;
}

bool CameraLink::setSpeed(std::uint8_t speedIndex)
{
    const std::array<std::uint8_t, 1> parameters = {speedIndex};
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_SET_SPEED, parameters, {kSendDelayMs}, reply, kStatusReplyLength) &&
           reply[4] == kStatusDone;
}

bool CameraLink::getPictureInfo(std::uint16_t picture, PictureInfo& info)
{
    std::array<std::uint8_t, 2> parameters{};
    sys::writeLe16(parameters.data(), picture);
    std::array<std::uint8_t, kInfoReplySize> reply{};
    if (!exchange(CMD_PICTURE_INFO, parameters, {kSendDelayMs, kPictureInfoDelayMs}, reply, kInfoReplyLength) ||
        reply[4] != kStatusDone)
        return false;
    info.assign(std::span(reply).subspan(kInfoDataOffset, kInfoBlockSize));
    return true;
}

bool CameraLink::erase(std::uint16_t picture)
{
    std::array<std::uint8_t, 2> parameters{};
    sys::writeLe16(parameters.data(), picture);
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_ERASE, parameters, {kSendDelayMs}, reply, kStatusReplyLength) && reply[4] == kStatusDone;
}

bool CameraLink::capture()
{
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_CAPTURE, {}, {kSendDelayMs}, reply, kStatusReplyLength) && reply[4] == kStatusDone;
}

bool CameraLink::beginUpload(std::uint32_t size)
{
    std::array<std::uint8_t, kUploadParameterBytes> parameters{};
    std::copy(kUploadPreamble.begin(), kUploadPreamble.end(), parameters.begin());
    sys::writeLe32(&parameters[kUploadPreamble.size()], size);
    std::array<std::uint8_t, kStatusReplySize> reply{};
    return exchange(CMD_BEGIN_UPLOAD, parameters, {kSendDelayMs}, reply, std::nullopt) && reply[4] == kStatusDone;
}

bool CameraLink::ReadThumbnail(std::uint16_t picture, std::span<std::uint8_t> destination)
{
    return pagedRead(CMD_READ_THUMBNAIL, picture, destination);
}

bool CameraLink::ReadPicture(std::uint16_t picture, std::span<std::uint8_t> destination)
{
    return pagedRead(CMD_READ_PICTURE, picture, destination);
}

}  // namespace qm::device
