#include "apps/qmvideo/capture_run.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/frame_files.h"
#include "platform/streamclass/master_clock.h"

namespace qm::qmvideo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr LONGLONG kUnitsPerSecond = 10000000;  // 100-ns units

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The format to open with: what the intersection makes of the published
// range, at the frame rate asked for.
bool formatFor(AdapterHost& host, const CaptureOptions& options, std::vector<UCHAR>& format, std::FILE* err)
{
    const auto& streams = host.description().streams;
    if (options.stream >= streams.size() || options.format >= streams[options.stream].formats.size()) {
        std::fprintf(err, "qmvideo: stream %u has no format %u\n", options.stream, options.format);
        return false;
    }
    format.assign(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER), 0);
    ULONG bytes = 0;
    const NTSTATUS status =
        host.dataIntersection(options.stream, streams[options.stream].formats[options.format], format, bytes);
    if (!NT_SUCCESS(status) || bytes != format.size()) {
        std::fprintf(err, "qmvideo: the driver has no format for range %u (status %08X)\n", options.format,
                     unsigned(status));
        return false;
    }
    KS_DATAFORMAT_VIDEOINFOHEADER header;
    std::memcpy(&header, format.data(), sizeof header);
    header.VideoInfoHeader.AvgTimePerFrame = kUnitsPerSecond / std::max<ULONG>(options.framesPerSecond, 1);
    std::memcpy(format.data(), &header, sizeof header);
    return true;
}

// CameraControl's private id that switches the automatic white balance.
constexpr ULONG kWhiteBalanceEnable = 205;

bool enableWhiteBalance(AdapterHost& host)
{
    KSPROPERTY_CAMERACONTROL_S property{};
    property.Property.Set = PROPSETID_VIDCAP_CAMERACONTROL;
    property.Property.Id = kWhiteBalanceEnable;
    property.Property.Flags = KSPROPERTY_TYPE_SET;
    KSPROPERTY_CAMERACONTROL_S value = property;
    value.Value = 1;
    ULONG bytes = 0;
    return NT_SUCCESS(host.setDeviceProperty({reinterpret_cast<const UCHAR*>(&property), sizeof property},
                                             {reinterpret_cast<UCHAR*>(&value), sizeof value}, bytes));
}

// The camera's red, green and blue gains as the driver last set them.
std::string colourGains(dualcam::DualCamera& camera)
{
    char text[32];
    std::snprintf(text, sizeof text, "  gains %u/%u/%u", camera.registerValue(0x100B), camera.registerValue(0x100D),
                  camera.registerValue(0x100C));
    return text;
}

}  // namespace

int runCapture(VideoSession& session, const CaptureOptions& options, std::FILE* out, std::FILE* err,
               CaptureReport* report, const FrameSink& sink)
{
    AdapterHost& host = session.host();
    std::vector<UCHAR> format;
    if (!formatFor(host, options, format, err))
        return kExitUsage;
    const VideoFormat video = describeRange(host.description().streams[options.stream].formats[options.format]);

    std::unique_ptr<Stream> stream;
    NTSTATUS status = host.openStream(options.stream, format, stream);
    if (!NT_SUCCESS(status)) {
        std::fprintf(err, "qmvideo: the driver refused to open stream %u (status %08X)\n", options.stream,
                     unsigned(status));
        return kExitFailed;
    }
    MasterClock clock;
    if (options.masterClock)
        stream->setMasterClock(&clock);
    if (!NT_SUCCESS(status = stream->setState(KSSTATE_PAUSE)) || !NT_SUCCESS(status = stream->setState(KSSTATE_RUN))) {
        std::fprintf(err, "qmvideo: the stream did not start (status %08X)\n", unsigned(status));
        return kExitFailed;
    }
    if (options.whiteBalance && !enableWhiteBalance(host))
        std::fprintf(err, "qmvideo: the driver did not take the white-balance setting\n");
    std::fprintf(out, "stream %u: %s at %u frames/s\n", options.stream, formatText(video).c_str(),
                 options.framesPerSecond);

    CaptureReport local;
    CaptureReport& result = report != nullptr ? *report : local;
    result = {};
    ULONG waiting = 0;
    auto keepReadsWaiting = [&] {
        while (waiting < options.readsInFlight && (options.frames == 0 || result.frames + waiting < options.frames)) {
            stream->queueRead(ULONG(video.imageSize));
            ++waiting;
        }
    };
    const Clock::time_point start = Clock::now();
    Clock::time_point previous = start;
    int exitCode = kExitOk;
    auto noFrameInTime = [&] {
        std::fprintf(err, "qmvideo: no frame within %u ms (%u reads came back without one)\n",
                     options.frameTimeLimitMs, result.emptyReads);
        exitCode = kExitFailed;
    };
    keepReadsWaiting();
    while (options.frames == 0 || result.frames < options.frames) {
        const double waited = millisecondsBetween(previous, Clock::now());
        const ULONG left = waited >= options.frameTimeLimitMs ? 0 : ULONG(options.frameTimeLimitMs - waited);
        std::optional<CompletedRead> read = left > 0 ? stream->waitForRead(left) : std::nullopt;
        if (!read) {
            noFrameInTime();
            break;
        }
        --waiting;
        if (!NT_SUCCESS(read->status) || read->data.empty()) {
            ++result.emptyReads;
            keepReadsWaiting();
            continue;
        }
        ++result.frames;
        const Clock::time_point now = Clock::now();
        std::string where;
        if (!options.outputDirectory.empty()) {
            const auto path = writeFrame(options.outputDirectory, result.frames, video, read->data);
            if (!path) {
                std::fprintf(err, "qmvideo: cannot write frame %u into %s: %s\n", result.frames,
                             options.outputDirectory.c_str(), std::strerror(errno));
                exitCode = kExitFailed;
                break;
            }
            where = " -> " + *path;
        }
        const auto info = read->frameInfo();
        if (info)
            result.dropped = info->DropCount;
        if (options.reportEveryFrame) {
            const std::string gains = options.whiteBalance ? colourGains(session.camera()) : std::string();
            std::fprintf(out, "frame %u: %zu bytes%s  picture %lld  dropped %lld  +%.1f ms%s\n", result.frames,
                         read->data.size(), where.c_str(), info ? static_cast<long long>(info->PictureNumber) : 0LL,
                         static_cast<long long>(result.dropped), millisecondsBetween(previous, now), gains.c_str());
            std::fflush(out);
        }
        previous = now;
        if (sink && !sink(*read, video))
            break;
        keepReadsWaiting();
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    stream->setState(KSSTATE_STOP);
    stream->close();

    std::fprintf(out, "%u frames in %.2f s (%.1f frames/s), %u reads without a frame, %lld dropped\n",
                 result.frames, result.seconds, result.seconds > 0 ? result.frames / result.seconds : 0.0,
                 result.emptyReads, static_cast<long long>(result.dropped));
    return exitCode;
}

}  // namespace qm::qmvideo
