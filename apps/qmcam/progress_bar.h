// The progress bar on stderr that the device module's progress callback
// drives. The callback is a plain function, so the bar is process-wide.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qm::qmcam {

class ProgressBar {
public:
    // Starts a bar with a label on `stream` (stderr by default).
    static void begin(const std::string& label, std::FILE* stream = stderr);
    // Ends the bar's line, if one is shown.
    static void finish();

    // The callback handed to DriverEntry: (0, 0, percent), and (0, 0, 0)
    // when an operation ends.
    static void callback(std::uint32_t, std::uint32_t, std::uint32_t percent);

    // One line of the bar, e.g. "get 3 [##########          ]  50%".
    static std::string render(const std::string& label, std::uint32_t percent);
};

}  // namespace qm::qmcam
