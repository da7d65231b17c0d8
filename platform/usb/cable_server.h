// The device end of the virtual cable: serves a VirtualDevice on a Unix
// socket. Every host connection is served on its own thread, so a host may
// scan while another of its connections holds the device registered.
#pragma once

#include <memory>
#include <string>

#include "platform/usb/virtual_cable.h"

namespace qm::usb::cable {

class CableServer {
public:
    // Null when the socket cannot be created at that path.
    static std::unique_ptr<CableServer> start(const std::string& socketPath, std::shared_ptr<VirtualDevice> device);
    // Closes every connection (hosts see an unplugged device) and removes
    // the socket.
    ~CableServer();
    CableServer(const CableServer&) = delete;
    CableServer& operator=(const CableServer&) = delete;

    const std::string& socketPath() const;

    class Impl;

private:
    explicit CableServer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace qm::usb::cable
