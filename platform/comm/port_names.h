// Maps a port name to the terminal device that stands for it.
#pragma once

#include <optional>
#include <string>

namespace qm::comm {

// 1-based port number of "COMn", "COMn:" or "\\.\COMn" (any case), if the
// name is one.
std::optional<unsigned> portNumber(const std::string& name);

// W/dosdevices/comN when that directory entry exists (even as a link whose
// target is gone: the port is then absent, never silently another device),
// else /dev/ttyS(N-1).
std::string devicePathForPort(unsigned number);

}  // namespace qm::comm
