#include "platform/system/last_error.h"

namespace qm::sys {
namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

void SetLastError(DWORD code) { lastError = code; }
DWORD GetLastError() { return lastError; }

}  // namespace qm::sys
