#include "apps/qmcam/qmcam.h"

#include <charconv>
#include <optional>

#include "apps/common/output_paths.h"
#include "apps/qmcam/camera_tool.h"
#include "apps/qmcam/driver_module.h"
#include "device/entry/driver_entry.h"

namespace qm::qmcam {
namespace {

constexpr const char* kUsage =
    "usage: qmcam [--module PATH] COMMAND\n"
    "\n"
    "Talks to the camera through the Kestrom device module: PATH, else\n"
    "$WINDIR/TWAIN_32/QM4200/Kestrom.DLL when WINDIR is set, else the one installed\n"
    "beside qmcam (<prefix>/lib/qm4200/windows/TWAIN_32/QM4200, or build/windows in\n"
    "the build tree). Serial cameras are searched on COM1..COM4 (W/dosdevices/comN),\n"
    "USB cameras on the virtual cable ($QM4200_USB, or camsim's default socket) or\n"
    "else on the USB bus.\n"
    "\n"
    "commands:\n"
    "  info                          camera model, firmware, memory, clock\n"
    "  list                          number, size and resolution of every picture\n"
    "  thumbs DIR                    thumbnails and 4 x 3 contact sheets as PNG files\n"
    "  get N [--rotate R] -o FILE    picture N as a bitmap (.png: PNG, else BMP),\n"
    "                                turned by R = 0, 90, 180 or 270 degrees\n"
    "  save N FILE                   picture N as the camera stores it (JPEG)\n"
    "  erase N|all                   erase picture N or all pictures\n"
    "  capture                       take a picture\n"
    "  upload FILE                   store an image file in the camera\n"
    "  settings [NAME=VALUE ...]     show or change the camera settings\n"
    "  speed [RATE]                  show the line speed, or prefer a serial rate\n"
    "\n"
    "Directories that output goes into are made when missing.\n"
    "\n"
    "exit status:\n"
    "  0  done\n"
    "  1  the camera or the module refused, or a file could not be written\n"
    "  2  the command line is wrong\n"
    "  3  no device module could be loaded, or no camera answered\n";

std::optional<std::uint32_t> number(const std::string& text)
{
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last != end || text.empty())
        return std::nullopt;
    return value;
}

// One line for a wrong command line; the whole text only when nothing was asked.
int usage(std::FILE* err, const std::string& problem)
{
    if (problem.empty())
        std::fputs(kUsage, err);
    else
        std::fprintf(err, "qmcam: %s (qmcam --help shows the usage)\n", problem.c_str());
    return kExitUsage;
}

// Makes the directory a picture file goes into.
bool outputDirectoryReady(const std::string& file, std::FILE* err)
{
    std::string problem;
    if (apps::ensureDirectoryOf(file, problem))
        return true;
    std::fprintf(err, "qmcam: %s\n", problem.c_str());
    return false;
}

struct GetArguments {
    std::uint32_t picture = 0;
    std::uint8_t rotation = device::kRotateNone;
    std::string file;
};

std::optional<GetArguments> parseGet(const std::vector<std::string>& args, std::string& problem)
{
    GetArguments get;
    std::optional<std::uint32_t> picture;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rotate" && i + 1 < args.size()) {
            const std::optional<std::uint32_t> degrees = number(args[++i]);
            if (!degrees || *degrees % 90 != 0 || *degrees > 270) {
                problem = "--rotate takes 0, 90, 180 or 270";
                return std::nullopt;
            }
            get.rotation = std::uint8_t(*degrees / 90);
        } else if (args[i] == "-o" && i + 1 < args.size()) {
            get.file = args[++i];
        } else if (!picture) {
            picture = number(args[i]);
            if (!picture) {
                problem = "'" + args[i] + "' is not a picture number";
                return std::nullopt;
            }
        } else {
            problem = "unexpected argument '" + args[i] + "'";
            return std::nullopt;
        }
    }
    if (!picture || get.file.empty()) {
        problem = "get needs a picture number and -o FILE";
        return std::nullopt;
    }
    get.picture = *picture;
    return get;
}

int runCommand(CameraTool& tool, const std::string& command, const std::vector<std::string>& args, std::FILE* err)
{
    auto wantArguments = [&](std::size_t count) { return args.size() == count; };
    if (command == "info" && wantArguments(0))
        return tool.info();
    if (command == "list" && wantArguments(0))
        return tool.list();
    if (command == "thumbs" && wantArguments(1))
        return tool.thumbs(args[0]);
    if (command == "get") {
        std::string problem;
        const std::optional<GetArguments> get = parseGet(args, problem);
        if (!get)
            return usage(err, problem);
        return outputDirectoryReady(get->file, err) ? tool.get(get->picture, get->rotation, get->file) : kExitFailed;
    }
    if (command == "save" && wantArguments(2)) {
        const std::optional<std::uint32_t> picture = number(args[0]);
        if (!picture)
            return usage(err, "'" + args[0] + "' is not a picture number");
        return outputDirectoryReady(args[1], err) ? tool.save(*picture, args[1]) : kExitFailed;
    }
    if (command == "erase" && wantArguments(1)) {
        if (args[0] == "all")
            return tool.erase(0);
        const std::optional<std::uint32_t> picture = number(args[0]);
        if (!picture || *picture == 0)
            return usage(err, "erase takes a picture number or 'all'");
        return tool.erase(*picture);
    }
    if (command == "capture" && wantArguments(0))
        return tool.capture();
    if (command == "upload" && wantArguments(1))
        return tool.upload(args[0]);
    if (command == "settings")
        return args.empty() ? tool.showSettings() : tool.changeSettings(args);
    if (command == "speed" && args.size() <= 1) {
        if (args.empty())
            return tool.showSpeed();
        const std::optional<std::uint32_t> rate = number(args[0]);
        return rate ? tool.preferSpeed(*rate) : usage(err, "'" + args[0] + "' is not a speed");
    }
    return usage(err, "unknown command or wrong arguments: " + command);
}

}  // namespace

int runQmcam(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    std::optional<std::string> modulePath;
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
        if (arguments[next] == "--module") {
            if (next + 1 == arguments.size())
                return usage(err, "--module needs a path");
            modulePath = arguments[next + 1];
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
    const std::vector<std::string> commandArguments(arguments.begin() + std::ptrdiff_t(next) + 1, arguments.end());

    DriverModule module;
    if (!module.load(deviceModuleLocation(modulePath))) {
        std::fprintf(err, "qmcam: %s\n", module.error().c_str());
        return kExitNoCamera;
    }
    CameraTool tool(module, out, err);
    return runCommand(tool, command, commandArguments, err);
}

}  // namespace qm::qmcam
