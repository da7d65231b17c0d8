// Frames on the isochronous pipes: when the next one is due, what goes into
// it, and the packet and sync byte of every 1 ms frame.
#include "simulators/dualcam/dual_camera.h"

#include "platform/system/byte_order.h"
#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/register_map.h"
#include "simulators/dualcam/scan_encoder.h"
#include "simulators/dualcam/video_settings.h"

#include <algorithm>

namespace qm::dualcam {

namespace {

constexpr std::uint64_t kStillFrameGapMs = 2;  // pause between two stored pictures
constexpr int kQualityStepWhenTooBig = 16;
// Room left in a frame for the segment, header, fill and trailer.
constexpr std::size_t kFrameOverhead = kAppSegmentSize + 16;

}  // namespace

void DualCamera::stopStreaming()
{
    mode_ = StreamMode::Idle;
    packets_.abort();
    stillQueue_.clear();
    clockMs_ = 0;
    nextFrameDueUs_ = 0;
    holdUntilMs_ = 0;
}

void DualCamera::startOfFrame(std::uint32_t)
{
    std::lock_guard lock(mutex_);
    if (dead_) {
        pending_ = {};
        return;
    }
    if (unplugIn_) {
        if (*unplugIn_ == 0) {
            dead_ = true;
            pending_ = {};
            return;
        }
        --*unplugIn_;
    }
    // Stored pictures leave the flash only as fast as the host takes them:
    // a packet no transfer asked for waits in the camera for the next frame.
    // Live video does not wait; its frames are lost.
    const bool waiting = mode_ == StreamMode::Still && !pending_.dataTaken && !pending_.data.empty() &&
                         usbd::USBD_SUCCESS(pending_.dataStatus);
    if (waiting)
        return;
    pending_ = {};
    producePackets();
}

void DualCamera::producePackets()
{
    pending_.sync = buttonHeld_ ? kSyncSnapshotButton : 0;
    const std::size_t maxPacket = kDataPacketSize[alternate_];
    if (maxPacket != 0 && mode_ != StreamMode::Idle) {
        ++clockMs_;
        const bool holding = clockMs_ <= holdUntilMs_;
        if (!holding && !packets_.active() && clockMs_ * 1000 >= nextFrameDueUs_) {
            if (mode_ == StreamMode::Video)
                beginVideoFrame();
            else
                beginStillFrame();
        }
        const PacketStream::Chunk chunk = holding ? PacketStream::Chunk{} : packets_.next(maxPacket);
        pending_.data.assign(chunk.bytes.begin(), chunk.bytes.end());
        if (chunk.last) {
            pending_.sync |= kSyncEndOfFrame;
            ++framesSent_;
        }
        if (!pending_.data.empty())
            applyPacketFaults(pending_);
    }
    if (dataStalled_) {
        pending_.data.clear();
        pending_.dataStatus = usbd::USBD_STATUS_STALL_PID;
    }
    if (syncStalled_)
        pending_.syncStatus = usbd::USBD_STATUS_STALL_PID;
}

usbd::IsoPacketResult DualCamera::isochronousIn(std::uint8_t endpointAddress, std::uint32_t,
                                                std::span<std::uint8_t> packet)
{
    std::lock_guard lock(mutex_);
    if (dead_)
        return {0, usbd::USBD_STATUS_DEV_NOT_RESPONDING};
    if (endpointAddress == kDataEndpoint) {
        pending_.dataTaken = true;
        const std::size_t n = std::min(pending_.data.size(), packet.size());
        std::copy_n(pending_.data.begin(), n, packet.begin());
        usbd::USBD_STATUS status = pending_.dataStatus;
        if (n < pending_.data.size() && usbd::USBD_SUCCESS(status))
            status = usbd::USBD_STATUS_BUFFER_OVERRUN;  // the host's buffer had no room for it all
        return {n, status};
    }
    if (endpointAddress == kSyncEndpoint) {
        if (usbd::USBD_ERROR(pending_.syncStatus))
            return {0, pending_.syncStatus};
        if (packet.empty())
            return {0, usbd::USBD_STATUS_BUFFER_OVERRUN};
        packet[0] = pending_.sync;
        return {1, usbd::USBD_STATUS_SUCCESS};
    }
    return {0, usbd::USBD_STATUS_SUCCESS};
}

bool DualCamera::beginVideoFrame()
{
    const FrameSize size = frameSize(registers_);
    const DevelopedFrame developed = developCurrent(size.width, size.height);
    latchStatistics(developed.statistics);
    int quality = 0;
    auto scan = compressFrame(developed.image, compression_.quality(), videoSampling(size.width), quality);
    nextFrameDueUs_ = std::max(nextFrameDueUs_ + framePeriodUs(registers_), clockMs_ * 1000);
    if (!scan)
        return false;
    FrameParts parts;
    parts.quality = std::uint8_t(quality);
    parts.scan = *scan;
    auto frame = buildFrame(parts);
    if (!frame)
        return false;
    compression_.frameEncoded(frame->size());
    lastQuality_ = quality;
    keepRecentFrame(*frame);
    applyFrameFaults(*frame);
    packets_.begin(std::move(*frame));
    return true;
}

bool DualCamera::beginStillFrame()
{
    while (!stillQueue_.empty()) {
        const std::size_t number = stillQueue_.front();
        stillQueue_.pop_front();
        auto frame = pictures_.frame(number, config_.reportPictureIndex);
        if (!frame)
            continue;
        lastQuality_ = (*frame)[(*frame)[0] == 0xFF ? kAppSegmentSize : 0];
        keepRecentFrame(*frame);
        applyFrameFaults(*frame);
        packets_.begin(std::move(*frame));
        nextFrameDueUs_ = (clockMs_ + kStillFrameGapMs) * 1000;
        return true;
    }
    return false;
}

void DualCamera::keepRecentFrame(const std::vector<std::uint8_t>& frame)
{
    recentFrames_.push_back(frame);
    if (recentFrames_.size() > kRecentFramesKept)
        recentFrames_.pop_front();
}

std::optional<std::vector<std::uint8_t>> DualCamera::compressFrame(const YCbCrImage& image, int quality,
                                                                   Sampling sampling, int& usedQuality)
{
    // A frame the trailer cannot count is compressed again, coarser.
    for (int q = quality;; q = std::min(CompressionControl::kMaxQuality, q + kQualityStepWhenTooBig)) {
        auto scan = encodeScan(image, q, sampling);
        if (!scan)
            return std::nullopt;
        if (scan->size() + kFrameOverhead <= kMaxFrameBytes || q == CompressionControl::kMaxQuality) {
            usedQuality = q;
            return scan;
        }
    }
}

DevelopedFrame DualCamera::developCurrent(int width, int height)
{
    const PipelineSettings settings = pipelineSettings(registers_, frontEnd_, scene_.config(), darkLevel());
    return developFrame(scene_.render(width, height, sceneFrame_++), settings);
}

void DualCamera::latchStatistics(const FrameStatistics& statistics)
{
    statistics_ = statistics;
    std::uint8_t bytes[4];
    for (std::size_t c = 0; c < 3; ++c) {
        sys::writeLe32(bytes, statistics.whiteBalanceSums[c]);
        for (int i = 0; i < 4; ++i)
            registers_.set(std::uint16_t(reg::kWhiteBalanceSums + 4 * c + std::size_t(i)), bytes[i]);
    }
    sys::writeLe32(bytes, statistics.whiteBalancePixels);
    for (int i = 0; i < 4; ++i)
        registers_.set(std::uint16_t(reg::kWhiteBalanceCount + i), bytes[i]);
    registers_.set(reg::kOpticalBlackLevel, statistics.opticalBlack);
    for (std::size_t i = 0; i < reg::kLuminanceCells; ++i)
        registers_.set(std::uint16_t(reg::kLuminanceGrid + i), statistics.luminanceGrid[i]);
}

FrameStatistics DualCamera::measureNow()
{
    std::lock_guard lock(mutex_);
    const FrameSize size = frameSize(registers_);
    const DevelopedFrame developed = developCurrent(size.width, size.height);
    latchStatistics(developed.statistics);
    return statistics_;
}

void DualCamera::applyFrameFaults(std::vector<std::uint8_t>& frame)
{
    if (frame.size() < kTrailerSize)
        return;
    if (consumeFault(Fault::MissingTrailer)) {
        frame.resize(frame.size() - kTrailerSize);
    } else if (consumeFault(Fault::WrongCount)) {
        std::uint8_t* trailer = &frame[frame.size() - kTrailerSize];
        sys::writeLe16(trailer, std::uint16_t(sys::readLe16(trailer) + 1));
    }
}

void DualCamera::applyPacketFaults(PendingPackets& out)
{
    if (consumeFault(Fault::PacketError)) {
        out.dataStatus = usbd::USBD_STATUS_CRC;
    } else if (consumeFault(Fault::DroppedPacket)) {
        out.data.clear();
    } else if (consumeFault(Fault::ShortPacket)) {
        out.data.resize(out.data.size() / 2);
    }
}

}  // namespace qm::dualcam
