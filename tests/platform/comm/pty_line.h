// A pseudo-terminal standing in for a serial cable in tests: the far end
// (master) is the device side; the near end is published as W/dosdevices/comN
// so CreateFile("COMn") reaches it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

class PtyLine {
public:
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    const std::string& terminalPath() const { return terminalPath_; }
    int deviceFd() const { return master_; }

    // Links W/dosdevices/com<number> to this terminal ($WINDIR must be set).
    void publishAs(unsigned number) const;

    void send(const std::vector<std::uint8_t>& bytes) const;
    // Reads up to `count` bytes that the host wrote, waiting at most `limit`.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds limit) const;
    // Blocks until the host side has input waiting (what send() queued).
    bool waitUntilHostCanRead(std::chrono::milliseconds limit) const;
    // The line speed the host set, in bit/s.
    unsigned hostSpeed() const;
    // Cuts the line: the host sees a hang-up.
    void hangUp();

private:
    int master_ = -1;
    int hostProbe_ = -1;  // a second host-side descriptor used only to poll
    std::string terminalPath_;
};

// Marks W/dosdevices/com<number> as a port whose device is gone, so tests
// never reach the machine's own serial ports.
void publishAbsentPort(unsigned number);

}  // namespace qm::test
