#include "simulators/stillcam/serial/pty_line.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/system/files.h"

namespace qm::stillcam {
namespace {

struct SpeedCode {
    speed_t code;
    std::uint32_t rate;
};

constexpr std::array<SpeedCode, 14> kSpeeds = {{
    {B300, 300}, {B600, 600}, {B1200, 1200}, {B2400, 2400}, {B4800, 4800}, {B9600, 9600}, {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    {B500000, 500000}, {B921600, 921600},
}};

std::uint32_t rateOf(speed_t code)
{
    for (const SpeedCode& s : kSpeeds)
        if (s.code == code)
            return s.rate;
    return 0;
}

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<PtyLine> PtyLine::open(std::string* error)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        if (error) *error = systemError("posix_openpt");
        return nullptr;
    }
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        if (error) *error = systemError("pseudo-terminal");
        ::close(master);
        return nullptr;
    }
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        if (error) *error = systemError(name);
        ::close(master);
        return nullptr;
    }
    // A fresh line is raw at 9600 bit/s, 8N1, as a UART comes up.
    termios line{};
    tcgetattr(slave, &line);
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&line, B9600);
    cfsetospeed(&line, B9600);
    tcsetattr(slave, TCSANOW, &line);
    int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    return std::unique_ptr<PtyLine>(new PtyLine(master, slave, name));
}

PtyLine::PtyLine(int master, int slave, std::string slavePath)
    : master_(master), slave_(slave), slavePath_(std::move(slavePath))
{
}

PtyLine::~PtyLine()
{
    ::close(slave_);
    ::close(master_);
}

std::optional<PtyLine::HostLine> PtyLine::hostLine() const
{
    termios line{};
    if (tcgetattr(slave_, &line) != 0)
        return std::nullopt;
    HostLine host;
    const speed_t out = cfgetospeed(&line), in = cfgetispeed(&line);
    host.rate = (in == B0 || in == out) ? rateOf(out) : 0;
    host.eightNoneOne = (line.c_cflag & CSIZE) == CS8 && (line.c_cflag & PARENB) == 0 && (line.c_cflag & CSTOPB) == 0;
    return host;
}

bool DosDeviceLink::create(const std::string& windowsDir, int port, const std::string& target, std::string* error)
{
    namespace fs = std::filesystem;
    remove();
    const std::string directory = sys::joinPath(windowsDir, "dosdevices");
    const std::string path = sys::joinPath(directory, "com" + std::to_string(port));
    std::error_code ec;
    fs::create_directories(directory, ec);
    const auto status = fs::symlink_status(path, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        if (error) *error = path + " exists and is no link";
        return false;
    }
    fs::remove(path, ec);
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        if (error) *error = systemError(path.c_str());
        return false;
    }
    path_ = path;
    target_ = target;
    return true;
}

void DosDeviceLink::remove()
{
    if (path_.empty())
        return;
    std::error_code ec;
    if (std::filesystem::read_symlink(path_, ec) == target_ && !ec)
        std::filesystem::remove(path_, ec);
    path_.clear();
    target_.clear();
}

}  // namespace qm::stillcam
