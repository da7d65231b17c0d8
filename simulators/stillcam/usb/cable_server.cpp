#include "simulators/stillcam/usb/cable_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/system/byte_order.h"

namespace qm::stillcam {
namespace {

namespace cable = usb::cable;

// A wait for the device's reply is cut into slices so a host that hangs up
// or a server told to stop is noticed soon.
constexpr std::uint32_t kWaitSliceMs = 100;

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool fillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a server already answers at the path.
bool somebodyListens(const sockaddr_un& address)
{
    int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool live = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return live;
}

std::vector<std::uint8_t> replyHeader(std::int32_t status, std::uint32_t length)
{
    std::vector<std::uint8_t> reply(cable::kReplyHeaderSize);
    sys::writeLe32(&reply[0], std::uint32_t(status));
    sys::writeLe32(&reply[4], length);
    return reply;
}

bool hungUp(int connection)
{
    pollfd fd = {connection, POLLIN | POLLRDHUP, 0};
    if (::poll(&fd, 1, 0) <= 0)
        return false;
    return (fd.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

}  // namespace

CableServer::CableServer(cable::VirtualDevice& device) : device_(device) {}

CableServer::~CableServer() { stop(); }

bool CableServer::start(const std::string& path, std::function<void()> onClosed, std::string* error)
{
    stop();
    sockaddr_un address;
    if (!fillAddress(path, address)) {
        if (error) *error = "socket path too long: " + path;
        return false;
    }
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode) || somebodyListens(address)) {
            if (error) *error = path + " is in use";
            return false;
        }
        ::unlink(path.c_str());
    }
    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        if (error) *error = systemError(path);
        cleanUp();
        return false;
    }
    struct stat bound {};
    ::stat(path.c_str(), &bound);
    inode_ = bound.st_ino;
    path_ = path;
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        if (error) *error = systemError("eventfd");
        cleanUp();
        return false;
    }
    onClosed_ = std::move(onClosed);
    stopping_ = false;
    closing_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void CableServer::stop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
        thread_.join();
    }
    cleanUp();
}

void CableServer::cleanUp()
{
    if (listener_ >= 0) {
        ::close(listener_);
        listener_ = -1;
        // Only our own socket is removed; somebody may have bound the path anew.
        struct stat current {};
        if (!path_.empty() && ::lstat(path_.c_str(), &current) == 0 && current.st_ino == inode_)
            ::unlink(path_.c_str());
    }
    if (wake_ >= 0 && !thread_.joinable()) {
        ::close(wake_);
        wake_ = -1;
    }
    running_ = false;
}

void CableServer::run()
{
    while (!stopping_ && !closing_) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        const bool keepServing = serveConnection(connection);
        ::close(connection);
        if (!keepServing)
            break;
    }
    if (closing_ && !stopping_) {
        // The device pulled its own cable: the socket and its path go now.
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
            struct stat current {};
            if (::lstat(path_.c_str(), &current) == 0 && current.st_ino == inode_)
                ::unlink(path_.c_str());
        }
        running_ = false;
        if (onClosed_)
            onClosed_();
    }
}

bool CableServer::serveConnection(int connection)
{
    std::vector<std::uint8_t> datagram(cable::kRequestHeaderSize + cable::kMaxPayload);
    std::vector<std::uint8_t> reply;
    while (!stopping_ && !closing_) {
        pollfd fds[2] = {{connection, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return true;
        }
        if (fds[1].revents != 0)
            return false;
        const ssize_t n = ::recv(connection, datagram.data(), datagram.size(), MSG_TRUNC);
        if (n <= 0)
            return true;  // the host hung up
        if (std::size_t(n) > datagram.size()) {
            reply = replyHeader(cable::kStatusBadRequest, 0);
        } else if (!dispatch(connection, std::span<const std::uint8_t>(datagram.data(), std::size_t(n)), reply)) {
            return !closing_ && !stopping_;
        }
        if (closing_)
            return false;  // unplugged while handling it: no answer
        if (::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL) < 0)
            return true;
    }
    return false;
}

bool CableServer::dispatch(int connection, std::span<const std::uint8_t> datagram, std::vector<std::uint8_t>& reply)
{
    if (datagram.size() < cable::kRequestHeaderSize) {
        reply = replyHeader(cable::kStatusBadRequest, 0);
        return true;
    }
    const auto op = cable::Op(sys::readLe32(&datagram[0]));
    const std::uint32_t pipe = sys::readLe32(&datagram[4]);
    const std::uint32_t length = sys::readLe32(&datagram[8]);
    const std::uint32_t timeoutMs = sys::readLe32(&datagram[12]);
    const auto payload = datagram.subspan(cable::kRequestHeaderSize);
    switch (op) {
    case cable::Op::Describe: {
        reply = replyHeader(cable::kStatusOk, 4);
        reply.resize(cable::kReplyHeaderSize + 4);
        sys::writeLe16(&reply[8], device_.vendorId());
        sys::writeLe16(&reply[10], device_.productId());
        return true;
    }
    case cable::Op::ResetDevice:
        device_.resetDevice();
        reply = replyHeader(cable::kStatusOk, 0);
        return true;
    case cable::Op::ResetPipe:
        device_.resetPipe(std::uint8_t(pipe));
        reply = replyHeader(cable::kStatusOk, 0);
        return true;
    case cable::Op::BulkOut: {
        if (length != payload.size() || pipe > 0xFF) {
            reply = replyHeader(cable::kStatusBadRequest, 0);
            return true;
        }
        const auto result = device_.bulkOut(std::uint8_t(pipe), payload);
        reply = replyHeader(result.status, std::uint32_t(result.length));
        return true;
    }
    case cable::Op::BulkIn:
        if (length > cable::kMaxPayload || pipe > 0xFF) {
            reply = replyHeader(cable::kStatusBadRequest, 0);
            return true;
        }
        return bulkIn(connection, std::uint8_t(pipe), length, timeoutMs, reply);
    }
    reply = replyHeader(cable::kStatusBadRequest, 0);
    return true;
}

bool CableServer::bulkIn(int connection, std::uint8_t pipe, std::uint32_t length, std::uint32_t timeoutMs,
                         std::vector<std::uint8_t>& reply)
{
    using namespace std::chrono;
    std::vector<std::uint8_t> data(length);
    const auto start = steady_clock::now();
    for (;;) {
        std::uint32_t slice = kWaitSliceMs;
        if (timeoutMs != 0) {
            const auto spent = std::uint32_t(duration_cast<milliseconds>(steady_clock::now() - start).count());
            if (spent >= timeoutMs) {
                reply = replyHeader(cable::kStatusTimeout, 0);
                return true;
            }
            slice = std::min(slice, timeoutMs - spent);
        }
        const auto result = device_.bulkIn(pipe, data, slice);
        if (result.status != cable::kStatusTimeout) {
            const std::size_t n = std::min<std::size_t>(result.length, data.size());
            reply = replyHeader(result.status, std::uint32_t(n));
            reply.insert(reply.end(), data.begin(), data.begin() + long(n));
            return true;
        }
        if (stopping_ || closing_ || hungUp(connection))
            return false;
    }
}

}  // namespace qm::stillcam
