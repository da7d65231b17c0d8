#include "apps/qmcam/driver_module.h"

#include <cstdio>

#include "device/protocol/link_errors.h"
#include "platform/system/directories.h"
#include "platform/system/last_error.h"

namespace qm::qmcam {
namespace {

// The tool has no window; the module treats the handle as an opaque value.
std::uint32_t noWindow = 0;

std::string linkErrorText(sys::DWORD code)
{
    switch (code) {
    case device::LINK_ERR_IO:
        return "the transport's read or write failed";
    case device::LINK_ERR_NO_DATA:
        return "no data arrived";
    case device::LINK_ERR_NOTHING_WRITTEN:
        return "nothing could be written";
    case device::LINK_ERR_UNEXPECTED:
        return "the reply was cut short";
    default:
        return {};
    }
}

}  // namespace

ModuleLocation deviceModuleLocation(const std::optional<std::string>& option)
{
    constexpr const char* kInWindowsDirectory = "/TWAIN_32/QM4200/Kestrom.DLL";
    apps::ModuleSearch search;
    search.option = option;
    search.optionName = "--module";
    if (!sys::windowsDirectoryIsUsersOwn())
        search.environment = sys::windowsDirectory() + kInWindowsDirectory;
    search.environmentName = "$WINDIR";
    search.besideProgram = {std::string("../") + apps::kInstalledWindowsDirectory + kInWindowsDirectory,
                            std::string("../windows") + kInWindowsDirectory};
    return apps::locateModule(search);
}

DriverModule::~DriverModule()
{
    if (library_ != nullptr)
        sys::FreeLibrary(library_);
}

bool DriverModule::load(const ModuleLocation& location)
{
    const std::string& path = location.path;
    library_ = sys::LoadLibrary(path.c_str());
    if (library_ == nullptr) {
        error_ = "cannot load the device module " + path + " (from " + location.origin +
                 "): " + apps::whyNotLoaded(path);
        return false;
    }
    entry_ = sys::getProc<device::DriverEntryProc>(library_, device::kDriverEntryName);
    if (entry_ == nullptr) {
        error_ = path + " (from " + location.origin + ") is no device module: it has no DriverEntry";
        sys::FreeLibrary(library_);
        library_ = nullptr;
        return false;
    }
    return true;
}

std::uint8_t DriverModule::call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
{
    if (entry_ == nullptr)
        return device::kDriverFailure;
    sys::SetLastError(0);
    return entry_(type, &code, out, data);
}

std::uint8_t DriverModule::connect(std::uint32_t* pictureCount, device::DriverProgressProc progress) const
{
    if (entry_ == nullptr)
        return device::kDriverFailure;
    sys::SetLastError(0);
    return entry_(device::kTypeConnect, &noWindow, pictureCount, reinterpret_cast<void*>(progress));
}

std::string describeResult(std::uint8_t result)
{
    std::string text;
    switch (result) {
    case device::kDriverSuccess:
        return "success";
    case device::kDriverFailure:
        text = "the camera did not answer or refused the request";
        break;
    case device::kDriverNoSession:
        text = "no camera is connected";
        break;
    case device::kDriverBusy:
        text = "the camera session is busy";
        break;
    case device::kDriverUnsupported:
        text = "the device module does not support this request";
        break;
    default:
        text = "unexpected result " + std::to_string(result);
        break;
    }
    const sys::DWORD code = sys::GetLastError();
    if (code != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", unsigned(code));
        const std::string cause = linkErrorText(code);
        text += " (link error " + std::string(hex) + (cause.empty() ? "" : ": " + cause) + ")";
    }
    return text;
}

}  // namespace qm::qmcam
