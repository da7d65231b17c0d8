#include "tests/platform/comm/pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "platform/comm/line_settings.h"
#include "platform/system/directories.h"

namespace qm::test {

namespace fs = std::filesystem;

namespace {

std::string dosDevice(unsigned number)
{
    const std::string directory = sys::windowsDirectory() + "/dosdevices";
    fs::create_directories(directory);
    const std::string link = directory + "/com" + std::to_string(number);
    std::error_code ignored;
    fs::remove(link, ignored);
    return link;
}

}  // namespace

PtyLine::PtyLine()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    terminalPath_ = name;
    // Keeping a host-side descriptor open means the line never reads as hung
    // up between two host opens; it also lets tests poll the host's input.
    hostProbe_ = slave;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(hostProbe_, F_SETFL, ::fcntl(hostProbe_, F_GETFL) | O_NONBLOCK);
    termios tio {};
    ::tcgetattr(hostProbe_, &tio);
    cfmakeraw(&tio);
    ::tcsetattr(hostProbe_, TCSANOW, &tio);
}

PtyLine::~PtyLine()
{
    if (hostProbe_ >= 0)
        ::close(hostProbe_);
    if (master_ >= 0)
        ::close(master_);
}

void PtyLine::publishAs(unsigned number) const
{
    fs::create_symlink(terminalPath_, dosDevice(number));
}

void publishAbsentPort(unsigned number)
{
    fs::create_symlink("/nonexistent/qm4200-no-port", dosDevice(number));
}

void PtyLine::send(const std::vector<std::uint8_t>& bytes) const
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd {master_, POLLOUT, 0};
            ::poll(&pfd, 1, 1000);
        } else {
            throw std::runtime_error("write to the pseudo-terminal failed");
        }
    }
}

std::vector<std::uint8_t> PtyLine::receive(std::size_t count, std::chrono::milliseconds limit) const
{
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count) {
        std::uint8_t chunk[4096];
        const std::size_t want = std::min(sizeof chunk, count - bytes.size());
        const ssize_t n = ::read(master_, chunk, want);
        if (n > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd {master_, POLLIN, 0};
        ::poll(&pfd, 1, int(left.count()));
    }
    return bytes;
}

bool PtyLine::waitUntilHostCanRead(std::chrono::milliseconds limit) const
{
    pollfd pfd {hostProbe_, POLLIN, 0};
    return ::poll(&pfd, 1, int(limit.count())) == 1 && (pfd.revents & POLLIN);
}

unsigned PtyLine::hostSpeed() const
{
    termios tio {};
    ::tcgetattr(master_, &tio);
    return comm::baudRateOf(cfgetospeed(&tio)).value_or(0);
}

void PtyLine::hangUp()
{
    ::close(hostProbe_);
    hostProbe_ = -1;
    ::close(master_);
    master_ = -1;
}

}  // namespace qm::test
