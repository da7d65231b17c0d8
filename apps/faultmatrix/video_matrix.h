// The dual-mode camera's part of the fault matrix: a live MJPG stream
// through the Morvax driver under every stream fault the simulated camera
// can show (damaged, dropped and short packets, missing trailers, wrong
// counts, stalled pipes, a pulled cable), struck after one or a few frames.
// Every frame delivered is held against the frames the camera built before
// any fault touched them: a frame that is none of them is corrupted.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "apps/faultmatrix/tally.h"

namespace qm::faultmatrix {

struct VideoMatrixOptions {
    std::optional<std::string> driverOption;  // --driver; else found as qmvideo finds it
    bool shortForm = false;
    bool verbose = false;
};

struct FrameCount {
    unsigned delivered = 0;
    unsigned corrupted = 0;
};

bool runVideoMatrix(const VideoMatrixOptions& options, Table& table, FrameCount& frames, std::FILE* log,
                    std::string& problem);

}  // namespace qm::faultmatrix
