// The Kestrom device module loaded by path and bound by its DriverEntry
// export, with a readable name for every result code.
#pragma once

#include <cstdint>
#include <string>

#include "device/entry/driver_entry.h"
#include "platform/system/library.h"

namespace qm::qmcam {

// W/TWAIN_32/QM4200/Kestrom.DLL of the current Windows directory.
std::string defaultModulePath();

class DriverModule {
public:
    DriverModule() = default;
    ~DriverModule();
    DriverModule(const DriverModule&) = delete;
    DriverModule& operator=(const DriverModule&) = delete;

    // False (and error() says why) when the library does not load or lacks
    // DriverEntry.
    bool load(const std::string& path);
    const std::string& error() const { return error_; }

    std::uint8_t call(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr) const;
    // Type 1: the window handle's address goes in the sub-code position.
    std::uint8_t connect(std::uint32_t* pictureCount, device::DriverProgressProc progress) const;

private:
    sys::HMODULE library_ = nullptr;
    device::DriverEntryProc entry_ = nullptr;
    std::string error_;
};

// "success", "camera did not answer or refused", ... plus the link's error
// code when the thread carries one.
std::string describeResult(std::uint8_t result);

}  // namespace qm::qmcam
