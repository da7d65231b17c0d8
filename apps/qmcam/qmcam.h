// The qmcam command line: `qmcam [--module PATH] COMMAND [ARGUMENTS]`.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace qm::qmcam {

// Runs one command line (without the program name); returns the exit code.
int runQmcam(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

}  // namespace qm::qmcam
