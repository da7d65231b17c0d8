#include "platform/usb/cable_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/system/byte_order.h"
#include "platform/usb/cable_wire.h"

namespace qm::usb::cable {

class CableServer::Impl {
public:
    Impl(std::string path, std::shared_ptr<VirtualDevice> device, int listener, int wake)
        : path_(std::move(path)), device_(std::move(device)), listener_(listener), wake_(wake)
    {
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~Impl()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto ignored = ::write(wake_, &one, sizeof one);
        acceptor_.join();
        {
            std::lock_guard lock(mutex_);
            for (const int fd : connections_)
                ::shutdown(fd, SHUT_RDWR);
        }
        for (auto& worker : workers_)
            worker.join();
        ::close(listener_);
        ::close(wake_);
        ::unlink(path_.c_str());
    }

    const std::string& path() const { return path_; }

private:
    void acceptLoop()
    {
        for (;;) {
            pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0)
                continue;
            if (fds[1].revents & POLLIN)
                return;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            std::lock_guard lock(mutex_);
            connections_.push_back(fd);
            workers_.emplace_back([this, fd] { serve(fd); });
        }
    }

    void serve(int fd)
    {
        std::vector<std::uint8_t> request(kRequestHeaderSize + kMaxPayload);
        std::vector<std::uint8_t> payload(kMaxPayload);
        for (;;) {
            const auto size = receiveDatagram(fd, request, -1);
            if (!size)
                break;
            const auto header = decodeRequest(std::span(request).first(*size));
            std::vector<std::uint8_t> reply;
            if (!header) {
                reply = encodeReply({kStatusBadRequest, 0});
            } else {
                reply = answer(*header, std::span(request).subspan(kRequestHeaderSize, *size - kRequestHeaderSize),
                               payload);
            }
            if (!sendDatagram(fd, reply))
                break;
        }
        std::lock_guard lock(mutex_);
        connections_.remove(fd);
        ::close(fd);
    }

    std::vector<std::uint8_t> answer(const RequestHeader& header, std::span<const std::uint8_t> out,
                                     std::vector<std::uint8_t>& scratch)
    {
        const auto pipe = std::uint8_t(header.pipe);
        switch (header.op) {
        case Op::Describe: {
            std::uint8_t ids[4];
            sys::writeLe16(&ids[0], device_->vendorId());
            sys::writeLe16(&ids[2], device_->productId());
            return encodeReply({kStatusOk, 4}, ids);
        }
        case Op::ResetDevice:
            device_->resetDevice();
            return encodeReply({kStatusOk, 0});
        case Op::ResetPipe:
            device_->resetPipe(pipe);
            return encodeReply({kStatusOk, 0});
        case Op::BulkOut: {
            const TransferResult result = device_->bulkOut(pipe, out);
            const std::size_t moved = std::min(result.length, out.size());
            return encodeReply({result.status, std::uint32_t(moved)});
        }
        case Op::BulkIn: {
            const std::span<std::uint8_t> into(scratch.data(), header.length);
            const TransferResult result = device_->bulkIn(pipe, into, header.timeoutMs);
            const std::size_t moved = result.status == kStatusOk ? std::min(result.length, into.size()) : 0;
            return encodeReply({result.status, std::uint32_t(moved)}, into.first(moved));
        }
        }
        return encodeReply({kStatusBadRequest, 0});
    }

    std::string path_;
    std::shared_ptr<VirtualDevice> device_;
    int listener_;
    int wake_;
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<int> connections_;
    std::list<std::thread> workers_;
};

std::unique_ptr<CableServer> CableServer::start(const std::string& socketPath, std::shared_ptr<VirtualDevice> device)
{
    sockaddr_un address {};
    if (!device || socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return nullptr;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int listener = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return nullptr;
    ::unlink(socketPath.c_str());
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0) {
        ::close(listener);
        return nullptr;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        ::close(listener);
        ::unlink(socketPath.c_str());
        return nullptr;
    }
    return std::unique_ptr<CableServer>(
        new CableServer(std::make_unique<Impl>(socketPath, std::move(device), listener, wake)));
}

CableServer::CableServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CableServer::~CableServer() = default;
const std::string& CableServer::socketPath() const { return impl_->path(); }

}  // namespace qm::usb::cable
