#include "panel/entry/driver_link.h"

#include "panel/entry/busy_cursor.h"
#include "platform/system/timing.h"

namespace qm::panel {

bool DriverLink::call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    const device::DriverEntryProc entry = binding_.entry();
    if (entry == nullptr)
        return false;
    std::uint32_t subCode = code;
    return entry(type, &subCode, out, data) == device::kDriverSuccess;
}

bool DriverLink::callWithPause(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    if (call(type, code, out, data))
        return true;
    waitForMessage();
    sys::Sleep(200);
    return false;
}

bool DriverLink::open(ui::HWND* window, CameraState* state, device::DriverProgressProc progress) const
{
    const device::DriverEntryProc entry = binding_.entry();
    if (entry == nullptr)
        return false;
    return entry(device::kTypeConnect, reinterpret_cast<std::uint32_t*>(window), state,
                 reinterpret_cast<void*>(progress)) == device::kDriverSuccess;
}

std::uint32_t DriverLink::changedQuery() const
{
    std::uint32_t changed = 0;
    return callWithPause(device::kTypeStatus, device::kStatusCountChanged, &changed) ? changed : 0;
}

bool DriverLink::modeIsPlay() const
{
    std::uint32_t mode = 0;
    return call(device::kTypeReadValue, device::kReadCameraMode, &mode) && mode == 1;
}

bool DriverLink::modeIsRecord() const
{
    std::uint32_t mode = 0;
    return call(device::kTypeReadValue, device::kReadCameraMode, &mode) && mode == 2;
}

}  // namespace qm::panel
