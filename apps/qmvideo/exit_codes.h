// qmvideo's process exit codes.
#pragma once

namespace qm::qmvideo {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // the driver refused or frames did not come
inline constexpr int kExitUsage = 2;     // the command line is wrong
inline constexpr int kExitNoDriver = 3;  // the driver did not load or the device did not start

}  // namespace qm::qmvideo
