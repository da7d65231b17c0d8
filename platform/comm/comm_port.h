// One open serial port: the terminal, its exclusive lock and the settings the
// platform keeps for it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/comm/comm.h"

namespace qm::comm {

class CommPort {
public:
    // Opens and locks the terminal; null with the last error set on failure.
    static std::unique_ptr<CommPort> open(const std::string& devicePath);
    ~CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    DCB state() const;
    bool setState(const DCB& dcb);
    COMMTIMEOUTS timeouts() const;
    void setTimeouts(const COMMTIMEOUTS& timeouts);
    bool setQueues(DWORD inQueue, DWORD outQueue);
    COMMPROP properties() const;
    bool purge(DWORD flags);

    bool read(std::uint8_t* buffer, DWORD toRead, DWORD& read);
    bool write(const std::uint8_t* buffer, DWORD toWrite, DWORD& written);

private:
    explicit CommPort(int fd);
    void applyModemLines(const DCB& dcb);

    int fd_;
    mutable std::mutex mutex_;  // guards the settings below, not the I/O
    DCB dcb_;
    COMMTIMEOUTS timeouts_;
    DWORD inQueue_ = 4096;
    DWORD outQueue_ = 4096;
};

}  // namespace qm::comm
