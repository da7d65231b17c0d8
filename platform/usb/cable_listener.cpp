#include "platform/usb/cable_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm::usb::cable {
namespace {

constexpr int kBacklog = 8;

void fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = reason;
}

// Only a refused connection proves nobody serves the socket; a full backlog
// or any other error may well be a live server.
bool nobodyListens(const sockaddr_un& address)
{
    const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

}  // namespace

std::optional<ListeningSocket> listenAt(const std::string& path, std::string* error)
{
    sockaddr_un address {};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        fail(error, "unusable socket path: " + path);
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode) || !nobodyListens(address)) {
            fail(error, path + " is in use");
            return std::nullopt;
        }
        ::unlink(path.c_str());
    }

    ListeningSocket socket;
    socket.fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (socket.fd < 0) {
        fail(error, std::string("socket: ") + std::strerror(errno));
        return std::nullopt;
    }
    // A server that binds the path between the probe and here wins: bind fails.
    if (::bind(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        fail(error, path + ": " + std::strerror(errno));
        ::close(socket.fd);
        return std::nullopt;
    }
    struct stat bound {};
    if (::listen(socket.fd, kBacklog) != 0 || ::stat(path.c_str(), &bound) != 0) {
        fail(error, path + ": " + std::strerror(errno));
        ::close(socket.fd);
        ::unlink(path.c_str());
        return std::nullopt;
    }
    socket.device = bound.st_dev;
    socket.inode = bound.st_ino;
    return socket;
}

void removeIfStillOurs(const std::string& path, const ListeningSocket& socket)
{
    struct stat current {};
    if (::lstat(path.c_str(), &current) == 0 && current.st_dev == socket.device && current.st_ino == socket.inode)
        ::unlink(path.c_str());
}

}  // namespace qm::usb::cable
