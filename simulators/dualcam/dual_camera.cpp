#include "simulators/dualcam/dual_camera.h"

#include "platform/usbd/descriptor_builder.h"
#include "simulators/dualcam/register_map.h"

#include <algorithm>

namespace qm::dualcam {

namespace {

constexpr std::uint8_t kRegisterRequest = 0;
constexpr std::uint8_t kStatusInterval = 16;  // ms between polls of the interrupt endpoint

bool isVendorRegisterRequest(const usbd::SetupPacket& setup)
{
    const std::uint8_t type = setup.bmRequestType & 0x60;
    const std::uint8_t recipient = setup.bmRequestType & 0x1F;
    return type == usbd::BMREQUEST_VENDOR && recipient == usbd::BMREQUEST_TO_DEVICE &&
           setup.bRequest == kRegisterRequest;
}

std::size_t pictureCapacity(const DualCamConfig& config)
{
    if (config.pictureCapacity)
        return config.pictureCapacity;
    return std::size_t(flashMegabytes(config.flashDeviceCode)) * 10;
}

}  // namespace

unsigned flashMegabytes(std::uint8_t deviceCode)
{
    switch (deviceCode) {
    case 0x64:
    case 0xEA:
        return 2;
    case 0x6B:
    case 0xE3:
    case 0xE5:
        return 4;
    case 0xE6:
        return 8;
    case 0x73:
        return 16;
    case 0x75:
        return 32;
    default:
        return 8;
    }
}

DualCamera::DualCamera(DualCamConfig config)
    : config_(std::move(config)),
      frontEnd_(config_.ccdType, config_.cdsType),
      pictures_(config_.pictures, pictureCapacity(config_)),
      scene_(config_.scene)
{
    powerOn();
}

void DualCamera::powerOn()
{
    registers_.powerOn();
    frontEnd_ = FrontEnd(config_.ccdType, config_.cdsType);
    compression_.reset();
    packets_.abort();
    mode_ = StreamMode::Idle;
    alternate_ = 0;
    busyReads_ = 0;
    neverReady_ = false;
    armedDownload_.reset();
    stillQueue_.clear();
    dataStalled_ = syncStalled_ = false;
    pending_ = {};
}

int DualCamera::darkLevel() const { return config_.opticalBlack >= 0 ? config_.opticalBlack : frontEnd_.darkLevel(); }

// --- descriptors ---

std::vector<std::uint8_t> DualCamera::deviceDescriptor() const
{
    usbd::DeviceIdentity identity;
    identity.idVendor = config_.vendorId;
    identity.idProduct = config_.productId;
    identity.bcdDevice = std::uint16_t((config_.firmwareBytes[0] << 8) | config_.firmwareBytes[1]);
    return usbd::makeDeviceDescriptor(identity);
}

std::vector<std::uint8_t> DualCamera::configurationDescriptor() const
{
    usbd::ConfigurationBuilder builder;
    for (std::uint8_t alt = 0; alt < kAlternateSettings; ++alt) {
        builder.interface(0, alt);
        builder.endpoint(kStatusEndpoint, usbd::USB_ENDPOINT_TYPE_INTERRUPT, 1, kStatusInterval);
        builder.isochronousIn(kDataEndpoint & 0x0F, kDataPacketSize[alt]);
        builder.isochronousIn(kSyncEndpoint & 0x0F, alt == 0 ? 0 : 1);
    }
    return builder.build();
}

// --- control requests ---

usbd::ControlResult DualCamera::controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data)
{
    if (!isVendorRegisterRequest(setup))
        return usbd::ControlResult::stalled();
    const auto length = std::min<std::size_t>(setup.wLength, data.size());
    if (!readRegisters(setup.wIndex, data.first(length)))
        return usbd::ControlResult::stalled();
    return usbd::ControlResult::ok(length);
}

usbd::ControlResult DualCamera::controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data)
{
    if (!isVendorRegisterRequest(setup))
        return usbd::ControlResult::stalled();
    const auto length = std::min<std::size_t>(setup.wLength, data.size());
    if (!writeRegisters(setup.wIndex, data.first(length)))
        return usbd::ControlResult::stalled();
    return usbd::ControlResult::ok(length);
}

bool DualCamera::readRegisters(std::uint16_t first, std::span<std::uint8_t> into)
{
    std::lock_guard lock(mutex_);
    if (dead_ || into.size() > reg::kMaxRun)
        return false;
    if (first == reg::kPictureTableWindow) {
        std::copy_n(tableWindow_.begin(), into.size(), into.begin());
        return true;
    }
    for (std::size_t i = 0; i < into.size(); ++i)
        into[i] = readRegister(std::uint16_t(first + i));
    return true;
}

