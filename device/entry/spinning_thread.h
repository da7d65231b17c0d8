// The short-lived thread that keeps a processor busy while a picture comes
// over the serial line. It spins until the download returns (or 30 s pass)
// and shares nothing with the download but its run flag.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

namespace qm::device {

class SpinningThread {
public:
    static constexpr std::uint32_t kLimitMs = 30000;
    static constexpr std::size_t kStackBytes = 4096;

    // Sets the run flag and starts the thread (best effort: a thread that
    // cannot be started leaves the download to run alone).
    SpinningThread();
    // Clears the run flag and waits for the thread to end.
    ~SpinningThread();
    SpinningThread(const SpinningThread&) = delete;
    SpinningThread& operator=(const SpinningThread&) = delete;

    bool started() const { return started_; }

private:
    static void* spin(void* self);

    std::atomic<std::uint32_t> run_{0};
    std::uint32_t startTick_ = 0;
    pthread_t thread_{};
    bool started_ = false;
};

}  // namespace qm::device
