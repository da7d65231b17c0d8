#include "apps/faultmatrix/still_trial.h"

#include <cstdlib>
#include <filesystem>

namespace qm::faultmatrix {

namespace {

constexpr int kSerialPort = 1;

std::string makeDirectory()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/faultmatrix-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

}  // namespace

StillTrial::StillTrial(Attachment attachment, const stillcam::StillCameraConfig& config,
                       const std::string& modulePath)
{
    namespace fs = std::filesystem;
    directory_ = makeDirectory();
    if (directory_.empty()) {
        problem_ = "no scratch directory";
        return;
    }
    std::error_code error;
    const std::string install = directory_ + "/TWAIN_32/QM4200";
    fs::create_directories(install, error);
    fs::create_directories(directory_ + "/dosdevices", error);
    fs::create_symlink(fs::absolute(modulePath), install + "/Kestrom.DLL", error);
    // The serial search must never reach a real port of the machine.
    for (int port = 1; port <= 4; ++port)
        if (attachment != Attachment::Serial || port != kSerialPort)
            fs::create_symlink("/nonexistent/serial-port", directory_ + "/dosdevices/com" + std::to_string(port),
                               error);
    const std::string socket = directory_ + "/usb-cable";
    ::setenv("WINDIR", directory_.c_str(), 1);
    ::setenv("QM4200_USB", socket.c_str(), 1);
    // A serial read still needs time for the line's bytes to arrive.
    ::setenv("QM4200_LINK_TIME_PERCENT", attachment == Attachment::Serial ? "20" : "1", 1);

    camera_ = stillcam::StillCamera::create(config, &problem_);
    if (!camera_)
        return;
    const bool attached = attachment == Attachment::Usb
                              ? camera_->attachUsb(socket, stillcam::kProduct2620, &problem_)
                              : camera_->attachSerial(kSerialPort, directory_, &problem_);
    if (!attached)
        return;
    module_ = sys::LoadLibrary((install + "/Kestrom.DLL").c_str());
    if (module_ == nullptr) {
        problem_ = "cannot load " + modulePath;
        return;
    }
    entry_ = sys::getProc<device::DriverEntryProc>(module_, device::kDriverEntryName);
    if (entry_ == nullptr)
        problem_ = modulePath + " has no DriverEntry";
}

StillTrial::~StillTrial()
{
    if (module_ != nullptr)
        sys::FreeLibrary(module_);
    camera_.reset();
    if (!directory_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(directory_, error);
    }
}

std::uint8_t StillTrial::call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    return entry_(type, &code, out, data);
}

std::uint8_t StillTrial::connect(std::uint32_t& count) const
{
    std::uint32_t windowHandle = 0x1234;
    return entry_(device::kTypeConnect, &windowHandle, &count, nullptr);
}

}  // namespace qm::faultmatrix
