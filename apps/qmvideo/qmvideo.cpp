#include "apps/qmvideo/qmvideo.h"

#include <charconv>
#include <optional>

#include "apps/qmvideo/capture_run.h"
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/video_session.h"
#include "platform/system/files.h"

namespace qm::qmvideo {

namespace {

constexpr const char* kUsage =
    "usage: qmvideo [--driver PATH] COMMAND\n"
    "\n"
    "Runs the Morvax video driver (default: lib/libmorvax.so beside the tool's\n"
    "bin directory) through the adapter host on a simulated dual-mode camera.\n"
    "\n"
    "commands:\n"
    "  formats                       the streams and the formats they offer\n"
    "  capture [options]             run a stream and report every frame\n"
    "      --stream N                0 capture (default), 1 still\n"
    "      --format N                index of the stream's format (default 0)\n"
    "      --fps R                   frames per second asked for (default 30)\n"
    "      --frames N                frames to receive (default 10)\n"
    "      --out DIR                 write each frame into DIR (.jpg, .bmp or .raw)\n"
    "      --clock                   give the stream a master clock\n";

std::optional<ULONG> number(const std::string& text)
{
    ULONG value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

int usage(std::FILE* err, const std::string& problem)
{
    if (!problem.empty())
        std::fprintf(err, "qmvideo: %s\n", problem.c_str());
    std::fputs(kUsage, err);
    return kExitUsage;
}

std::optional<CaptureOptions> parseCapture(const std::vector<std::string>& args, std::string& problem)
{
    CaptureOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--clock") {
            options.masterClock = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = "'" + option + "' needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (option == "--out") {
            if (!sys::directoryExists(value)) {
                problem = "no directory " + value;
                return std::nullopt;
            }
            options.outputDirectory = value;
            continue;
        }
        const std::optional<ULONG> count = number(value);
        if (!count) {
            problem = "'" + value + "' is not a number";
            return std::nullopt;
        }
        if (option == "--stream")
            options.stream = *count;
        else if (option == "--format")
            options.format = *count;
        else if (option == "--fps" && *count > 0)
            options.framesPerSecond = *count;
        else if (option == "--frames" && *count > 0)
            options.frames = *count;
        else {
            problem = "unknown option or value: " + option + " " + value;
            return std::nullopt;
        }
    }
    return options;
}

int listFormats(VideoSession& session, std::FILE* out)
{
    const DeviceDescription& description = session.host().description();
    for (const StreamDescription& stream : description.streams) {
        std::fprintf(out, "stream %u (%s): %zu format%s\n", stream.number, pinName(stream.category).c_str(),
                     stream.formats.size(), stream.formats.size() == 1 ? "" : "s");
        for (std::size_t i = 0; i < stream.formats.size(); ++i)
            std::fprintf(out, "  %zu: %s\n", i, formatText(describeRange(stream.formats[i])).c_str());
    }
    return kExitOk;
}

}  // namespace

int runQmvideo(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    std::string driverPath = defaultDriverPath();
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
        if (arguments[next] == "--driver" && next + 1 < arguments.size()) {
            driverPath = arguments[next + 1];
            next += 2;
        } else if (arguments[next] == "--help") {
            std::fputs(kUsage, out);
            return kExitOk;
        } else {
            return usage(err, "unknown option " + arguments[next]);
        }
    }
    if (next == arguments.size())
        return usage(err, "");
    const std::string command = arguments[next];
    const std::vector<std::string> args(arguments.begin() + std::ptrdiff_t(next + 1), arguments.end());

    std::optional<CaptureOptions> capture;
    if (command == "capture") {
        std::string problem;
        capture = parseCapture(args, problem);
        if (!capture)
            return usage(err, problem);
    } else if (command != "formats" || !args.empty()) {
        return usage(err, "unknown command or wrong arguments: " + command);
    }

    VideoSession session;
    std::string problem;
    if (!NT_SUCCESS(session.start(driverPath, problem))) {
        std::fprintf(err, "qmvideo: %s\n", problem.c_str());
        return kExitNoDriver;
    }
    return capture ? runCapture(session, *capture, out, err) : listFormats(session, out);
}

}  // namespace qm::qmvideo
