#include "tests/simulators/stillcam/camera_host.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/system/byte_order.h"
#include "platform/usb/virtual_cable.h"

namespace qm::stillcam::test {

Bytes request(std::initializer_list<std::uint8_t> body) { return request(std::span(body.begin(), body.size())); }

Bytes request(std::span<const std::uint8_t> body)
{
    Bytes packet{0x40, std::uint8_t((body.size() + 1) >> 8), std::uint8_t(body.size() + 1)};
    std::uint8_t sum = 0;
    for (std::uint8_t b : body) {
        packet.push_back(b);
        sum = std::uint8_t(sum + b);
    }
    packet.push_back(sum);
    return packet;
}

Bytes firstBlockRequest(std::uint8_t code, unsigned picture)
{
    return request({code, 0, std::uint8_t(picture), std::uint8_t(picture >> 8)});
}

Bytes nextBlockRequest(std::uint8_t code, std::uint8_t state, std::uint8_t sequence)
{
    return request({code, state, sequence});
}

Reply parseReply(std::span<const std::uint8_t> packet)
{
    Reply reply;
    if (packet.size() < 5 || packet[0] != 0x40)
        return reply;
    reply.length = sys::readLe16(&packet[1]);
    if (reply.length < 2 || reply.length + 3 > packet.size())
        return reply;
    reply.code = packet[3];
    reply.data.assign(packet.begin() + 4, packet.begin() + long(reply.length + 2));
    std::uint8_t sum = reply.code;
    for (std::uint8_t b : reply.data)
        sum = std::uint8_t(sum + b);
    reply.valid = sum == packet[reply.length + 2];
    return reply;
}

CommandWatcher::CommandWatcher(StillCamera& camera) : camera_(camera)
{
    camera_.setCommandListener([this](const CommandRecord&, std::string_view line) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
        arrived_.notify_all();
    });
}

CommandWatcher::~CommandWatcher() { camera_.setCommandListener(nullptr); }

bool CommandWatcher::waitFor(const std::string& text)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(10), [&] {
        for (auto it = lines_.begin(); it != lines_.end(); ++it) {
            if (it->find(text) != std::string::npos) {
                lines_.erase(lines_.begin(), it + 1);
                return true;
            }
        }
        return false;
    });
}

SerialHost::SerialHost(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}

SerialHost::~SerialHost()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void SerialHost::setLine(std::uint32_t rate, bool twoStopBits)
{
    termios line{};
    tcgetattr(fd_, &line);
    cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cflag &= ~CSTOPB;
    if (twoStopBits)
        line.c_cflag |= CSTOPB;
    speed_t speed = rate == 9600 ? B9600 : rate == 19200 ? B19200 : rate == 38400 ? B38400
                  : rate == 57600 ? B57600 : rate == 115200 ? B115200 : B4800;
    cfsetispeed(&line, speed);
    cfsetospeed(&line, speed);
    tcsetattr(fd_, TCSANOW, &line);
}

void SerialHost::send(std::span<const std::uint8_t> bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0)
            return;
        sent += std::size_t(n);
    }
}

Bytes SerialHost::receive(std::size_t n, int timeoutMs)
{
    using namespace std::chrono;
    Bytes out;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    while (out.size() < n) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd fd = {fd_, POLLIN, 0};
        if (::poll(&fd, 1, int(left)) <= 0)
            break;
        std::uint8_t buffer[4096];
        ssize_t got = ::read(fd_, buffer, std::min(sizeof buffer, n - out.size()));
        if (got <= 0)
            break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

std::size_t SerialHost::pending()
{
    std::size_t total = 0;
    pollfd fd = {fd_, POLLIN, 0};
    while (::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0) {
        std::uint8_t buffer[4096];
        ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        total += std::size_t(got);
    }
    return total;
}

CableHost::CableHost(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

CableHost::~CableHost()
{
    if (fd_ >= 0)
        ::close(fd_);
}

CableHost::Result CableHost::call(std::uint32_t op, std::uint32_t pipe, std::span<const std::uint8_t> payload,
                                  std::uint32_t length, std::uint32_t timeoutMs)
{
    Result result;
    Bytes datagram(usb::cable::kRequestHeaderSize);
    sys::writeLe32(&datagram[0], op);
    sys::writeLe32(&datagram[4], pipe);
    sys::writeLe32(&datagram[8], length);
    sys::writeLe32(&datagram[12], timeoutMs);
    datagram.insert(datagram.end(), payload.begin(), payload.end());
    if (fd_ < 0 || ::send(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL) < 0)
        return result;
    Bytes answer(usb::cable::kReplyHeaderSize + usb::cable::kMaxPayload);
    ssize_t n = ::recv(fd_, answer.data(), answer.size(), 0);
    if (n < ssize_t(usb::cable::kReplyHeaderSize))
        return result;
    result.status = std::int32_t(sys::readLe32(&answer[0]));
    result.length = sys::readLe32(&answer[4]);
    result.data.assign(answer.begin() + usb::cable::kReplyHeaderSize, answer.begin() + n);
    return result;
}

CableHost::Result CableHost::describe() { return call(1, 0, {}, 0, 0); }
CableHost::Result CableHost::resetPipe(std::uint8_t pipe) { return call(3, pipe, {}, 0, 0); }

CableHost::Result CableHost::bulkOut(std::uint8_t pipe, std::span<const std::uint8_t> data)
{
    return call(4, pipe, data, std::uint32_t(data.size()), 0);
}

CableHost::Result CableHost::bulkIn(std::uint8_t pipe, std::uint32_t length, std::uint32_t timeoutMs)
{
    return call(5, pipe, {}, length, timeoutMs);
}

bool CableHost::sendRequest(std::span<const std::uint8_t> request)
{
    for (std::size_t at = 0; at < request.size(); at += kUsbPacketSize) {
        std::uint8_t packet[kUsbPacketSize] = {};
        const std::size_t n = std::min(kUsbPacketSize, request.size() - at);
        std::memcpy(packet, request.data() + at, n);
        Result r = bulkOut(kRequestPipe, packet);
        if (r.status != usb::cable::kStatusOk || r.length != kUsbPacketSize)
            return false;
    }
    return true;
}

Bytes CableHost::receiveReply(std::size_t n, std::uint32_t timeoutMs)
{
    Bytes out;
    while (out.size() < n) {
        Result r = bulkIn(kReplyPipe, kUsbPacketSize, timeoutMs);
        if (r.status != usb::cable::kStatusOk || r.data.empty())
            break;
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    if (out.size() > n)
        out.resize(n);
    return out;
}

Bytes CableHost::exchange(std::span<const std::uint8_t> req, std::size_t replySize)
{
    if (!sendRequest(req))
        return {};
    return receiveReply(replySize);
}

}  // namespace qm::stillcam::test
