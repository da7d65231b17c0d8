// Why a picture could not be written, as the device module leaves it in the
// thread's last error after a failed save, and what the user is told.
#pragma once

#include <optional>
#include <string>

#include "platform/system/last_error.h"
#include "platform/ui/types.h"

namespace qm::panel {

// The message (a string id with "%s" for the path) for a failure of the
// file itself; nothing when the camera, not the file, failed.
std::optional<ui::UINT> fileFailureMessage(sys::DWORD lastError);

}  // namespace qm::panel
