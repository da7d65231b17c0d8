#include "apps/camsim/options.h"

#include <charconv>
#include <cstdlib>

#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/usb/virtual_cable.h"

namespace qm::camsim {
namespace {

template <typename T>
bool parseNumber(const std::string& text, T& out)
{
    int base = 10;
    std::string_view digits(text);
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out, base);
    return ec == std::errc() && end == digits.data() + digits.size() && !digits.empty();
}

}  // namespace

std::string usage()
{
    return "Usage: camsim [options]\n"
           "Runs a simulated QM4200-family still camera until interrupted, printing\n"
           "every command it is asked.\n"
           "\n"
           "  --model N          model code: 16, 17, 18, 20, 22 or 32 (16)\n"
           "  --firmware TEXT    firmware version text, e.g. V3.25 (V3.26)\n"
           "  --memory-mb N      memory size in MB (4)\n"
           "  --pictures DIR     serve the JPEG files of DIR\n"
           "  --count N          generated pictures when no DIR is given (6)\n"
           "  --resolution N     resolution code of generated pictures (the model's own)\n"
           "  --serial N         attach to COMN (1..4) through W/dosdevices/comN\n"
           "  --windows-dir DIR  W for the serial link (default: the Windows directory)\n"
           "  --usb [PRODUCT]    attach to the USB cable as product 0x2620 or 0x2888 (0x2620)\n"
           "  --socket PATH      the USB cable socket ($QM4200_USB, else qm4200-usb in the\n"
           "                     temporary directory)\n"
           "  --rate N           starting serial rate: 9600 ... 115200 (9600)\n"
           "  --pacing on|off    line timing and the camera's work times (on)\n"
           "  --faults SCRIPT    faults to commit, e.g. \"bad-checksum cmd=read-picture block=3\"\n"
           "  --fault-file FILE  the same, read from a file\n"
           "  --ready-file PATH  written once the camera is attached, removed on exit\n"
           "  --verbose          print every block of paged reads and uploads too\n"
           "  --quiet            print no line per command\n"
           "  --help\n"
           "\n"
           "Without --serial or --usb the camera goes on the USB cable. The tools find the\n"
           "default socket by themselves; serial links go into the user's Windows directory\n"
           "(W: $WINDIR, else ~/.local/share/qm4200/windows).\n"
           "Fault kinds: bad-checksum, wrong-length, short-reply, no-reply, stall, silent,\n"
           "unplug, pipe-stall; options cmd= block= skip= times= ms= by= keep=.\n"
           "\n"
           "exit status:\n"
           "  0  stopped by SIGINT, SIGTERM or SIGHUP\n"
           "  1  the camera could not be made or attached, or the ready file not written\n"
           "  2  the command line is wrong\n";
}

std::string defaultSocketPath() { return usb::cable::defaultCablePath(); }

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error)
{
    Options options;
    options.camera.pacing = true;
    bool usb = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](auto& out) {
            std::string text;
            if (!value(text))
                return false;
            if (!parseNumber(text, out)) {
                error = arg + ": not a number: " + text;
                return false;
            }
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--model") {
            if (!number(options.camera.model)) return std::nullopt;
        } else if (arg == "--firmware") {
            if (!value(options.camera.firmware)) return std::nullopt;
        } else if (arg == "--memory-mb") {
            std::uint32_t mb = 0;
            if (!number(mb)) return std::nullopt;
            if (mb == 0 || mb > 255) {
                error = "--memory-mb: 1 to 255";
                return std::nullopt;
            }
            options.camera.memoryBytes = mb << 20;
        } else if (arg == "--pictures") {
            if (!value(options.camera.pictureFolder)) return std::nullopt;
        } else if (arg == "--count") {
            if (!number(options.camera.pictureCount)) return std::nullopt;
        } else if (arg == "--resolution") {
            std::uint8_t code = 0;
            if (!number(code)) return std::nullopt;
            options.camera.resolutionCode = code;
        } else if (arg == "--serial") {
            int port = 0;
            if (!number(port)) return std::nullopt;
            options.serialPort = port;
        } else if (arg == "--windows-dir") {
            if (!value(options.windowsDir)) return std::nullopt;
        } else if (arg == "--usb") {
            usb = true;
            std::uint16_t product = 0;
            if (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
                if (!number(product)) return std::nullopt;
                options.usbProduct = product;
            }
        } else if (arg == "--socket") {
            if (!value(options.socketPath)) return std::nullopt;
        } else if (arg == "--rate") {
            if (!number(options.camera.serialRate)) return std::nullopt;
        } else if (arg == "--pacing") {
            if (!value(text)) return std::nullopt;
            if (text != "on" && text != "off") {
                error = "--pacing: on or off";
                return std::nullopt;
            }
            options.camera.pacing = text == "on";
        } else if (arg == "--faults") {
            if (!value(text)) return std::nullopt;
            options.camera.faultScript += text + "\n";
        } else if (arg == "--fault-file") {
            if (!value(text)) return std::nullopt;
            auto script = sys::readWholeFile(text);
            if (!script) {
                error = "cannot read " + text;
                return std::nullopt;
            }
            options.camera.faultScript += std::string(script->begin(), script->end()) + "\n";
        } else if (arg == "--ready-file") {
            if (!value(options.readyFile)) return std::nullopt;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (usb && !options.usbProduct)
        options.usbProduct = stillcam::kProduct2620;
    if (!options.serialPort && !options.usbProduct)
        options.usbProduct = stillcam::kProduct2620;
    if (options.socketPath.empty())
        options.socketPath = defaultSocketPath();
    return options;
}

}  // namespace qm::camsim
