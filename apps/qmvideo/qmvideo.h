// qmvideo, the capture tool over the adapter host: runs the Morvax driver
// on the simulated dual-mode camera, lists its streams and formats, and
// captures frames to files.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace qm::qmvideo {

// Runs one command line (without the program name); the exit code.
int runQmvideo(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

}  // namespace qm::qmvideo
