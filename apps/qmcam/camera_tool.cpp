#include "apps/qmcam/camera_tool.h"

#include <array>
#include <cstring>

#include "apps/qmcam/progress_bar.h"
#include "device/entry/driver_entry.h"

namespace qm::qmcam {
namespace {

using namespace qm::device;

constexpr std::array<std::uint32_t, 5> kSpeedTable = {9600, 19200, 38400, 57600, 115200};

std::string orUnknown(bool ok, const std::string& text) { return ok ? text : "n/a"; }

std::string choice(std::uint32_t value, std::initializer_list<const char*> names)
{
    if (value >= 1 && value <= names.size())
        return *(names.begin() + (value - 1));
    return "n/a";
}

}  // namespace

CameraTool::CameraTool(const DriverModule& module, std::FILE* out, std::FILE* err)
    : module_(module), out_(out), err_(err)
{
}

CameraTool::~CameraTool()
{
    if (connected_)
        module_.call(kTypeDisconnect, 0);
    ProgressBar::finish();
}

bool CameraTool::connect()
{
    if (connected_)
        return true;
    ProgressBar::begin("connect", err_);
    const std::uint8_t result = module_.connect(&pictureCount_, &ProgressBar::callback);
    ProgressBar::finish();
    if (result != kDriverSuccess) {
        std::fprintf(err_, "qmcam: no camera found: %s\n", describeResult(result).c_str());
        return false;
    }
    connected_ = true;
    return true;
}

int CameraTool::failed(const std::string& what, std::uint8_t result)
{
    ProgressBar::finish();
    std::fprintf(err_, "qmcam: %s failed: %s\n", what.c_str(), describeResult(result).c_str());
    return kExitFailed;
}

bool CameraTool::pictureInRange(std::uint32_t picture)
{
    if (picture >= 1 && picture <= pictureCount_)
        return true;
    std::fprintf(err_, "qmcam: picture %u does not exist (the camera holds %u)\n", picture, pictureCount_);
    return false;
}

bool CameraTool::readValue(std::uint32_t code, std::uint32_t& value) const
{
    value = 0;
    return module_.call(kTypeReadValue, code, &value) == kDriverSuccess;
}

std::string CameraTool::currentSpeed() const
{
    std::uint32_t index = 0;
    if (!readValue(kReadSpeedIndex, index))
        return {};
    if (index == 0)
        return "USB";
    if (index <= kSpeedTable.size())
        return std::to_string(kSpeedTable[index - 1]) + " bit/s";
    return {};
}

int CameraTool::info()
{
    if (!connect())
        return kExitNoCamera;
    std::vector<std::uint8_t> record(driver_info::kSize);
    std::uint32_t length = std::uint32_t(record.size());
    if (module_.call(kTypeDescription, kDescribeDriver, record.data(), &length) == kDriverSuccess)
        std::fprintf(out_, "Driver:            %s\n",
                     reinterpret_cast<const char*>(record.data() + driver_info::kDriverName));

    std::uint32_t value = 0;
    bool ok = readValue(kReadModelCode, value);
    std::fprintf(out_, "Model code:        %s\n", orUnknown(ok, std::to_string(value)).c_str());

    char version[kVersionTextSize] = {};
    ok = module_.call(kTypeReadValue, kReadFirmwareVersion, &value, version) == kDriverSuccess;
    version[sizeof version - 1] = '\0';
    std::fprintf(out_, "Firmware:          %s\n",
                 orUnknown(ok, std::string(version) + " (" + std::to_string(value) + ")").c_str());

    ok = readValue(kReadMemoryMegabytes, value);
    std::fprintf(out_, "Memory:            %s\n", orUnknown(ok, std::to_string(value) + " MB").c_str());
    std::uint32_t stored = 0;
    std::uint32_t free = 0;
    const bool haveStored = readValue(kReadPicturesStored, stored);
    const bool haveFree = readValue(kReadPicturesFree, free);
    std::fprintf(out_, "Pictures:          %s stored, %s free\n", orUnknown(haveStored, std::to_string(stored)).c_str(),
                 orUnknown(haveFree, std::to_string(free)).c_str());

    ok = readValue(kReadBatteryCondition, value);
    std::fprintf(out_, "Battery:           %s\n", ok ? choice(value, {"Empty", "Weak", "Full"}).c_str() : "n/a");
    ok = readValue(kReadCameraMode, value);
    std::fprintf(out_, "Mode:              %s\n",
                 ok ? choice(value, {"Play mode", "Record mode", "Menu mode"}).c_str() : "n/a");
    ok = readValue(kReadAutoOffSeconds, value);
    std::fprintf(out_, "Auto power off:    %s\n", orUnknown(ok, std::to_string(value / 60) + " minutes").c_str());

    std::array<std::uint8_t, time_record::kSize> time{};
    if (module_.call(kTypeReadValue, kReadDateTimePlain, time.data()) == kDriverSuccess) {
        auto field = [&](std::size_t offset) {
            std::uint32_t v;
            std::memcpy(&v, time.data() + offset, sizeof v);
            return v;
        };
        std::fprintf(out_, "Camera clock:      %04u-%02u-%02u %02u:%02u:%02u\n", field(time_record::kYear),
                     field(time_record::kMonth), field(time_record::kDay), field(time_record::kHour),
                     field(time_record::kMinute), field(time_record::kSecond));
    } else {
        std::fprintf(out_, "Camera clock:      n/a\n");
    }
    const std::string speed = currentSpeed();
    std::fprintf(out_, "Connection:        %s\n", speed.empty() ? "n/a" : speed.c_str());
    return kExitOk;
}

int CameraTool::erase(std::uint32_t picture)
{
    if (!connect())
        return kExitNoCamera;
    if (picture != 0 && !pictureInRange(picture))
        return kExitFailed;
    ProgressBar::begin(picture == 0 ? "erase all" : "erase " + std::to_string(picture), err_);
    const std::uint8_t result = module_.call(kTypeAction, kActionErase, &picture);
    ProgressBar::finish();
    if (result != kDriverSuccess)
        return failed("erase", result);
    std::uint32_t stored = 0;
    if (readValue(kReadPicturesStored, stored))
        std::fprintf(out_, "The camera now holds %u pictures.\n", stored);
    return kExitOk;
}

int CameraTool::capture()
{
    if (!connect())
        return kExitNoCamera;
    ProgressBar::begin("capture", err_);
    const std::uint8_t result = module_.call(kTypeAction, kActionCapture);
    ProgressBar::finish();
    if (result != kDriverSuccess)
        return failed("capture (no new picture was stored)", result);
    std::uint32_t stored = 0;
    if (readValue(kReadPicturesStored, stored))
        std::fprintf(out_, "Picture %u taken.\n", stored);
    return kExitOk;
}

int CameraTool::upload(const std::string& file)
{
    if (!connect())
        return kExitNoCamera;
    ProgressBar::begin("upload", err_);
    const std::uint8_t result = module_.call(kTypeAction, kActionUpload, const_cast<char*>(file.c_str()));
    ProgressBar::finish();
    if (result != kDriverSuccess)
        return failed("upload of " + file, result);
    std::uint32_t stored = 0;
    if (readValue(kReadPicturesStored, stored))
        std::fprintf(out_, "Uploaded %s as picture %u.\n", file.c_str(), stored);
    return kExitOk;
}

int CameraTool::showSpeed()
{
    std::uint32_t preferred = 0;
    if (module_.call(kTypeReadValue, kReadPreferredSpeed, &preferred) == kDriverSuccess)
        std::fprintf(out_, "Preferred serial speed: %u bit/s\n", preferred);
    if (!connect())
        return kExitNoCamera;
    const std::string speed = currentSpeed();
    std::fprintf(out_, "Connection:             %s\n", speed.empty() ? "n/a" : speed.c_str());
    return kExitOk;
}

int CameraTool::preferSpeed(std::uint32_t rate)
{
    bool known = false;
    for (std::uint32_t entry : kSpeedTable)
        known = known || entry == rate;
    if (!known) {
        std::fprintf(err_, "qmcam: %u is not a serial speed (9600, 19200, 38400, 57600 or 115200)\n", rate);
        return kExitUsage;
    }
    // The preference is what the serial search steps up to on the next connect.
    const std::uint8_t result = module_.call(kTypeSetValue, kSetPreferredSpeed, &rate);
    if (result != kDriverSuccess)
        return failed("setting the preferred speed", result);
    return showSpeed();
}

}  // namespace qm::qmcam
