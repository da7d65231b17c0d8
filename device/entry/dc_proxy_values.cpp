// The read group (type 3) and the set group (type 4) of the camera session.
#include <algorithm>
#include <cstring>

#include "common/config/kvb_config.h"
#include "device/entry/call_arguments.h"
#include "device/entry/camera_values.h"
#include "device/entry/dc_proxy.h"
#include "device/entry/speed_preference.h"
#include "device/entry/string_table.h"
#include "device/transport/serial_transport.h"
#include "device/transport/speed_table.h"

namespace qm::device {
namespace {

constexpr std::uint32_t kReadReserved20 = 20;
constexpr std::uint32_t kReadReserved22 = 22;

}  // namespace

std::uint8_t CDCProxy::readValue(std::uint32_t code, void* out, void* data)
{
    if (code < kReadReady || code > kReadReserved22 || code == kReadReserved20 || code == kReadReserved22)
        return kDriverUnsupported;
    if (out == nullptr)
        return kDriverFailure;
    switch (code) {
    case kReadFirmwareVersion:
        return readFirmware(out, data);
    case kReadDateTime:
    case kReadDateTimePlain:
        return readClock(code, out);
    case kReadPreferredSpeed:
        storeValue(out, speed_preference::read());
        return kDriverSuccess;
    default:
        break;
    }
    CameraInfo info;
    if (!readCameraInfo(info))
        return kDriverFailure;
    const std::optional<std::uint32_t> value = cameraInfoValue(code, info, usb());
    if (!value)
        return kDriverFailure;
    storeValue(out, *value);
    return kDriverSuccess;
}

std::uint8_t CDCProxy::readFirmware(void* out, void* data)
{
    CameraInfo info;
    if (!readCameraInfo(info))
        return kDriverFailure;
    const std::optional<std::uint32_t> version = cameraInfoValue(kReadFirmwareVersion, info, usb());
    if (!version)
        return kDriverFailure;
    storeValue(out, *version);
    if (data != nullptr) {
        // The text is the camera's 8-byte version field, never more than the
        // block holds; the caller's buffer is zero-padded to its full size.
        auto* text = static_cast<std::uint8_t*>(data);
        std::memset(text, 0, kVersionTextSize);
        const auto first = info.bytes.begin() + CameraInfo::kFirmwareText;
        const auto last = std::find(first, info.bytes.begin() + CameraInfo::kFirmwareTextEnd, std::uint8_t{0});
        std::copy(first, last, text);
    }
    return kDriverSuccess;
}

std::uint8_t CDCProxy::readClock(std::uint32_t code, void* out)
{
    CameraInfo info;
    if (!readCameraInfo(info))
        return kDriverFailure;
    const CameraTime time = cameraClock(info, code == kReadDateTime);
    writeTimeRecord(std::span<std::uint8_t, time_record::kSize>(static_cast<std::uint8_t*>(out), time_record::kSize),
                    time);
    return kDriverSuccess;
}

std::uint8_t CDCProxy::setValue(std::uint32_t code, void* value)
{
    switch (code) {
    case kSetFlashMode:
    case kSetSelfTimer:
    case kSetIconDisplay:
    case kSetLcdDisplay:
    case kSetQualityMode:
    case kSetAutoOffMinutes: {
        const std::optional<std::uint32_t> given = loadValue(value);
        const std::optional<ParameterChange> change = given ? parameterFor(code, *given) : std::nullopt;
        if (!change)
            return kDriverFailure;
        return link_.setParameter(change->id, change->value) ? kDriverSuccess : kDriverFailure;
    }
    case kSetDateTime:
    case kSetTime:
        return setClock(code, value);
    case kSetSpeed:
        return setSpeed(value);
    case kSetRecordMode:
    case kSetReserved12:
        return kDriverFailure;
    case kSetPreferredSpeed:
        return setPreferredSpeed(value);
    default:
        return kDriverUnsupported;
    }
}

std::uint8_t CDCProxy::setClock(std::uint32_t code, void* value)
{
    if (value == nullptr)
        return kDriverFailure;
    const CameraTime time = readTimeRecord(
        std::span<const std::uint8_t, time_record::kSize>(static_cast<const std::uint8_t*>(value), time_record::kSize));
    DateTimeBytes bytes;
    if (code == kSetDateTime) {
        bytes = dateTimeFor(model(), time);
    } else {
        CameraInfo info;
        if (!readCameraInfo(info))
            return kDriverFailure;
        bytes = timeOfDayFor(info, time);
    }
    const CameraDateBytes date{bytes.bytes[0], bytes.bytes[1], bytes.bytes[2],
                               bytes.bytes[3], bytes.bytes[4], bytes.bytes[5]};
    return link_.setDateTime(date) ? kDriverSuccess : kDriverFailure;
}

std::uint8_t CDCProxy::setSpeed(void* value)
{
    const std::optional<std::uint32_t> rate = loadValue(value);
    const std::optional<std::uint8_t> index = rate ? speedIndexOf(*rate) : std::nullopt;
    if (!index || !link_.setSpeed(*index))
        return kDriverFailure;
    // The camera now talks at the new rate; a line left at the old one
    // would lose the session.
    if (auto* serial = dynamic_cast<SerialTransport*>(link_.transport()); serial != nullptr &&
        !serial->followCameraRate(*rate))
        return kDriverFailure;
    config::writeInt(strings::kSectionCommunicationPort, strings::kKeyBaudRate, int(*rate));
    return kDriverSuccess;
}

std::uint8_t CDCProxy::setPreferredSpeed(void* value)
{
    const std::optional<std::uint32_t> rate = loadValue(value);
    if (!rate)
        return kDriverFailure;
    // On USB the line speed means nothing; the preference stays as it is.
    if (!usb())
        speed_preference::write(*rate);
    return kDriverSuccess;
}

}  // namespace qm::device
