// Real devices through libusb. A device's unique identifier is its bus and
// address, which stay the same while it stays plugged in.
#include <libusb.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/usb/usb_backend.h"

namespace qm::usb {
namespace {

DWORD uniqueIdOf(libusb_device* device)
{
    return (DWORD(libusb_get_bus_number(device)) << 8) | libusb_get_device_address(device);
}

class LibusbDevice : public OpenDevice {
public:
    LibusbDevice(libusb_device_handle* handle, int interfaceNumber)
        : handle_(handle), interfaceNumber_(interfaceNumber)
    {
    }
    ~LibusbDevice() override
    {
        libusb_release_interface(handle_, interfaceNumber_);
        libusb_close(handle_);
    }

    bool reset() override { return libusb_reset_device(handle_) == 0; }
    bool resetPipe(std::uint8_t endpoint) override { return libusb_clear_halt(handle_, endpoint) == 0; }

    BulkResult bulk(std::uint8_t endpoint, std::span<std::uint8_t> data, std::uint32_t timeoutMs) override
    {
        int moved = 0;
        const int length = int(std::min<std::size_t>(data.size(), 0x7FFFFFFF));
        const int rc = libusb_bulk_transfer(handle_, endpoint, data.data(), length, &moved, timeoutMs);
        if (rc != 0 || moved < 0)
            return {};
        return {true, std::size_t(moved)};
    }

private:
    libusb_device_handle* handle_;
    int interfaceNumber_;
};

class LibusbBackend : public Backend {
public:
    explicit LibusbBackend(libusb_context* context) : context_(context) {}

    std::vector<ScanMatch> scan(WORD vendorId, WORD productId) override
    {
        std::vector<ScanMatch> matches;
        forEachDevice([&](libusb_device* device, const libusb_device_descriptor& descriptor) {
            if (descriptor.idVendor == vendorId && descriptor.idProduct == productId)
                matches.push_back({uniqueIdOf(device), descriptor.idVendor, descriptor.idProduct});
            return false;
        });
        return matches;
    }

    std::unique_ptr<OpenDevice> open(DWORD uniqueId, DWORD configuration, DWORD interfaceNumber,
                                     DWORD alternateSetting,
                                     std::span<std::uint8_t, kDeviceInfoSize> deviceInfo) override
    {
        std::unique_ptr<OpenDevice> opened;
        forEachDevice([&](libusb_device* device, const libusb_device_descriptor& descriptor) {
            if (uniqueIdOf(device) != uniqueId)
                return false;
            opened = configure(device, descriptor, configuration, interfaceNumber, alternateSetting, deviceInfo);
            return true;
        });
        return opened;
    }

private:
    template <typename Visit>
    void forEachDevice(Visit visit)
    {
        std::lock_guard lock(mutex_);
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(context_, &list);
        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor descriptor {};
            if (libusb_get_device_descriptor(list[i], &descriptor) == 0 && visit(list[i], descriptor))
                break;
        }
        if (count >= 0)
            libusb_free_device_list(list, 1);
    }

    static std::unique_ptr<OpenDevice> configure(libusb_device* device, const libusb_device_descriptor& descriptor,
                                                 DWORD configuration, DWORD interfaceNumber,
                                                 DWORD alternateSetting,
                                                 std::span<std::uint8_t, kDeviceInfoSize> deviceInfo)
    {
        if (configuration >= descriptor.bNumConfigurations || interfaceNumber > 255 || alternateSetting > 255)
            return nullptr;
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_config_descriptor(device, std::uint8_t(configuration), &config) != 0)
            return nullptr;
        const int wantedValue = config->bConfigurationValue;
        std::fill(deviceInfo.begin(), deviceInfo.end(), 0);
        std::memcpy(deviceInfo.data(), &descriptor, std::min(sizeof descriptor, deviceInfo.size()));
        libusb_free_config_descriptor(config);

        libusb_device_handle* handle = nullptr;
        if (libusb_open(device, &handle) != 0)
            return nullptr;
        libusb_set_auto_detach_kernel_driver(handle, 1);
        int active = 0;
        const int iface = int(interfaceNumber);
        const bool ready = libusb_get_configuration(handle, &active) == 0 &&
                           (active == wantedValue || libusb_set_configuration(handle, wantedValue) == 0) &&
                           libusb_claim_interface(handle, iface) == 0;
        if (!ready) {
            libusb_close(handle);
            return nullptr;
        }
        if (libusb_set_interface_alt_setting(handle, iface, int(alternateSetting)) != 0) {
            libusb_release_interface(handle, iface);
            libusb_close(handle);
            return nullptr;
        }
        return std::make_unique<LibusbDevice>(handle, iface);
    }

    std::mutex mutex_;
    libusb_context* context_;
};

}  // namespace

std::shared_ptr<Backend> libusbBackend()
{
    // Started once and kept for the life of the process: devices still
    // registered at exit must not outlive their context.
    static const std::shared_ptr<Backend>* backend = [] {
        libusb_context* context = nullptr;
        if (libusb_init(&context) != 0)
            return new std::shared_ptr<Backend>();
        return new std::shared_ptr<Backend>(std::make_shared<LibusbBackend>(context));
    }();
    return *backend;
}

}  // namespace qm::usb
