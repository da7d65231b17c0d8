#include "device/transport/usb_transport.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "device/transport/link_timing.h"
#include "device/transport/transport_strings.h"
#include "platform/system/timing.h"

namespace qm::device {
namespace {

constexpr std::uint32_t kProbeGiveUpMs = 3000;
constexpr std::uint32_t kProbePauseMs = 500;
constexpr std::uint32_t kReadTimeoutMs = 1800;

std::mutex diagnosticMutex;
std::string diagnostic;

void noteDiagnostic(const char* text)
{
    std::lock_guard lock(diagnosticMutex);
    diagnostic = text;
}

usb::HANDLE openDriver()
{
    return usb::CreateFile(usb::kDriverDeviceName, usb::GENERIC_READ, usb::FILE_SHARE_READ | usb::FILE_SHARE_WRITE,
                           nullptr, usb::OPEN_EXISTING, usb::FILE_FLAG_OVERLAPPED, nullptr);
}

}  // namespace

std::string lastUsbDiagnostic()
{
    std::lock_guard lock(diagnosticMutex);
    return diagnostic;
}

UsbTransport::UsbTransport(std::uint16_t productId) : CameraTransport(TransportKind::Usb), productId_(productId) {}

UsbTransport::~UsbTransport()
{
    if (device_)
        Close();
}

bool UsbTransport::Open(ProbeCallback probe, SpeedCallback, void* user)
{
    if (device_ || probe == nullptr)
        return false;
    if (!registerCamera())
        return false;

    const std::uint32_t start = sys::GetTickCount();
    while (!probe(user)) {
        if (sys::GetTickCount() - start >= linkWait(kProbeGiveUpMs)) {
            // A camera that never answered is let go at once.
            unregisterCamera();
            return false;
        }
        sys::Sleep(linkWait(kProbePauseMs));
    }
    return device_ && device_->deviceHandle != 0;
}

bool UsbTransport::registerCamera()
{
    const usb::HANDLE scanHandle = openDriver();
    if (scanHandle == nullptr) {
        noteDiagnostic(strings::kUsbDriverOpenFailed);
        return false;
    }
    usb::VersionRecord version;
    if (!usb::QueryVersion(scanHandle, &version) || version.version <= kLastUnusableAccessVersion) {
        noteDiagnostic(strings::kUsbDriverTooOld);
        usb::CloseHandle(scanHandle);
        return false;
    }
    usb::ScanRecord scan;
    scan.vendorId = kCameraVendorId;
    scan.productId = productId_;
    const bool found = usb::ScanDevices(scanHandle, &scan) && scan.deviceCount > 0;
    usb::CloseHandle(scanHandle);
    if (!found) {
        noteDiagnostic(strings::kUsbDeviceOpenFailed);
        return false;
    }

    auto record = std::make_unique<DeviceRecord>();
    record->driver = openDriver();
    if (record->driver == nullptr) {
        noteDiagnostic(strings::kUsbDriverOpenFailed);
        return false;
    }
    usb::RegisterRecord request;
    request.uniqueId = scan.devices[0].uniqueId;
    request.configuration = 0;
    request.interfaceNumber = 0;
    request.alternateSetting = 0;
    if (!usb::RegisterDevice(record->driver, &request) || request.deviceHandle == 0) {
        noteDiagnostic(strings::kUsbDeviceOpenFailed);
        usb::CloseHandle(record->driver);
        return false;
    }
    std::memcpy(record->info.data(), request.deviceInfo, record->info.size());
    record->deviceHandle = request.deviceHandle;

    const usb::DeviceRecord deviceRequest{record->deviceHandle};
    usb::ResetDevice(record->driver, &deviceRequest);
    for (const usb::DWORD pipe : {kRequestPipe, kReplyPipe}) {
        const usb::PipeRecord pipeRequest{record->deviceHandle, pipe};
        usb::ResetPipe(record->driver, &pipeRequest);
    }
    device_ = std::move(record);
    return true;
}

void UsbTransport::unregisterCamera()
{
    if (!device_)
        return;
    const usb::DeviceRecord request{device_->deviceHandle};
    usb::UnregisterDevice(device_->driver, &request);
    usb::CloseHandle(device_->driver);
    device_.reset();
}

bool UsbTransport::Close()
{
    unregisterCamera();
    return true;
}

long UsbTransport::transferPacket(usb::DWORD pipe, bool read, std::uint8_t* packet)
{
    if (!device_)
        return kTransportCallFailed;
    // Every transfer goes through its own short-lived driver handle.
    const usb::HANDLE driver = openDriver();
    if (driver == nullptr)
        return kTransportCallFailed;
    usb::TransferRecord transfer;
    transfer.deviceHandle = device_->deviceHandle;
    transfer.pipe = pipe;
    transfer.read = read ? 1 : 0;
    transfer.buffer = packet;
    transfer.length = kUsbPacketSize;
    transfer.timeoutMs = read ? linkWait(kReadTimeoutMs) : 0;
    const bool requested = usb::Transfer(driver, &transfer);
    usb::CloseHandle(driver);
    if (!requested || !transfer.succeeded)
        return kTransportCallFailed;
    return long(std::min<usb::DWORD>(transfer.bytesTransferred, kUsbPacketSize));
}

long UsbTransport::write(std::span<const std::uint8_t> data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        // The last piece goes out as a whole packet, zero-filled.
        std::array<std::uint8_t, kUsbPacketSize> packet{};
        const std::size_t piece = std::min(kUsbPacketSize, data.size() - sent);
        std::copy_n(data.begin() + long(sent), piece, packet.begin());
        // A failed transfer, or one that moved nothing, ends the write with
        // nothing written.
        if (transferPacket(kRequestPipe, false, packet.data()) <= 0)
            return 0;
        sent += piece;
    }
    return long(sent);
}

long UsbTransport::read(std::span<std::uint8_t> buffer)
{
    std::size_t received = 0;
    while (received < buffer.size()) {
        const std::size_t wanted = buffer.size() - received;
        long moved = 0;
        if (wanted >= kUsbPacketSize) {
            moved = transferPacket(kReplyPipe, true, buffer.data() + received);
        } else {
            // A whole packet is always read; only the wanted bytes are kept.
            std::array<std::uint8_t, kUsbPacketSize> scratch{};
            moved = transferPacket(kReplyPipe, true, scratch.data());
            if (moved > 0)
                std::copy_n(scratch.begin(), std::min(std::size_t(moved), wanted), buffer.begin() + long(received));
        }
        // A failed transfer ends the read with nothing received: to the
        // protocol a camera that does not answer on USB looks as it does on
        // the serial line.
        if (moved == kTransportCallFailed)
            return 0;
        received += std::min(std::size_t(moved), wanted);
        // A short packet ends the camera's reply; waiting for more would
        // only run into the time-out.
        if (std::size_t(moved) < std::min(kUsbPacketSize, wanted))
            break;
    }
    return long(received);
}

}  // namespace qm::device
