// The preview command: the stream live in a window (QM4200_UI=sdl for a
// window on the screen), with the frame rate, the drops and the
// white-balance gains in its caption; optionally a PNG screenshot of the
// window at the end.
#include <chrono>
#include <cstdlib>
#include <string>

#include "apps/common/output_paths.h"
#include "apps/qmvideo/capture_options.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/preview_window.h"
#include "apps/qmvideo/qmvideo.h"
#include "platform/ui/backend/backend.h"

namespace qm::qmvideo {

namespace {

using Clock = std::chrono::steady_clock;

// Without a screen nobody can close the window: a preview then ends on its own.
constexpr ULONG kHeadlessFrames = 30;

std::string captionOf(const VideoFormat& format, double framesPerSecond, const CompletedRead& read,
                      dualcam::DualCamera& camera)
{
    const auto info = read.frameInfo();
    char text[160];
    std::snprintf(text, sizeof text, "qmvideo - %s %ld x %ld - %.1f frames/s - %lld dropped - gains %u/%u/%u",
                  format.mjpg ? "MJPG" : "RGB24", format.width, format.height, framesPerSecond,
                  info ? static_cast<long long>(info->DropCount) : 0LL, camera.registerValue(0x100B),
                  camera.registerValue(0x100D), camera.registerValue(0x100C));
    return text;
}

int runPreview(CommandContext& context, const std::vector<std::string>& arguments)
{
    std::string problem;
    std::string screenshot;
    CaptureOptions defaults;
    defaults.frames = 0;
    std::optional<CaptureOptions> options = parseCaptureOptions(arguments, defaults, problem, &screenshot);
    if (!options)
        return context.usage(problem);
    if (options->outputDirectory == kStandardOutput)
        return context.usage("preview shows the frames; capture --out - streams them");
    if (!options->outputDirectory.empty() && !apps::ensureDirectory(options->outputDirectory, problem))
        return context.fail(problem, kExitFailed);
    if (options->frames == 0 && ui::detail::backendName() != "sdl")
        options->frames = kHeadlessFrames;
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;

    const auto& streams = session->host().description().streams;
    if (options->stream >= streams.size() || options->format >= streams[options->stream].formats.size())
        return runCapture(*session, *options, context.out(), context.err());  // which reports the problem
    const VideoFormat format = describeRange(streams[options->stream].formats[options->format]);
    PreviewWindow window(int(format.width), int(format.height));
    if (!window.created()) {
        std::fprintf(context.err(), "qmvideo: no window for the preview\n");
        return kExitFailed;
    }

    ULONG shown = 0;
    const Clock::time_point start = Clock::now();
    const FrameSink sink = [&](const CompletedRead& read, const VideoFormat& video) {
        window.pump();
        if (!window.open())
            return false;
        std::optional<FramePixels> pixels = framePixels(video, read.data);
        if (!pixels) {
            std::fprintf(context.err(), "qmvideo: a frame that cannot be shown\n");
            return true;
        }
        ++shown;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        window.show(std::move(*pixels), captionOf(video, seconds > 0 ? shown / seconds : 0.0, read,
                                                  session->camera()));
        return true;
    };
    int exitCode = runCapture(*session, *options, context.out(), context.err(), nullptr, sink);
    if (!screenshot.empty() && exitCode == kExitOk) {
        if (apps::ensureDirectoryOf(screenshot, problem) && window.screenshot(screenshot))
            std::fprintf(context.out(), "screenshot -> %s\n", screenshot.c_str());
        else {
            std::fprintf(context.err(), "qmvideo: cannot write the screenshot %s\n", screenshot.c_str());
            exitCode = kExitFailed;
        }
    }
    return exitCode;
}

}  // namespace

const Command kPreviewCommand = {
    "preview",
    "  preview [options]             show a stream live in a window (QM4200_UI=sdl: on the screen)\n"
    "      the capture options, and:\n"
    "      --frames N                frames to show (default: until the window closes; 30 without a screen)\n"
    "      --screenshot FILE.png     write the window as PNG at the end\n",
    runPreview};

}  // namespace qm::qmvideo
