// camsim: a simulated still camera on the USB cable and/or a serial line,
// running until interrupted.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "apps/camsim/command_printer.h"
#include "apps/camsim/options.h"
#include "platform/system/files.h"
#include "simulators/stillcam/still_camera.h"

using namespace qm;

namespace {

int fail(const std::string& text)
{
    std::fprintf(stderr, "camsim: %s\n", text.c_str());
    return 1;
}

// The lines a script waiting for the camera reads from the ready file.
std::string readyText(const stillcam::StillCamera& camera, const camsim::Options& options)
{
    std::string text;
    if (camera.usbAttached())
        text += "usb=" + camera.usbSocketPath() + "\n";
    if (camera.serialAttached())
        text += "serial=COM" + std::to_string(*options.serialPort) + " " + camera.serialLinkPath() + " " +
                camera.serialDevicePath() + "\n";
    return text;
}

void describe(const stillcam::StillCamera& camera, const camsim::Options& options, camsim::CommandPrinter& printer)
{
    printer.line("model " + std::to_string(camera.model()) + ", firmware " + options.camera.firmware + ", " +
                 std::to_string(camera.pictureCount()) + " pictures, pacing " +
                 (options.camera.pacing ? "on" : "off"));
    for (const std::string& file : camera.skippedFiles())
        printer.line("left out " + file + ": not a JPEG picture");
    if (camera.usbAttached()) {
        char product[8];
        std::snprintf(product, sizeof product, "0x%04X", *options.usbProduct);
        printer.line(std::string("on the USB cable as product ") + product + ": QM4200_USB=" + camera.usbSocketPath());
    }
    if (camera.serialAttached())
        printer.line("on COM" + std::to_string(*options.serialPort) + " at " + std::to_string(camera.serialRate()) +
                     " bit/s: " + camera.serialLinkPath() + " -> " + camera.serialDevicePath());
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    auto options = camsim::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "camsim: %s (camsim --help shows the usage)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(camsim::usage().c_str(), stdout);
        return 0;
    }

    // Every thread the camera starts inherits this mask; the signals are
    // taken here, so the link and the socket are cleaned up on the way out.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    auto camera = stillcam::StillCamera::create(options->camera, &error);
    if (!camera)
        return fail(error);
    camsim::CommandPrinter printer(stdout, options->verbose);
    if (!options->quiet)
        camera->setCommandListener(
            [&printer](const stillcam::CommandRecord& record, std::string_view line) { printer.print(record, line); });
    camera->setUnplugListener([&printer] { printer.line("the camera pulled its cable"); });

    if (options->usbProduct && !camera->attachUsb(options->socketPath, *options->usbProduct, &error))
        return fail(error);
    if (options->serialPort && !camera->attachSerial(*options->serialPort, options->windowsDir, &error))
        return fail(error);
    if (!options->readyFile.empty() && !sys::writeFileAtomically(options->readyFile, readyText(*camera, *options)))
        return fail("cannot write " + options->readyFile);
    describe(*camera, *options, printer);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    printer.line(std::string("stopped by ") + (signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP"));
    camera->unplug();
    if (!options->readyFile.empty())
        std::remove(options->readyFile.c_str());
    return 0;
}