bool DualCamera::writeRegisters(std::uint16_t first, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (dead_ || bytes.size() > reg::kMaxRun)
        return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto address = std::uint16_t(first + i);
        if (RegisterFile::hostWritable(address))
            registers_.set(address, bytes[i]);
    }
    afterWrite(first, bytes);
    return true;
}

// --- bus notifications ---

void DualCamera::configurationSelected(std::uint8_t configurationValue)
{
    std::lock_guard lock(mutex_);
    if (configurationValue == 0)
        stopStreaming();
    alternate_ = 0;
}

void DualCamera::interfaceSelected(std::uint8_t interfaceNumber, std::uint8_t alternateSetting)
{
    std::lock_guard lock(mutex_);
    if (interfaceNumber != 0 || alternateSetting >= kAlternateSettings)
        return;
    alternate_ = alternateSetting;
    if (alternate_ == 0)
        packets_.abort();  // no bandwidth: the frame being sent is lost
}

void DualCamera::pipeReset(std::uint8_t endpointAddress)
{
    std::lock_guard lock(mutex_);
    if (endpointAddress == kDataEndpoint) {
        dataStalled_ = false;
        pending_ = {};  // the reset empties the FIFO too
        packets_.rewind();
        holdUntilMs_ = clockMs_ + kRestartPauseMs;
    } else if (endpointAddress == kSyncEndpoint) {
        syncStalled_ = false;
    }
}

void DualCamera::pipeAborted(std::uint8_t) {}

void DualCamera::portReset()
{
    std::lock_guard lock(mutex_);
    powerOn();  // a bus reset restarts the controller
}

void DualCamera::unplugged()
{
    std::lock_guard lock(mutex_);
    // Power goes with the cable; the flash memory keeps the pictures.
    powerOn();
    dead_ = false;
    unplugIn_.reset();
}

// --- configuration ---

void DualCamera::setScene(SceneConfig scene)
{
    std::lock_guard lock(mutex_);
    scene_ = SceneRenderer(std::move(scene));
}

void DualCamera::setSnapshotButton(bool held)
{
    std::lock_guard lock(mutex_);
    buttonHeld_ = held;
}

void DualCamera::injectFault(Fault fault, unsigned count)
{
    std::lock_guard lock(mutex_);
    switch (fault) {
    case Fault::StalledDataPipe:
        dataStalled_ = true;
        break;
    case Fault::StalledSyncPipe:
        syncStalled_ = true;
        break;
    case Fault::Unplug:
        if (count == 0)
            dead_ = true;
        else
            unplugIn_ = count;
        break;
    default:
        faults_[std::size_t(fault)] += count;
        break;
    }
}

void DualCamera::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.fill(0);
    dataStalled_ = syncStalled_ = false;
    neverReady_ = false;
    unplugIn_.reset();
}

bool DualCamera::consumeFault(Fault fault)
{
    auto& left = faults_[std::size_t(fault)];
    if (left == 0)
        return false;
    --left;
    return true;
}

// --- inspection ---

std::uint8_t DualCamera::registerValue(std::uint16_t address) const
{
    std::lock_guard lock(mutex_);
    return registers_.get(address);
}

StreamMode DualCamera::streamMode() const
{
    std::lock_guard lock(mutex_);
    return mode_;
}

std::uint8_t DualCamera::alternateSetting() const
{
    std::lock_guard lock(mutex_);
    return alternate_;
}

std::size_t DualCamera::pictureCount() const
{
    std::lock_guard lock(mutex_);
    return pictures_.count();
}

int DualCamera::frontEndGain() const
{
    std::lock_guard lock(mutex_);
    return frontEnd_.gainCode();
}

int DualCamera::lastQuality() const
{
    std::lock_guard lock(mutex_);
    return lastQuality_;
}

std::uint32_t DualCamera::framesSent() const
{
    std::lock_guard lock(mutex_);
    return framesSent_;
}

std::vector<std::vector<std::uint8_t>> DualCamera::recentFrames() const
{
    std::lock_guard lock(mutex_);
    return {recentFrames_.begin(), recentFrames_.end()};
}

FrameStatistics DualCamera::statistics() const
{
    std::lock_guard lock(mutex_);
    return statistics_;
}

bool DualCamera::dead() const
{
    std::lock_guard lock(mutex_);
    return dead_;
}

}  // namespace qm::dualcam
