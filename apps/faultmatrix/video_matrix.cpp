#include "apps/faultmatrix/video_matrix.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/video_session.h"
#include "platform/kernel/sim_clock.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::faultmatrix {

namespace {

using namespace qm::streamclass;
using Clock = std::chrono::steady_clock;
using dualcam::Fault;

constexpr ULONG kCapturePin = 0;
constexpr ULONG kReadsInFlight = 2;
// Simulated time a read may take: the driver's own 5 s read time-out and
// the recovery after it, with room to spare.
constexpr ULONG kReadLimitMs = 20000;

struct FaultEntry {
    Fault fault;
    const char* name;
};
constexpr FaultEntry kFaults[] = {
    {Fault::PacketError, "packet error"},     {Fault::DroppedPacket, "dropped packet"},
    {Fault::ShortPacket, "short packet"},     {Fault::MissingTrailer, "missing trailer"},
    {Fault::WrongCount, "wrong count"},       {Fault::StalledDataPipe, "data pipe stall"},
    {Fault::StalledSyncPipe, "sync pipe stall"}, {Fault::Unplug, "unplug"},
};

struct Point {
    unsigned framesBefore;  // good frames read before the fault
    unsigned count;         // packets or frames the fault takes
};

// The payload a host makes of a frame as the camera built it: the two
// bytes the trailer displaced moved back to the end.
std::vector<std::uint8_t> payloadOf(const std::vector<std::uint8_t>& frame)
{
    constexpr std::size_t kHeader = 4;
    constexpr std::size_t kTrailer = 2;
    if (frame.size() < kHeader + kTrailer)
        return {};
    std::vector<std::uint8_t> payload(frame.begin() + kHeader, frame.end() - kTrailer);
    payload.push_back(frame[2]);
    payload.push_back(frame[1]);
    return payload;
}

// The driver copies as many bytes as the frame announced from behind the
// camera's 4-byte frame header: the payload, then zeros where the header's
// length reaches past it.
bool isCameraFrame(const CompletedRead& read, dualcam::DualCamera& camera)
{
    if (read.data.size() < morvax::kJpegTemplateSize)
        return false;
    const std::span<const std::uint8_t> delivered =
        std::span(read.data).subspan(morvax::kJpegTemplateSize);
    for (const std::vector<std::uint8_t>& frame : camera.recentFrames()) {
        const std::vector<std::uint8_t> payload = payloadOf(frame);
        if (payload.size() <= delivered.size() && std::equal(payload.begin(), payload.end(), delivered.begin()) &&
            std::all_of(delivered.begin() + std::ptrdiff_t(payload.size()), delivered.end(),
                        [](std::uint8_t b) { return b == 0; }) &&
            delivered.size() - payload.size() <= 4)
            return true;
    }
    return false;
}

// The published format index of MJPG at 160 x 120.
std::optional<ULONG> smallMjpg(AdapterHost& host)
{
    const auto& formats = host.description().streams.at(kCapturePin).formats;
    for (ULONG i = 0; i < formats.size(); ++i) {
        const qmvideo::VideoFormat format = qmvideo::describeRange(formats[i]);
        if (format.valid && format.mjpg && format.width == 160 && format.height == 120)
            return i;
    }
    return std::nullopt;
}

struct TrialResult {
    Verdict verdict = Verdict::NotReached;
    FrameCount frames;
    unsigned failedReads = 0;
};

TrialResult runTrial(const VideoMatrixOptions& options, const FaultEntry& fault, const Point& point, unsigned reads,
                     std::string& problem)
{
    TrialResult result;
    dualcam::DualCamConfig config;
    config.scene.moving = false;
    qmvideo::VideoSession session(config);
    if (!NT_SUCCESS(session.start(qmvideo::driverLocation(options.driverOption), problem)))
        return result;
    AdapterHost& host = session.host();
    const std::optional<ULONG> index = smallMjpg(host);
    std::vector<UCHAR> format(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER), 0);
    ULONG bytes = 0;
    if (!index ||
        !NT_SUCCESS(host.dataIntersection(kCapturePin, host.description().streams[kCapturePin].formats[*index],
                                          format, bytes))) {
        problem = "no MJPG format at 160 x 120";
        return result;
    }
    const qmvideo::VideoFormat video = qmvideo::describeRange(host.description().streams[kCapturePin].formats[*index]);
    std::unique_ptr<Stream> stream;
    if (!NT_SUCCESS(host.openStream(kCapturePin, format, stream)) || !NT_SUCCESS(stream->setState(KSSTATE_PAUSE)) ||
        !NT_SUCCESS(stream->setState(KSSTATE_RUN))) {
        problem = "the capture stream did not start";
        return result;
    }

