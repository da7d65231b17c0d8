// Serves a VirtualDevice on the virtual USB cable: a SOCK_SEQPACKET Unix
// socket at a path, one host connection at a time, one datagram per request
// and per answer (platform/usb/virtual_cable.h). Unplugging closes the
// socket and removes the path.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/usb/virtual_cable.h"

namespace qm::stillcam {

class CableServer {
public:
    explicit CableServer(usb::cable::VirtualDevice& device);
    ~CableServer();
    CableServer(const CableServer&) = delete;
    CableServer& operator=(const CableServer&) = delete;

    // Binds the path (a stale socket left there is replaced; a live one is
    // not) and starts serving. onClosed runs on the server's thread when it
    // ends by itself after close().
    bool start(const std::string& path, std::function<void()> onClosed, std::string* error);
    // Stops serving from any other thread: the socket goes, the path too.
    void stop();
    // From the server's own thread (inside a device call): the current
    // request is not answered and the server ends.
    void close() { closing_ = true; }
    bool running() const { return running_; }
    const std::string& path() const { return path_; }

private:
    void run();
    bool serveConnection(int connection);  // false: the server should end
    bool dispatch(int connection, std::span<const std::uint8_t> datagram, std::vector<std::uint8_t>& reply);
    bool bulkIn(int connection, std::uint8_t pipe, std::uint32_t length, std::uint32_t timeoutMs,
                std::vector<std::uint8_t>& reply);
    void cleanUp();

    usb::cable::VirtualDevice& device_;
    std::string path_;
    ino_t inode_ = 0;
    int listener_ = -1;
    int wake_ = -1;
    std::thread thread_;
    std::function<void()> onClosed_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> closing_{false};
};

}  // namespace qm::stillcam
