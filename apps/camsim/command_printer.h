// camsim's log: one line per command the camera is asked, with the time
// since start. Paged reads and uploads print their first and last block
// (and any block that went wrong) unless every block is wanted.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "simulators/stillcam/still_camera.h"

namespace qm::camsim {

class CommandPrinter {
public:
    CommandPrinter(std::FILE* out, bool verbose) : out_(out), verbose_(verbose) {}
    void print(const stillcam::CommandRecord& record, std::string_view description);
    void line(std::string_view text);

private:
    bool worthPrinting(const stillcam::CommandRecord& record) const;

    std::FILE* out_;
    const bool verbose_;
    std::mutex mutex_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qm::camsim
