#include "tests/simulators/dualcam/camera_host.h"

#include "platform/system/byte_order.h"
#include "simulators/dualcam/register_map.h"

#include <algorithm>
#include <utility>

namespace qm::dualcam::test {

namespace {

usbd::SetupPacket vendorSetup(bool in, std::uint16_t index, std::size_t length)
{
    usbd::SetupPacket setup;
    setup.bmRequestType = std::uint8_t((in ? usbd::BMREQUEST_DEVICE_TO_HOST : usbd::BMREQUEST_HOST_TO_DEVICE) |
                                       usbd::BMREQUEST_VENDOR | usbd::BMREQUEST_TO_DEVICE);
    setup.bRequest = 0;
    setup.wValue = 0;
    setup.wIndex = index;
    setup.wLength = std::uint16_t(length);
    return setup;
}

}  // namespace

bool CameraHost::write(std::uint16_t first, const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t n = std::min(reg::kMaxRun, bytes.size() - done);
        const auto address = std::uint16_t(first + done);
        ++requests_;
        const auto result = camera_.controlOut(vendorSetup(false, address, n), {bytes.data() + done, n});
        if (result.stall || result.length != n)
            return false;
        done += n;
    }
    return true;
}

std::vector<std::uint8_t> CameraHost::read(std::uint16_t first, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(reg::kMaxRun, count - done);
        ++requests_;
        const auto result = camera_.controlIn(vendorSetup(true, std::uint16_t(first + done), n), {bytes.data() + done, n});
        if (result.stall)
            return {};
        done += n;
    }
    return bytes;
}

bool CameraHost::waitReady(int tries)
{
    for (int i = 0; i < tries; ++i) {
        const auto value = read(reg::kMaster, 1);
        if (!value.empty() && (value[0] & reg::kMasterReady))
            return true;
    }
    return false;
}

bool CameraHost::command(std::uint8_t code)
{
    return waitReady() && writeByte(reg::kCommandCode, code) && writeByte(reg::kMaster, reg::kMasterExecute) &&
           waitReady();
}

bool CameraHost::command(std::uint8_t argument, std::uint8_t code)
{
    return waitReady() && write(reg::kCommandArgument, {argument, code}) &&
           writeByte(reg::kMaster, reg::kMasterExecute) && waitReady();
}

std::pair<std::uint8_t, std::uint8_t> CameraHost::result()
{
    const auto bytes = read(reg::kCommandArgument, 2);
    return {bytes.at(0), bytes.at(1)};
}

void CameraHost::idleFrame() { camera_.startOfFrame(++frame_); }

IsoFrame CameraHost::step()
{
    ++frame_;
    camera_.startOfFrame(frame_);
    IsoFrame out;
    const std::uint8_t alternate = camera_.alternateSetting();
    if (kDataPacketSize[alternate] == 0)
        return out;
    out.data.resize(kDataPacketSize[alternate]);
    const auto data = camera_.isochronousIn(kDataEndpoint, frame_, out.data);
    out.data.resize(data.length);
    out.dataStatus = data.status;
    std::uint8_t sync = 0;
    const auto syncResult = camera_.isochronousIn(kSyncEndpoint, frame_, {&sync, 1});
    out.syncStatus = syncResult.status;
    out.sync = (syncResult.length == 1 && usbd::USBD_SUCCESS(syncResult.status)) ? sync : 0;
    return out;
}

std::optional<ReceivedFrame> FrameAssembler::add(const IsoFrame& packet)
{
    frame_.raw.insert(frame_.raw.end(), packet.data.begin(), packet.data.end());
    frame_.received += packet.data.size();
    frame_.badPackets |= usbd::USBD_ERROR(packet.dataStatus) || usbd::USBD_ERROR(packet.syncStatus);
    frame_.snapshotButton |= (packet.sync & kSyncSnapshotButton) != 0;
    if (!(packet.sync & kSyncEndOfFrame))
        return std::nullopt;
    if (packet.data.size() >= 2)
        frame_.announced = 4u * sys::readLe16(&packet.data[packet.data.size() - 2]) + 2;
    if (frame_.valid())
        fixUpFrame(frame_.raw);
    return std::exchange(frame_, ReceivedFrame{});
}

std::optional<ReceivedFrame> CameraHost::nextFrame(unsigned limit)
{
    FrameAssembler assembler;
    for (unsigned i = 0; i < limit; ++i) {
        if (auto frame = assembler.add(step()))
            return frame;
    }
    return std::nullopt;
}

void CameraHost::startVideo(int sizeCode, int rateIndex, std::uint8_t quality, std::uint8_t alternate)
{
    selectAlternate(alternate);
    write(reg::kFrameControl, {std::uint8_t(0xA0 | (sizeCode << 2))});
    write(reg::kFrameRate, {std::uint8_t(0x01 | (rateIndex << 3))});
    write(reg::kCompression, {quality});
    writeByte(reg::kMaster, 0xBE);
}

void CameraHost::stopVideo() { writeByte(reg::kMaster, 0xB8); }

std::optional<DecodedImage> decodeVideoFrame(const ReceivedFrame& frame, int width, int height)
{
    if (!frame.valid())
        return std::nullopt;
    const int sampling = (width == 160 || width == 176) ? 2 : 3;
    return decodeJpeg(assembleJpeg(frame.raw, width, height, sampling));
}

}  // namespace qm::dualcam::test
