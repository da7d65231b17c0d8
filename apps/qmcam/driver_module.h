// The Kestrom device module loaded by path and bound by its DriverEntry
// export, with a readable name for every result code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "apps/common/module_location.h"
#include "device/entry/driver_entry.h"
#include "platform/system/library.h"

namespace qm::qmcam {

using apps::ModuleLocation;

// Where the device module is loaded from: --module's path when given, else
// $WINDIR/TWAIN_32/QM4200/Kestrom.DLL when WINDIR is set, else the Windows
// directory beside the program (installed: <prefix>/lib/qm4200/windows; in
// the build tree: build/windows).
ModuleLocation deviceModuleLocation(const std::optional<std::string>& option);

class DriverModule {
public:
    DriverModule() = default;
    ~DriverModule();
    DriverModule(const DriverModule&) = delete;
    DriverModule& operator=(const DriverModule&) = delete;

    // False (and error() says why, in one line) when the library does not
    // load or lacks DriverEntry.
    bool load(const ModuleLocation& location);
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
