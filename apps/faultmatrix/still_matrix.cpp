#include "apps/faultmatrix/still_matrix.h"

#include <chrono>
#include <future>
#include <iterator>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "apps/faultmatrix/still_operations.h"

namespace qm::faultmatrix {

namespace {

using Clock = std::chrono::steady_clock;
using stillcam::FaultKind;
using stillcam::FaultRule;

constexpr std::uint32_t kStallMs = 1500;

struct KindEntry {
    FaultKind kind;
    const char* name;
};
constexpr KindEntry kKinds[] = {
    {FaultKind::BadChecksum, "bad-checksum"}, {FaultKind::WrongLength, "wrong-length"},
    {FaultKind::ShortReply, "short-reply"},   {FaultKind::NoReply, "no-reply"},
    {FaultKind::Stall, "stall"},              {FaultKind::GoSilent, "silent"},
    {FaultKind::Unplug, "unplug"},            {FaultKind::EndpointStall, "pipe-stall"},
};

stillcam::StillCameraConfig cameraConfig()
{
    stillcam::StillCameraConfig config;
    config.model = 16;  // the model that takes uploads
    config.pictureCount = 3;
    return config;
}

// What a fault-free run of an operation did.
struct Reference {
    Observation seen;
    std::uint64_t stateBefore = 0;
    std::vector<stillcam::CommandRecord> requests;  // the operation's own
};

// Where a fault strikes: the n-th request with this command (and block).
struct Point {
    std::uint8_t command = 0;
    unsigned block = 0;
    unsigned skip = 0;
    std::string label;
};

std::vector<Point> pointsOf(const std::vector<stillcam::CommandRecord>& requests, bool shortForm)
{
    std::vector<std::size_t> picked;
    const std::size_t n = requests.size();
    if (n == 0)
        return {};
    if (shortForm) {
        picked = {n / 2};
    } else {
        picked = {0, n / 2, n - 1};
        // First, middle and last block of the longest paged read.
        std::vector<std::size_t> blocks;
        for (std::size_t i = 0; i < n; ++i)
            if (requests[i].block > 0)
                blocks.push_back(i);
        if (!blocks.empty())
            for (std::size_t b : {blocks.front(), blocks[blocks.size() / 2], blocks.back()})
                picked.push_back(b);
    }
    std::set<std::size_t> unique(picked.begin(), picked.end());
    std::vector<Point> points;
    for (std::size_t i : unique) {
        Point point;
        point.command = requests[i].code;
        point.block = requests[i].block;
        for (std::size_t j = 0; j < i; ++j)
            point.skip += requests[j].code == point.command && requests[j].block == point.block;
        point.label = "request " + std::to_string(i + 1) + "/" + std::to_string(n) +
                      (point.block > 0 ? " block " + std::to_string(point.block) : "");
        points.push_back(point);
    }
    return points;
}

std::optional<Reference> referenceRun(Attachment attachment, const StillOperation& operation,
                                      const std::string& modulePath, std::string& problem)
{
    StillTrial trial(attachment, cameraConfig(), modulePath);
    if (!trial.ready()) {
        problem = trial.problem();
        return std::nullopt;
    }
    std::uint32_t count = 0;
    if (operation.connectsFirst && trial.connect(count) != device::kDriverSuccess) {
        problem = "a fault-free connect failed";
        return std::nullopt;
    }
    Reference reference;
    reference.stateBefore = cameraStateOf(trial.camera());
    trial.camera().clearCommandLog();
    reference.seen = operation.run(trial);
    reference.requests = trial.camera().commandLog();
    reference.seen.cameraState = cameraStateOf(trial.camera());
    if (!reference.seen.succeeded) {
        problem = std::string("a fault-free ") + operation.name + " failed";
        return std::nullopt;
    }
    return reference;
}

Verdict judge(const StillOperation& operation, const Reference& reference, const Observation& seen)
{
    if (seen.succeeded && seen.result == reference.seen.result && seen.cameraState == reference.seen.cameraState)
        return Verdict::Recovered;
    // A failure leaves the camera as it was, or as the operation would have,
    // and the caller's buffers and files unspoilt.
    const bool stateSound = seen.cameraState == reference.stateBefore || seen.cameraState == reference.seen.cameraState;
    if (!seen.succeeded && stateSound && !seen.spoiled)
        return Verdict::FailedClearly;
    return operation.deliversPicture ? Verdict::Corrupted : Verdict::WrongResult;
}

}  // namespace

bool runStillMatrix(const StillMatrixOptions& options, Table& table, std::FILE* log, std::string& problem)
{
    for (Attachment attachment : {Attachment::Usb, Attachment::Serial}) {
        const char* line = attachment == Attachment::Usb ? "usb" : "serial";
        for (std::size_t o = 0; o < stillOperations().size(); ++o) {
            const StillOperation& operation = stillOperations()[o];
            if (!options.onlyOperation.empty() && options.onlyOperation != operation.name)
                continue;
            // Every connection over the serial line searches the ports and
            // steps up the rate: the short form takes every other operation there.
            if (options.shortForm && attachment == Attachment::Serial && o % 2 != 0)
                continue;
            const std::optional<Reference> reference = referenceRun(attachment, operation, options.modulePath, problem);
            if (!reference) {
                problem = std::string(line) + " " + operation.name + ": " + problem;
                return false;
            }
            Tally& row = table.row(std::string(line) + " " + operation.name);
            const std::vector<Point> points = pointsOf(reference->requests, options.shortForm);
            for (std::size_t k = 0; k < std::size(kKinds); ++k) {
                const KindEntry& kind = kKinds[k];
                // The short form takes two kinds per operation over USB,
                // each operation others, so that every kind is seen; over the
                // serial line, where a camera that stops answering costs
                // its read time-outs, one of the kinds that answer.
                if (options.shortForm) {
                    constexpr FaultKind kAnswering[] = {FaultKind::BadChecksum, FaultKind::WrongLength,
                                                        FaultKind::ShortReply, FaultKind::Unplug};
                    const bool taken = attachment == Attachment::Usb ? (k + o) % std::size(kKinds) < 2
                                                                     : kind.kind == kAnswering[o / 2 % std::size(kAnswering)];
                    if (!taken)
                        continue;
                }
                if (!options.onlyFault.empty() && options.onlyFault != kind.name)
                    continue;
                for (const Point& point : points) {
                    StillTrial trial(attachment, cameraConfig(), options.modulePath);
                    if (!trial.ready()) {
                        problem = trial.problem();
                        return false;
                    }
                    std::uint32_t count = 0;
                    if (operation.connectsFirst && trial.connect(count) != device::kDriverSuccess) {
                        problem = "a fault-free connect failed";
                        return false;
                    }
                    FaultRule rule;
                    rule.kind = kind.kind;
                    rule.command = point.command;
                    rule.block = point.block;
                    rule.skip = point.skip;
                    rule.durationMs = kStallMs;
                    trial.camera().injectFault(rule);

                    const Clock::time_point start = Clock::now();
                    auto running = std::async(std::launch::async, [&] { return operation.run(trial); });
                    if (running.wait_for(std::chrono::duration<double>(options.hangLimitSeconds)) !=
                        std::future_status::ready) {
                        row.add(Verdict::Hang, options.hangLimitSeconds);
                        std::fprintf(log, "%s %s, %s at %s: HANG\n", line, operation.name, kind.name,
                                     point.label.c_str());
                        std::fflush(log);
                        // The module is stuck in the call; nothing more can run.
                        problem = "an operation hung";
                        return false;
                    }
                    Observation seen = running.get();
                    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
                    trial.camera().resume();
                    seen.cameraState = cameraStateOf(trial.camera());
                    const bool struck = trial.camera().pendingFaults() == 0;
                    const Verdict verdict = struck ? judge(operation, *reference, seen) : Verdict::NotReached;
                    row.add(verdict, seconds);
                    if (options.verbose || (verdict != Verdict::Recovered && verdict != Verdict::FailedClearly &&
                                            verdict != Verdict::NotReached))
                        std::fprintf(log, "%s %s, %s at %s: %s (%.2f s)\n", line, operation.name, kind.name,
                                     point.label.c_str(), verdictName(verdict), seconds);
                }
            }
        }
    }
    return true;
}

}  // namespace qm::faultmatrix