    unsigned waiting = 0;
    unsigned completed = 0;
    bool injected = false;
    bool deliveredAfterFault = false;
    bool hung = false;
    while (completed < reads) {
        while (waiting < kReadsInFlight && completed + waiting < reads) {
            stream->queueRead(ULONG(video.imageSize));
            ++waiting;
        }
        std::optional<CompletedRead> read = stream->waitForRead(kReadLimitMs);
        if (!read) {
            hung = true;
            break;
        }
        --waiting;
        ++completed;
        if (!NT_SUCCESS(read->status) || read->data.empty()) {
            ++result.failedReads;
        } else if (isCameraFrame(*read, session.camera())) {
            ++result.frames.delivered;
            deliveredAfterFault = deliveredAfterFault || injected;
        } else {
            ++result.frames.corrupted;
        }
        if (!injected && completed >= point.framesBefore) {
            session.camera().injectFault(fault.fault, point.count);
            injected = true;
        }
    }
    stream->setState(KSSTATE_STOP);
    stream->close();

    if (hung)
        result.verdict = Verdict::Hang;
    else if (result.frames.corrupted > 0)
        result.verdict = Verdict::Corrupted;
    else if (deliveredAfterFault)
        result.verdict = Verdict::Recovered;
    else
        result.verdict = Verdict::FailedClearly;
    return result;
}

}  // namespace

bool runVideoMatrix(const VideoMatrixOptions& options, Table& table, FrameCount& frames, std::FILE* log,
                    std::string& problem)
{
    // The driver keeps its settings in the registry of a Windows directory
    // of its own; the kernel clock is stepped, so runs are repeatable.
    std::string windows = (std::filesystem::temp_directory_path() / "faultmatrix-video-XXXXXX").string();
    if (::mkdtemp(windows.data()) == nullptr) {
        problem = "no scratch directory";
        return false;
    }
    ::setenv("WINDIR", windows.c_str(), 1);
    kernel::sim::setClockMode(kernel::sim::ClockMode::Manual);

    const std::vector<Point> points =
        options.shortForm ? std::vector<Point>{{2, 1}} : std::vector<Point>{{1, 1}, {3, 3}, {6, 8}};
    const unsigned reads = options.shortForm ? 6 : 16;
    bool ran = true;
    for (const FaultEntry& fault : kFaults) {
        Tally& row = table.row(std::string("stream ") + fault.name);
        for (const Point& point : points) {
            const Clock::time_point start = Clock::now();
            const TrialResult result = runTrial(options, fault, point, reads, problem);
            if (!problem.empty()) {
                ran = false;
                break;
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            row.add(result.verdict, seconds);
            frames.delivered += result.frames.delivered;
            frames.corrupted += result.frames.corrupted;
            if (options.verbose || result.verdict == Verdict::Corrupted || result.verdict == Verdict::Hang)
                std::fprintf(log, "stream, %s after %u frames (%u): %s, %u frames, %u failed reads (%.2f s)\n",
                             fault.name, point.framesBefore, point.count, verdictName(result.verdict),
                             result.frames.delivered, result.failedReads, seconds);
        }
        if (!ran)
            break;
    }
    kernel::sim::setClockMode(kernel::sim::ClockMode::RealTime);
    std::error_code error;
    std::filesystem::remove_all(windows, error);
    return ran;
}

}  // namespace qm::faultmatrix
