#include "apps/qmvideo/capture_options.h"

#include <charconv>

namespace qm::qmvideo {

namespace {

std::optional<ULONG> number(const std::string& text)
{
    ULONG value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<CaptureOptions> parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions options,
                                                  std::string& problem, std::string* screenshot)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--clock") {
            options.masterClock = true;
            continue;
        }
        if (option == "--awb") {
            options.whiteBalance = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = "'" + option + "' needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (option == "--out") {
            if (value.empty()) {
                problem = "--out needs a directory, or - for standard output";
                return std::nullopt;
            }
            options.outputDirectory = value;
            continue;
        }
        if (option == "--screenshot" && screenshot != nullptr) {
            *screenshot = value;
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
        else if (option == "--frames")
            options.frames = *count;
        else {
            problem = "unknown option or value: " + option + " " + value;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace qm::qmvideo
