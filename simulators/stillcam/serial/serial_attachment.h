// The camera on a serial line. Like a UART it hears only what arrives at its
// own rate with 8 data bits, no parity and one stop bit; anything else is
// noise it ignores. (A pseudo-terminal always carries 8 bits without parity,
// so of the frame only the stop bits can differ.) With pacing on, every
// byte takes its time on the line.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "simulators/stillcam/core/camera_core.h"
#include "simulators/stillcam/serial/pty_line.h"

namespace qm::stillcam {

class SerialAttachment {
public:
    // onUnplug runs on the attachment's thread when the camera pulls its own
    // cable (an Unplug fault).
    SerialAttachment(CameraCore& core, bool pacing, std::function<void()> onUnplug);
    ~SerialAttachment();
    SerialAttachment(const SerialAttachment&) = delete;
    SerialAttachment& operator=(const SerialAttachment&) = delete;

    // Listeners that run on the attachment's thread may detach it; the line
    // then goes once the current request is done.
    bool attach(int port, const std::string& windowsDir, std::string* error);
    void detach();
    bool attached() const { return attached_; }
    std::string linkPath() const;
    std::string devicePath() const;

private:
    void run();
    void takeBytes(std::span<const std::uint8_t> bytes);
    void serve(const Request& request, std::uint32_t rate);
    bool send(std::span<const std::uint8_t> bytes, std::uint32_t rate);
    bool pause(std::uint32_t milliseconds);  // false when told to stop
    void release();                          // closes the line and removes the link

    CameraCore& core_;
    const bool pacing_;
    std::function<void()> onUnplug_;
    mutable std::mutex mutex_;
    std::unique_ptr<PtyLine> line_;
    DosDeviceLink link_;
    std::thread thread_;
    int wake_ = -1;
    std::atomic<bool> attached_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> releaseOnExit_{false};
    RequestAssembler assembler_;
    std::uint64_t lastByteMs_ = 0;
};

}  // namespace qm::stillcam
