// The formats command: the streams and the formats they offer.
#include "apps/qmvideo/exit_codes.h"
#include "apps/qmvideo/format_text.h"
#include "apps/qmvideo/qmvideo.h"

namespace qm::qmvideo {

namespace {

int runFormats(CommandContext& context, const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        return context.usage("formats takes no arguments");
    VideoSession* session = context.session();
    if (session == nullptr)
        return kExitNoDriver;
    std::FILE* out = context.out();
    for (const StreamDescription& stream : session->host().description().streams) {
        std::fprintf(out, "stream %u (%s): %zu format%s\n", stream.number, pinName(stream.category).c_str(),
                     stream.formats.size(), stream.formats.size() == 1 ? "" : "s");
        for (std::size_t i = 0; i < stream.formats.size(); ++i)
            std::fprintf(out, "  %zu: %s\n", i, formatText(describeRange(stream.formats[i])).c_str());
    }
    return kExitOk;
}

}  // namespace

const Command kFormatsCommand = {"formats", "  formats                       the streams and the formats they offer\n",
                                 runFormats};

}  // namespace qm::qmvideo
