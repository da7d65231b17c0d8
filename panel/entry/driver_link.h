// The panel's binding to the device module: its library and DriverEntry.
// Every camera operation goes through call(); a call succeeds only when the
// device module answers 1.
#pragma once

#include <cstdint>

#include "device/entry/driver_entry.h"
#include "panel/model/camera_state.h"
#include "panel/entry/library_binding.h"
#include "platform/ui/types.h"

namespace qm::panel {

class DriverLink {
public:
    // Loads the library at `path` and looks up DriverEntry; an empty path,
    // a library that does not load or one without the export fails.
    bool bind(const char* path) { return binding_.bind(path, device::kDriverEntryName); }
    void unbind() { binding_.unbind(); }
    bool bound() const { return binding_.entry() != nullptr; }

    bool call(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr) const;
    // One call; after a failure waits for the next window message and 200 ms.
    bool callWithPause(std::uint32_t type, std::uint32_t code, void* out = nullptr, void* data = nullptr) const;
    // Opens the camera connection (type 1): the browser window handle's
    // address goes where the sub-code would, the record and the progress
    // callback as out and data.
    bool open(ui::HWND* window, CameraState* state, device::DriverProgressProc progress) const;
    // 1 when the camera's picture count changed outside the driver.
    std::uint32_t changedQuery() const;
    // The camera's mode (type 3, code 7) is play mode (1) / record mode (2).
    bool modeIsPlay() const;
    bool modeIsRecord() const;

private:
    LibraryBinding<device::DriverEntryProc> binding_;
};

}  // namespace qm::panel
