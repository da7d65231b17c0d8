// The qmcam commands over a loaded device module. Each command connects to
// the camera, does its work through DriverEntry, reports on `out` and
// explains failures on `err`; the progress bar also goes to `err`.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "apps/qmcam/driver_module.h"

namespace qm::qmcam {

// Process exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // the camera or the module refused
inline constexpr int kExitUsage = 2;      // the command line is wrong
inline constexpr int kExitNoCamera = 3;   // no module or no camera

class CameraTool {
public:
    CameraTool(const DriverModule& module, std::FILE* out, std::FILE* err);
    ~CameraTool();
    CameraTool(const CameraTool&) = delete;
    CameraTool& operator=(const CameraTool&) = delete;

    int info();
    int list();
    int thumbs(const std::string& directory);
    int get(std::uint32_t picture, std::uint8_t rotation, const std::string& file);
    int save(std::uint32_t picture, const std::string& file);
    int erase(std::uint32_t picture);  // 0: all
    int capture();
    int upload(const std::string& file);
    int showSettings();
    int changeSettings(const std::vector<std::string>& assignments);
    int showSpeed();
    int preferSpeed(std::uint32_t rate);

private:
    bool connect();
    // Reports a refused call and returns kExitFailed.
    int failed(const std::string& what, std::uint8_t result);
    bool pictureInRange(std::uint32_t picture);
    // A single value of DriverEntry type 3.
    bool readValue(std::uint32_t code, std::uint32_t& value) const;
    // The current speed: "USB", a serial rate, or "" when unknown.
    std::string currentSpeed() const;

    const DriverModule& module_;
    std::FILE* out_;
    std::FILE* err_;
    bool connected_ = false;
    std::uint32_t pictureCount_ = 0;
};

}  // namespace qm::qmcam
