// faultmatrix: runs every camera operation under every fault the simulated
// cameras can commit and prints what became of them. Exit status 0 when no
// operation hung, returned a wrong result or delivered a corrupted picture
// or frame.
//
//   faultmatrix [--short] [--verbose] [--still-only | --video-only]
//               [--module KESTROM.DLL] [--driver LIBMORVAX.SO]
//               [--hang-limit SECONDS] [--operation NAME] [--fault KIND]
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "apps/faultmatrix/still_matrix.h"
#include "apps/faultmatrix/video_matrix.h"

namespace {

std::string besideTool(const std::string& relative)
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return relative;
    const std::string executable(path, std::size_t(length));
    return executable.substr(0, executable.rfind('/')) + "/" + relative;
}

int usage()
{
    std::fprintf(stderr, "usage: faultmatrix [--short] [--verbose] [--still-only | --video-only] "
                         "[--module KESTROM.DLL] [--driver LIBMORVAX.SO] [--hang-limit SECONDS] "
                         "[--operation NAME] [--fault KIND]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace qm::faultmatrix;
    StillMatrixOptions still;
    still.modulePath = besideTool("../windows/TWAIN_32/QM4200/Kestrom.DLL");
    VideoMatrixOptions video;
    bool runStill = true;
    bool runVideo = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--short") {
            still.shortForm = video.shortForm = true;
        } else if (arg == "--verbose") {
            still.verbose = video.verbose = true;
        } else if (arg == "--still-only") {
            runVideo = false;
        } else if (arg == "--video-only") {
            runStill = false;
        } else if (arg == "--module" && hasValue) {
            still.modulePath = argv[++i];
        } else if (arg == "--driver" && hasValue) {
            video.driverOption = argv[++i];
        } else if (arg == "--hang-limit" && hasValue) {
            still.hangLimitSeconds = std::atof(argv[++i]);
        } else if (arg == "--operation" && hasValue) {
            still.onlyOperation = argv[++i];
            runVideo = false;
        } else if (arg == "--fault" && hasValue) {
            still.onlyFault = argv[++i];
            runVideo = false;
        } else {
            return usage();
        }
    }

    bool clean = true;
    std::string problem;
    if (runStill) {
        Table table("Still camera (QM4200 over USB and RS-232), faults per operation", "corrupted pictures");
        const bool ran = runStillMatrix(still, table, stdout, problem);
        table.print(stdout);
        clean = clean && ran && table.total().clean();
        if (!ran)
            std::fprintf(stderr, "faultmatrix: %s\n", problem.c_str());
    }
    if (runVideo) {
        problem.clear();
        Table table("Dual-mode camera, live MJPG stream through the video driver, faults per kind",
                    "corrupted streams");
        FrameCount frames;
        const bool ran = runVideoMatrix(video, table, frames, stdout, problem);
        table.print(stdout);
        std::printf("frames delivered %u, frames delivered corrupted %u\n", frames.delivered, frames.corrupted);
        clean = clean && ran && table.total().clean() && frames.corrupted == 0;
        if (!ran)
            std::fprintf(stderr, "faultmatrix: %s\n", problem.c_str());
    }
    return clean ? 0 : 1;
}
