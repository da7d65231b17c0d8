#include "apps/qmvideo/qmvideo.h"

#include "apps/qmvideo/exit_codes.h"

namespace qm::qmvideo {

namespace {

constexpr const char* kUsageHead =
    "usage: qmvideo [--driver PATH] COMMAND\n"
    "\n"
    "Runs the Morvax video driver (default: lib/libmorvax.so beside the tool's\n"
    "bin directory) through the adapter host on a simulated dual-mode camera.\n"
    "\n"
    "commands:\n";

}  // namespace

CommandContext::CommandContext(std::string driverPath, std::span<const Command> commands, std::FILE* out,
                               std::FILE* err)
    : driverPath_(std::move(driverPath)), commands_(commands), out_(out), err_(err)
{
}

void CommandContext::printUsage(std::FILE* stream) const
{
    std::fputs(kUsageHead, stream);
    for (const Command& command : commands_)
        std::fputs(command.usage, stream);
}

CommandContext::~CommandContext() = default;

VideoSession* CommandContext::session()
{
    if (session_)
        return session_.get();
    auto session = std::make_unique<VideoSession>(cameraConfig_);
    std::string problem;
    if (!NT_SUCCESS(session->start(driverPath_, problem))) {
        std::fprintf(err_, "qmvideo: %s\n", problem.c_str());
        return nullptr;
    }
    session_ = std::move(session);
    return session_.get();
}

int CommandContext::usage(const std::string& problem) const
{
    if (!problem.empty())
        std::fprintf(err_, "qmvideo: %s\n", problem.c_str());
    printUsage(err_);
    return kExitUsage;
}

int runQmvideo(std::span<const Command> commands, const std::vector<std::string>& arguments, std::FILE* out,
               std::FILE* err)
{
    std::string driverPath = defaultDriverPath();
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
        if (arguments[next] == "--driver" && next + 1 < arguments.size()) {
            driverPath = arguments[next + 1];
            next += 2;
        } else if (arguments[next] == "--help") {
            CommandContext(driverPath, commands, out, err).printUsage(out);
            return kExitOk;
        } else {
            return CommandContext(driverPath, commands, out, err).usage("unknown option " + arguments[next]);
        }
    }
    CommandContext context(driverPath, commands, out, err);
    if (next == arguments.size())
        return context.usage("");
    const std::string& name = arguments[next];
    const std::vector<std::string> rest(arguments.begin() + std::ptrdiff_t(next + 1), arguments.end());
    for (const Command& command : commands)
        if (name == command.name)
            return command.run(context, rest);
    return context.usage("unknown command: " + name);
}

}  // namespace qm::qmvideo
