#include "apps/acquire/options.h"

#include <cstdlib>
#include <string_view>

namespace qm::acquire {

std::string usage()
{
    return "usage: acquire [--mech native|memory|file] [--out DIRECTORY] [--source NAME]\n"
           "               [--timeout SECONDS] [--ui-script FILE] [--list]\n"
           "Opens a TWAIN source through the source manager, shows its panel and writes every\n"
           "picture transferred from it to DIRECTORY (default ./out) as BMP and PNG files.\n"
           "  --mech      transfer mechanism (default native)\n"
           "  --source    product name of the source (default: the source manager's default)\n"
           "  --timeout   give up when the source has not spoken for this long (default: never)\n"
           "  --ui-script run the window-system script FILE against the panel (unattended runs)\n"
           "  --list      only list the sources\n"
           "The source manager finds the sources under W/TWAIN_32 (W: $WINDIR, else\n"
           "~/.local/share/qm4200/windows) and in the TWAIN directory of the installation\n"
           "(<prefix>/lib/twain). DIRECTORY is made when missing.\n"
           "exit status:\n"
           "  0  every transfer succeeded (or --list)\n"
           "  1  no source manager or source, a transfer failed, or the source fell silent\n"
           "  2  the command line is wrong\n";
}

std::optional<AcquireOptions> parseOptions(int argc, const char* const* argv, std::string& error)
{
    AcquireOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                error = std::string(argument) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--list") {
            options.listOnly = true;
        } else if (argument == "--mech") {
            const char* mechanism = value();
            if (mechanism == nullptr)
                return std::nullopt;
            const std::string_view name = mechanism;
            if (name == "native")
                options.mechanism = twain::TWSX_NATIVE;
            else if (name == "memory")
                options.mechanism = twain::TWSX_MEMORY;
            else if (name == "file")
                options.mechanism = twain::TWSX_FILE;
            else {
                error = "unknown mechanism '" + std::string(name) + "' (native, memory or file)";
                return std::nullopt;
            }
        } else if (argument == "--out") {
            const char* directory = value();
            if (directory == nullptr)
                return std::nullopt;
            options.outDirectory = directory;
            if (options.outDirectory.empty()) {
                error = "--out needs a directory";
                return std::nullopt;
            }
        } else if (argument == "--source") {
            const char* name = value();
            if (name == nullptr)
                return std::nullopt;
            options.sourceName = name;
        } else if (argument == "--ui-script") {
            const char* script = value();
            if (script == nullptr)
                return std::nullopt;
            options.uiScript = script;
        } else if (argument == "--timeout") {
            const char* seconds = value();
            if (seconds == nullptr)
                return std::nullopt;
            char* end = nullptr;
            const long parsed = std::strtol(seconds, &end, 10);
            if (end == seconds || *end != '\0' || parsed < 0 || parsed > 86400) {
                error = "--timeout takes whole seconds from 0 to 86400";
                return std::nullopt;
            }
            options.timeoutSeconds = int(parsed);
        } else {
            error = "unknown argument '" + std::string(argument) + "'";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace qm::acquire
