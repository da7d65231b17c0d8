#include "platform/comm/comm_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/comm/line_settings.h"
#include "platform/comm/read_plan.h"

namespace qm::comm {
namespace {

using Clock = std::chrono::steady_clock;

// The terminal's own buffer; larger queue requests are accepted and reported.
constexpr DWORD kTerminalQueue = 4096;

// Stands for "no limit": far away, yet safe to add to and compare.
const Clock::time_point kNoLimit = Clock::time_point::max() - std::chrono::hours(24 * 365);

// Milliseconds left, -1 for no limit (poll's "wait forever").
int millisecondsUntil(Clock::time_point deadline)
{
    if (deadline >= kNoLimit)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 0x7FFFFFFF ? 0x7FFFFFFF : int(left);
}

Clock::time_point after(std::uint64_t ms)
{
    // Far enough to be "no limit" without overflowing the clock.
    constexpr std::uint64_t kCap = 1000ull * 3600 * 24 * 365;
    return Clock::now() + std::chrono::milliseconds(ms < kCap ? ms : kCap);
}

sys::DWORD errorFromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return sys::ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK: return sys::ERROR_ACCESS_DENIED;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace

std::unique_ptr<CommPort> CommPort::open(const std::string& devicePath)
{
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        sys::SetLastError(errorFromErrno(errno));
        return nullptr;
    }
    termios tio {};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        sys::SetLastError(sys::ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // A port belongs to one user at a time, also across processes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        sys::SetLastError(sys::ERROR_ACCESS_DENIED);
        return nullptr;
    }
    std::unique_ptr<CommPort> port(new CommPort(fd));
    port->dcb_ = dcbFromTermios(tio);
    return port;
}

CommPort::CommPort(int fd) : fd_(fd) {}

CommPort::~CommPort()
{
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

DCB CommPort::state() const
{
    std::lock_guard lock(mutex_);
    return dcb_;
}

bool CommPort::setState(const DCB& dcb)
{
    termios tio {};
    if (::tcgetattr(fd_, &tio) != 0) {
        sys::SetLastError(ERROR_GEN_FAILURE);
        return false;
    }
    if (!dcbToTermios(dcb, tio)) {
        sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
        return false;
    }
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        sys::SetLastError(errno == EINVAL ? sys::ERROR_INVALID_PARAMETER : ERROR_GEN_FAILURE);
        return false;
    }
    applyModemLines(dcb);
    std::lock_guard lock(mutex_);
    dcb_ = dcb;
    return true;
}

void CommPort::applyModemLines(const DCB& dcb)
{
    // Pseudo-terminals have no modem lines; there the request is a no-op.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    if (dcb.fDtrControl == DTR_CONTROL_DISABLE)
        ::ioctl(fd_, TIOCMBIC, &dtr);
    else if (dcb.fDtrControl == DTR_CONTROL_ENABLE)
        ::ioctl(fd_, TIOCMBIS, &dtr);
    if (dcb.fRtsControl == RTS_CONTROL_DISABLE)
        ::ioctl(fd_, TIOCMBIC, &rts);
    else if (dcb.fRtsControl == RTS_CONTROL_ENABLE)
        ::ioctl(fd_, TIOCMBIS, &rts);
}

COMMTIMEOUTS CommPort::timeouts() const
{
    std::lock_guard lock(mutex_);
    return timeouts_;
}

void CommPort::setTimeouts(const COMMTIMEOUTS& timeouts)
{
    std::lock_guard lock(mutex_);
    timeouts_ = timeouts;
}

bool CommPort::setQueues(DWORD inQueue, DWORD outQueue)
{
    if (inQueue == 0 || outQueue == 0) {
        sys::SetLastError(sys::ERROR_INVALID_PARAMETER);
        return false;
    }
    std::lock_guard lock(mutex_);
    inQueue_ = inQueue;
    outQueue_ = outQueue;
    return true;
}

COMMPROP CommPort::properties() const
{
    std::lock_guard lock(mutex_);
    COMMPROP properties;
    properties.dwMaxTxQueue = 0;  // no fixed maximum
    properties.dwMaxRxQueue = 0;
    properties.dwMaxBaud = 230400;
    properties.dwCurrentTxQueue = outQueue_;
    properties.dwCurrentRxQueue = inQueue_ > kTerminalQueue ? inQueue_ : kTerminalQueue;
    return properties;
}

bool CommPort::purge(DWORD flags)
{
    const bool input = flags & PURGE_RXCLEAR;
    const bool output = flags & PURGE_TXCLEAR;
    if (input || output) {
        const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
        if (::tcflush(fd_, which) != 0) {
            sys::SetLastError(ERROR_GEN_FAILURE);
            return false;
        }
    }
    return true;
}

bool CommPort::read(std::uint8_t* buffer, DWORD toRead, DWORD& got)
{
    got = 0;
    if (toRead == 0)
        return true;
    const ReadPlan plan = planRead(timeouts(), toRead);
    const Clock::time_point totalDeadline = plan.totalMs ? after(*plan.totalMs) : kNoLimit;
    Clock::time_point intervalDeadline = kNoLimit;  // runs from the latest byte
    bool firstPass = true;

    for (;;) {
        // Take whatever the terminal holds now.
        bool hungUp = false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer + got, toRead - got);
            if (n > 0) {
                got += DWORD(n);
                if (plan.intervalMs)
                    intervalDeadline = after(*plan.intervalMs);
                if (got == toRead)
                    return true;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n == 0 || errno == EIO) {  // the other end of the line is gone
                hungUp = true;
                break;
            }
            sys::SetLastError(errorFromErrno(errno));
            return false;
        }
        if (plan.returnWhatIsThere || hungUp)
            return true;
        if (firstPass && plan.returnIfAnyThere && got > 0)
            return true;
        if (plan.oneByteEnds && got > 0)
            return true;
        firstPass = false;

        const int wait = millisecondsUntil(std::min(totalDeadline, intervalDeadline));
        if (wait == 0)
            return true;  // a time-out: the read succeeds with what came
        pollfd pfd {fd_, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) {
            sys::SetLastError(ERROR_GEN_FAILURE);
            return false;
        }
        if (ready == 0)
            return true;
    }
}

bool CommPort::write(const std::uint8_t* buffer, DWORD toWrite, DWORD& written)
{
    written = 0;
    const auto limit = writeLimitMs(timeouts(), toWrite);
    const Clock::time_point deadline = limit ? after(*limit) : kNoLimit;
    while (written < toWrite) {
        const ssize_t n = ::write(fd_, buffer + written, toWrite - written);
        if (n > 0) {
            written += DWORD(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            sys::SetLastError(ERROR_GEN_FAILURE);
            return false;
        }
        const int wait = millisecondsUntil(deadline);
        if (wait == 0)
            return true;  // a write time-out reports the bytes that went out
        pollfd pfd {fd_, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) {
            sys::SetLastError(ERROR_GEN_FAILURE);
            return false;
        }
        if (ready > 0 && (pfd.revents & (POLLERR | POLLHUP)) && !(pfd.revents & POLLOUT)) {
            sys::SetLastError(ERROR_GEN_FAILURE);
            return false;
        }
    }
    return true;
}

}  // namespace qm::comm
