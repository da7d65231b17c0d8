// The options of the commands that run a stream (capture, preview).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/qmvideo/capture_run.h"

namespace qm::qmvideo {

// `--out -`: the frames go to standard output as one stream.
inline constexpr const char* kStandardOutput = "-";

// Reads the options into `options` (whose values are the defaults);
// `screenshot` is accepted only when the caller passes somewhere to put it.
// On a problem, nullopt with the reason in `problem`.
std::optional<CaptureOptions> parseCaptureOptions(const std::vector<std::string>& arguments, CaptureOptions options,
                                                  std::string& problem, std::string* screenshot = nullptr);

}  // namespace qm::qmvideo
