#include "panel/save/save_failure.h"

#include "panel/resources/resource.h"

namespace qm::panel {

std::optional<ui::UINT> fileFailureMessage(sys::DWORD lastError)
{
    switch (lastError) {
    case sys::ERROR_DISK_FULL:
    case sys::ERROR_HANDLE_DISK_FULL:
        return IDS_SAVE_DISK_FULL;
    case sys::ERROR_ACCESS_DENIED:
    case sys::ERROR_PATH_NOT_FOUND:
        return IDS_SAVE_FOLDER_UNWRITABLE;
    case sys::ERROR_WRITE_FAULT:
        return IDS_SAVE_WRITE_FAILED;
    default:
        return std::nullopt;
    }
}

}  // namespace qm::panel
