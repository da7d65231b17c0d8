// qmvideo, the capture tool over the adapter host: runs the Morvax driver
// on the simulated dual-mode camera, lists its streams and formats, captures
// frames to files and shows them live.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "apps/qmvideo/command.h"

namespace qm::qmvideo {

// The commands of this folder.
extern const Command kFormatsCommand;
extern const Command kCaptureCommand;
extern const Command kPreviewCommand;
extern const Command kPropsCommand;
extern const Command kStillsCommand;
extern const Command kSnapshotCommand;

// Runs one command line (without the program name) with the given commands;
// the exit code.
int runQmvideo(std::span<const Command> commands, const std::vector<std::string>& arguments, std::FILE* out,
               std::FILE* err);

}  // namespace qm::qmvideo
