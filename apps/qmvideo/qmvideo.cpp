#include "apps/qmvideo/qmvideo.h"

#include "apps/qmvideo/exit_codes.h"

namespace qm::qmvideo {

namespace {

constexpr const char* kUsageHead =
    "usage: qmvideo [--driver PATH] COMMAND\n"
    "\n"
    "Runs the Morvax video driver through the adapter host on a simulated dual-mode\n"
    "camera. The driver: PATH, else $QM4200_VIDEO_DRIVER, else the one installed\n"
    "beside qmvideo (<prefix>/lib/qm4200/libmorvax.so, or build/lib in the build tree).\n"
    "\n"
    "commands:\n";

constexpr const char* kUsageTail =
    "\n"
    "Directories that output goes into are made when missing. Every wait for the\n"
    "camera has a time limit.\n"
    "\n"
    "exit status:\n"
    "  0  done\n"
    "  1  the driver refused, frames or pictures did not come in time, or output\n"
    "     could not be written\n"
    "  2  the command line is wrong\n"
    "  3  the driver did not load or the device did not start\n";

}  // namespace

CommandContext::CommandContext(apps::ModuleLocation driver, std::span<const Command> commands, std::FILE* out,
                               std::FILE* err)
    : driver_(std::move(driver)), commands_(commands), out_(out), err_(err)
{
}

void CommandContext::printUsage(std::FILE* stream) const
{
    std::fputs(kUsageHead, stream);
    for (const Command& command : commands_)
        std::fputs(command.usage, stream);
    std::fputs(kUsageTail, stream);
}

CommandContext::~CommandContext() = default;

VideoSession* CommandContext::session()
{
    if (session_)
        return session_.get();
    auto session = std::make_unique<VideoSession>(cameraConfig_);
    std::string problem;
    if (!NT_SUCCESS(session->start(driver_, problem))) {
        std::fprintf(err_, "qmvideo: %s\n", problem.c_str());
        return nullptr;
    }
    session_ = std::move(session);
    return session_.get();
}

int CommandContext::usage(const std::string& problem) const
{
    if (problem.empty())
        printUsage(err_);
    else
        std::fprintf(err_, "qmvideo: %s (qmvideo --help shows the usage)\n", problem.c_str());
    return kExitUsage;
}

int CommandContext::fail(const std::string& problem, int exitCode) const
{
    std::fprintf(err_, "qmvideo: %s\n", problem.c_str());
    return exitCode;
}

int runQmvideo(std::span<const Command> commands, const std::vector<std::string>& arguments, std::FILE* out,
               std::FILE* err)
{
    std::optional<std::string> driverPath;
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
        if (arguments[next] == "--driver" && next + 1 < arguments.size()) {
            driverPath = arguments[next + 1];
            next += 2;
        } else if (arguments[next] == "--help") {
            CommandContext({}, commands, out, err).printUsage(out);
            return kExitOk;
        } else {
            const std::string problem = arguments[next] == "--driver" ? "--driver needs a path"
                                                                       : "unknown option " + arguments[next];
            return CommandContext({}, commands, out, err).usage(problem);
        }
    }
    CommandContext context(driverLocation(driverPath), commands, out, err);
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
