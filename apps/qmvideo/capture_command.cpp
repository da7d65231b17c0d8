// The capture command: runs a stream and reports (and writes) every frame.
#include "apps/qmvideo/capture_options.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/qmvideo.h"

namespace qm::qmvideo {

namespace {

int runCaptureCommand(CommandContext& context, const std::vector<std::string>& arguments)
{
    std::string problem;
    const std::optional<CaptureOptions> options = parseCaptureOptions(arguments, CaptureOptions{}, problem);
    if (!options)
        return context.usage(problem);
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    return runCapture(*session, *options, context.out(), context.err());
}

}  // namespace

const Command kCaptureCommand = {
    "capture",
    "  capture [options]             run a stream and report every frame\n"
    "      --stream N                0 capture (default), 1 still\n"
    "      --format N                index of the stream's format (default 0; formats lists them)\n"
    "      --fps R                   frames per second asked for (default 30)\n"
    "      --frames N                frames to receive (default 10)\n"
    "      --out DIR                 write each frame into DIR (.jpg, .bmp or .raw)\n"
    "      --awb                     automatic white balance on; each frame shows the gains\n"
    "      --clock                   give the stream a master clock\n",
    runCaptureCommand};

}  // namespace qm::qmvideo
