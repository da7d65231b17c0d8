#include <cstdio>
#include <string>
#include <vector>

#include "apps/qmvideo/qmvideo.h"

namespace {

// The tool's commands, in the order the usage text lists them.
const qm::qmvideo::Command kCommands[] = {
    qm::qmvideo::kFormatsCommand,
    qm::qmvideo::kCaptureCommand,
    qm::qmvideo::kPreviewCommand,
    qm::qmvideo::kPropsCommand,
    qm::qmvideo::kStillsCommand,
    qm::qmvideo::kSnapshotCommand,
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return qm::qmvideo::runQmvideo(kCommands, arguments, stdout, stderr);
}
