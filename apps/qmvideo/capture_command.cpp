// The capture command: runs a stream and reports (and writes) every frame,
// into files or as one stream on standard output.
#include <unistd.h>

#include <optional>

#include "apps/common/output_paths.h"
#include "apps/qmvideo/capture_options.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/frame_stream.h"
#include "apps/qmvideo/property_access.h"
#include "apps/qmvideo/qmvideo.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::qmvideo {

namespace {

constexpr ULONG kStillPin = 1;

// The still pin's frames are the pictures stored in the camera, and it has
// no more frames than that: a camera that holds none takes one first, and
// a capture asks for no more than there are.
int prepareStillPin(CommandContext& context, AdapterHost& host, CaptureOptions& options)
{
    using namespace morvax;
    PropertyValue stored = getProperty(host, PROPSETID_VIDCAP_CAMERACONTROL, kCamPictureCount);
    if (!NT_SUCCESS(stored.status))
        return context.fail("the camera did not report its pictures (" + statusText(stored.status) + ")", kExitFailed);
    if (stored.value <= 0) {
        std::fprintf(context.err(), "qmvideo: the camera holds no picture; taking one for the still pin\n");
        const NTSTATUS status = setProperty(host, PROPSETID_VIDCAP_CAMERACONTROL, kCamTakePicture, 1);
        const PropertyValue ready = getProperty(host, PROPSETID_VIDCAP_CAMERACONTROL, kCamTakePicture);
        stored = getProperty(host, PROPSETID_VIDCAP_CAMERACONTROL, kCamPictureCount);
        if (!NT_SUCCESS(status) || !NT_SUCCESS(ready.status) || ready.value != 1 || !NT_SUCCESS(stored.status) ||
            stored.value <= 0)
            return context.fail("the camera did not take a picture for the still pin (" + statusText(status) + ")",
                                kExitFailed);
    }
    const ULONG pictures = ULONG(stored.value);
    if (options.frames == 0 || options.frames > pictures) {
        std::fprintf(context.err(), "qmvideo: the still pin has %u picture%s to read\n", pictures,
                     pictures == 1 ? "" : "s");
        options.frames = pictures;
    }
    return kExitOk;
}

int streamToStandardOutput(CommandContext& context, VideoSession& session, CaptureOptions options)
{
    options.outputDirectory.clear();
    options.reportEveryFrame = false;
    std::optional<FrameStream> frames;
    std::string failure;
    const FrameSink sink = [&](const CompletedRead& read, const VideoFormat& format) {
        if (!frames)
            frames.emplace(context.out(), format, options.framesPerSecond);
        if (frames->write(read.data))
            return true;
        failure = frames->problem();
        return false;
    };
    // The report goes where it does not mix with the frames.
    const int exitCode = runCapture(session, options, context.err(), context.err(), nullptr, sink);
    return failure.empty() ? exitCode : context.fail(failure, kExitFailed);
}

int runCaptureCommand(CommandContext& context, const std::vector<std::string>& arguments)
{
    std::string problem;
    std::optional<CaptureOptions> options = parseCaptureOptions(arguments, CaptureOptions{}, problem);
    if (!options)
        return context.usage(problem);
    const bool toStandardOutput = options->outputDirectory == kStandardOutput;
    if (toStandardOutput && isatty(fileno(context.out())))
        return context.usage("standard output is a terminal; pipe the frames into a player (| ffplay -)");
    if (!toStandardOutput && !options->outputDirectory.empty() &&
        !apps::ensureDirectory(options->outputDirectory, problem))
        return context.fail(problem, kExitFailed);
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    if (options->stream == kStillPin) {
        if (const int exitCode = prepareStillPin(context, session->host(), *options); exitCode != kExitOk)
            return exitCode;
    }
    if (toStandardOutput)
        return streamToStandardOutput(context, *session, *options);
    return runCapture(*session, *options, context.out(), context.err());
}

}  // namespace

const Command kCaptureCommand = {
    "capture",
    "  capture [options]             run a stream and report every frame\n"
    "      --stream N                0 capture (default), 1 still: the pictures stored in the\n"
    "                                camera (one is taken first when it holds none)\n"
    "      --format N                index of the stream's format (default 0; formats lists them)\n"
    "      --fps R                   frames per second asked for (default 30)\n"
    "      --frames N                frames to receive (default 10; 0: until stopped)\n"
    "      --out DIR                 write each frame into DIR (.jpg, .bmp or .raw)\n"
    "      --out -                   write the frames to standard output as one stream:\n"
    "                                MJPG formats as JPEG frames, RGB24 as YUV4MPEG2\n"
    "                                (qmvideo capture --format 9 --frames 0 --out - | ffplay -)\n"
    "      --awb                     automatic white balance on; each frame shows the gains\n"
    "      --clock                   give the stream a master clock\n",
    runCaptureCommand};

}  // namespace qm::qmvideo
