#include "platform/usb/cable_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/usb/cable_listener.h"
#include "platform/usb/cable_requests.h"
#include "platform/usb/cable_wire.h"

namespace qm::usb::cable {
namespace {

// The host closed its end, or the server shut the connection down.
bool hungUp(int fd)
{
    pollfd pfd {fd, POLLRDHUP, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

}  // namespace

class CableServer::Impl {
public:
    Impl(std::string path, std::shared_ptr<VirtualDevice> device, std::function<void()> onClosed,
         ListeningSocket listener, int wake)
        : path_(std::move(path)),
          device_(std::move(device)),
          onClosed_(std::move(onClosed)),
          listener_(listener),
          wake_(wake)
    {
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~Impl()
    {
        stopping_ = true;
        end();
        acceptor_.join();
        // Nothing adds or removes connections any more; each worker only
        // marks its own entry, under the mutex.
        for (Connection& connection : connections_)
            connection.thread.join();
        ::close(wake_);
    }

    const std::string& path() const { return path_; }

private:
    struct Connection {
        int fd = -1;  // -1 once its worker has closed it
        bool finished = false;
        std::thread thread;
    };

    void acceptLoop()
    {
        for (;;) {
            pollfd fds[2] = {{listener_.fd, POLLIN, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0)
                continue;
            if (fds[1].revents != 0)
                break;
            if (fds[0].revents == 0)
                continue;
            const int fd = ::accept4(listener_.fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::lock_guard lock(mutex_);
            joinFinishedWorkers();
            if (ending_) {
                ::close(fd);
                break;
            }
            Connection& connection = connections_.emplace_back();
            connection.fd = fd;
            connection.thread = std::thread([this, &connection] { serve(connection); });
        }
        // Hosts still waiting to be taken see the cable go.
        ::close(listener_.fd);
    }

    // A long-lived server meets many short scans; their threads are joined
    // as new hosts come rather than gathered until the end.
    void joinFinishedWorkers()
    {
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (it->finished) {
                it->thread.join();
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void serve(Connection& connection)
    {
        const int fd = connection.fd;
        const auto abandon = [this, fd] { return ending_ || device_->unplugged() || hungUp(fd); };
        std::vector<std::uint8_t> request(kRequestHeaderSize + kMaxPayload);
        while (!ending_) {
            const auto size = receiveDatagram(fd, request, -1);
            if (!size)
                break;
            const auto reply = answerRequest(*device_, std::span(request).first(*size), abandon);
            if (device_->unplugged()) {
                // Not even the request that pulled the cable is answered.
                unplug();
                break;
            }
            if (!reply || !sendDatagram(fd, *reply))
                break;
        }
        std::lock_guard lock(mutex_);
        ::close(fd);
        connection.fd = -1;
        connection.finished = true;
    }

    void unplug()
    {
        if (unplugged_.exchange(true))
            return;
        end();
        if (onClosed_ && !stopping_)
            onClosed_();
    }

    // Stops taking hosts, removes the path and shuts every connection down.
    // Any thread may call it, more than once.
    void end()
    {
        ending_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto ignored = ::write(wake_, &one, sizeof one);
        std::call_once(pathRemoved_, [this] { removeIfStillOurs(path_, listener_); });
        std::lock_guard lock(mutex_);
        for (const Connection& connection : connections_) {
            if (connection.fd >= 0)
                ::shutdown(connection.fd, SHUT_RDWR);
        }
    }

    const std::string path_;
    const std::shared_ptr<VirtualDevice> device_;
    const std::function<void()> onClosed_;
    const ListeningSocket listener_;
    const int wake_;
    std::atomic<bool> ending_ {false};
    std::atomic<bool> stopping_ {false};  // the server is being destroyed
    std::atomic<bool> unplugged_ {false};
    std::once_flag pathRemoved_;
    std::mutex mutex_;
    std::list<Connection> connections_;
    std::thread acceptor_;
};

std::unique_ptr<CableServer> CableServer::start(const std::string& socketPath, std::shared_ptr<VirtualDevice> device,
                                                std::function<void()> onClosed, std::string* error)
{
    if (!device) {
        if (error)
            *error = "no device to serve";
        return nullptr;
    }
    const auto listener = listenAt(socketPath, error);
    if (!listener)
        return nullptr;
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        if (error)
            *error = std::string("eventfd: ") + std::strerror(errno);
        ::close(listener->fd);
        removeIfStillOurs(socketPath, *listener);
        return nullptr;
    }
    return std::unique_ptr<CableServer>(new CableServer(
        std::make_unique<Impl>(socketPath, std::move(device), std::move(onClosed), *listener, wake)));
}

CableServer::CableServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CableServer::~CableServer() = default;
const std::string& CableServer::socketPath() const { return impl_->path(); }

}  // namespace qm::usb::cable
