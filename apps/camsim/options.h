// camsim's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulators/stillcam/still_camera.h"

namespace qm::camsim {

struct Options {
    stillcam::StillCameraConfig camera;
    std::optional<int> serialPort;        // COMn
    std::string windowsDir;               // W for the serial link; empty: the Windows directory
    std::optional<std::uint16_t> usbProduct;
    std::string socketPath;
    std::string readyFile;
    bool verbose = false;
    bool quiet = false;
    bool help = false;
};

// Parses the arguments (without the program name). Without a serial port or
// a USB product the camera goes on the USB cable. nullopt with `error` set
// for a bad command line.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

std::string usage();

// $QM4200_USB, else "qm4200-usb" in the temporary directory.
std::string defaultSocketPath();

}  // namespace qm::camsim
