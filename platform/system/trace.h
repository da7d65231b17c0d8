// The diagnostic trace sink. It does nothing unless QM4200_TRACE names a file;
// then every line handed to it is appended there.
#pragma once

#include <string_view>

namespace qm::sys {

void trace(std::string_view line);
bool traceEnabled();

}  // namespace qm::sys
