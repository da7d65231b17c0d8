// The still-camera command interface: 040B-040C carry a command, a strobe of
// 0410 runs it, and 0410 bit 7 reads ready once the camera is done.
#include "simulators/dualcam/dual_camera.h"

#include "simulators/dualcam/jpeg_tables.h"
#include "simulators/dualcam/register_map.h"
#include "simulators/dualcam/scan_encoder.h"
#include "simulators/dualcam/video_settings.h"

#include <algorithm>

namespace qm::dualcam {

namespace {

constexpr unsigned kPictureTakingFactor = 4;  // taking a picture keeps the camera busy longer

}  // namespace

void DualCamera::setResult(std::uint8_t b0, std::uint8_t b1)
{
    registers_.set(reg::kCommandArgument, b0);
    registers_.set(reg::kCommandCode, b1);
}

void DualCamera::setBusy(unsigned reads)
{
    busyReads_ = reads;
}

void DualCamera::executeCommand()
{
    const Command command =
        decodeCommand(config_.layout, registers_.get(reg::kCommandCode), registers_.get(reg::kCommandArgument));
    unsigned busy = config_.commandBusyReads;
    switch (command.kind) {
    case StillCommand::SetMode:
        // The still-camera mode ends live video.
        stopStreaming();
        break;
    case StillCommand::PictureTable:
        loadTableWindow(command.number);
        break;
    case StillCommand::FreeCount: {
        const auto [b0, b1] = encodeCount(config_.layout, pictures_.freeCount());
        setResult(b0, b1);
        break;
    }
    case StillCommand::GetStatus:
        setResult(0, status_);
        break;
    case StillCommand::SetStatus:
        status_ = command.argument;
        break;
    case StillCommand::TakePicture:
        takePicture();
        busy *= kPictureTakingFactor;
        break;
    case StillCommand::Download:
        armedDownload_ = std::deque<std::size_t>{command.number};
        break;
    case StillCommand::DownloadNext: {
        std::deque<std::size_t> numbers;
        for (std::size_t n = std::max<std::size_t>(command.number, 1); n <= pictures_.count(); ++n)
            numbers.push_back(n);
        armedDownload_ = std::move(numbers);
        break;
    }
    case StillCommand::FlashWriteId:
        break;
    case StillCommand::FlashReadId:
        registers_.set(reg::kFlashMakerId, config_.flashMakerCode);
        registers_.set(reg::kFlashDeviceId, config_.flashDeviceCode);
        break;
    case StillCommand::Delete:
        pictures_.remove(command.number);
        break;
    case StillCommand::FirmwareVersion:
        setResult(config_.firmwareBytes[0], config_.firmwareBytes[1]);
        break;
    case StillCommand::TableSize: {
        const auto [b0, b1] = encodeCount(config_.layout, pictures_.count());
        setResult(b0, b1);
        break;
    }
    case StillCommand::Unknown:
        break;  // the camera leaves 040B-040C as written
    }
    setBusy(busy);
    // A hung command keeps the interface busy until the controller is
    // enabled again.
    if (consumeFault(Fault::CommandNeverReady))
        neverReady_ = true;
}

void DualCamera::loadTableWindow(std::size_t first)
{
    tableWindow_.fill(0);
    if (consumeFault(Fault::BlankTableWindow))
        return;
    for (std::size_t i = 0; i < tableWindow_.size() / 2; ++i) {
        const std::size_t k = first + i;
        if (k >= pictures_.count())
            break;
        const std::uint16_t entry = pictures_.tableEntry(k);
        tableWindow_[2 * i] = std::uint8_t(entry);
        tableWindow_[2 * i + 1] = std::uint8_t(entry >> 8);
    }
}

void DualCamera::takePicture()
{
    if (pictures_.freeCount() == 0)
        return;
    const DevelopedFrame developed = developCurrent(kPictureWidth, kPictureHeight);
    int quality = config_.snapshotQuality;
    auto scan = encodeScan(developed.image, quality, kStillSampling);
    if (scan)
        pictures_.add(std::move(*scan), std::uint8_t(quality), config_.snapshotAppSegment);
}

void DualCamera::startStillDownload()
{
    // The start byte must be in 041B and a download command must have run.
    if (registers_.get(reg::kStillStart) != reg::kStillStartByte || !armedDownload_)
        return;
    stopStreaming();
    stillQueue_ = std::move(*armedDownload_);
    armedDownload_.reset();
    mode_ = StreamMode::Still;
    holdUntilMs_ = kRestartPauseMs;
}

}  // namespace qm::dualcam
