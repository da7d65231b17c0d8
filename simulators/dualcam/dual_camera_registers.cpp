// What the camera does when the host reads or writes its registers.
#include "simulators/dualcam/dual_camera.h"

#include "simulators/dualcam/register_map.h"

namespace qm::dualcam {

std::uint8_t DualCamera::readRegister(std::uint16_t address)
{
    const std::uint8_t value = registers_.get(address);
    if (address != reg::kMaster)
        return value;
    // Each look at the ready bit lets a busy command progress.
    const bool ready = !neverReady_ && busyReads_ == 0;
    if (busyReads_ > 0)
        --busyReads_;
    return std::uint8_t((value & ~reg::kMasterReady) | (ready ? reg::kMasterReady : 0));
}

void DualCamera::afterWrite(std::uint16_t first, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return;
    // Transfers to the compressor and the serial bus start when a write
    // begins at their port register.
    switch (first) {
    case reg::kCompression:
        compression_.command(bytes);
        break;
    case reg::kSerialCommand:
        frontEnd_.serialCommand(bytes);
        break;
    case reg::kFrontEndData:
    case reg::kFrontEndSetup:
        frontEnd_.dataWritten(first, bytes);
        break;
    default:
        break;
    }
    const std::size_t last = std::size_t(first) + bytes.size() - 1;
    if (first <= reg::kMaster && reg::kMaster <= last)
        masterWritten(bytes[reg::kMaster - first]);
}

void DualCamera::masterWritten(std::uint8_t value)
{
    if (value & reg::kMasterEnable) {
        // Enabling the controller latches the picture count into 040B-040C.
        const auto [b0, b1] = encodeCount(config_.layout, pictures_.count());
        setResult(b0, b1);
        setBusy(config_.commandBusyReads);
        neverReady_ = false;
    }
    const std::uint8_t strobe = value & (reg::kMasterRun | reg::kMasterVideoMode);
    if (strobe == reg::kMasterExecute) {
        executeCommand();  // a command strobe leaves the streams as they are
        return;
    }
    if (strobe == (reg::kMasterExecute | reg::kMasterRun)) {
        startStillDownload();
        return;
    }
    const bool video = (value & reg::kMasterRun) == reg::kMasterRun &&
                       (value & reg::kMasterVideoMode) == reg::kMasterVideoMode;
    if (video) {
        if (mode_ != StreamMode::Video) {
            stopStreaming();
            mode_ = StreamMode::Video;
        }
    } else {
        stopStreaming();
    }
}

}  // namespace qm::dualcam
