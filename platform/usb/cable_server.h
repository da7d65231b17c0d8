// The device end of the virtual cable: serves a VirtualDevice on a Unix
// socket. Every host connection is served on its own thread, as a bus lets
// a device be enumerated and opened again while a handle holds it open: a
// host scans while another of its connections keeps the device registered.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/usb/virtual_cable.h"

namespace qm::usb::cable {

class CableServer {
public:
    // Null when the socket cannot be made at that path, with the reason in
    // *error: the path is unusable, or a live server or something that is
    // not a socket has it. A socket whose server is gone is replaced.
    // onClosed runs once, on a server thread, when the device unplugs itself
    // (VirtualDevice::unplugged): by then the path is removed and every
    // host connection is shut.
    static std::unique_ptr<CableServer> start(const std::string& socketPath, std::shared_ptr<VirtualDevice> device,
                                              std::function<void()> onClosed = {}, std::string* error = nullptr);
    // Closes every connection (hosts see an unplugged device) and removes
    // the socket unless another server has taken the path since. onClosed
    // is not run. Not to be called from one of the server's own threads.
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
