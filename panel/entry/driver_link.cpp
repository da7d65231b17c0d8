#include "panel/entry/driver_link.h"

#include "panel/entry/busy_cursor.h"
#include "platform/system/timing.h"

namespace qm::panel {

bool DriverLink::bind(const char* path)
{
    unbind();
    if (path == nullptr || path[0] == '\0')
        return false;
    sys::HMODULE library = sys::LoadLibrary(path);
    if (!sys::isValidModuleHandle(library))
        return false;
    auto entry = sys::getProc<device::DriverEntryProc>(library, device::kDriverEntryName);
    if (entry == nullptr) {
        sys::FreeLibrary(library);
        return false;
    }
    library_ = library;
    entry_ = entry;
    return true;
}

void DriverLink::unbind()
{
    if (library_ != nullptr)
        sys::FreeLibrary(library_);
    library_ = nullptr;
    entry_ = nullptr;
}

bool DriverLink::call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    if (entry_ == nullptr)
        return false;
    std::uint32_t subCode = code;
    return entry_(type, &subCode, out, data) == device::kDriverSuccess;
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
    if (entry_ == nullptr)
        return false;
    return entry_(device::kTypeConnect, reinterpret_cast<std::uint32_t*>(window), state,
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
