// Test fixture for code on the simulated kernel: the clock is manual (time
// moves only when the test advances it) and bug checks are recorded instead
// of stopping the process.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "platform/kernel/irql.h"
#include "platform/kernel/sim_clock.h"

namespace qm::test {

class SimulatedKernelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kernel::sim::setClockMode(kernel::sim::ClockMode::Manual);
        kernel::sim::setBugCheckHandler([this](const kernel::sim::BugCheck& check) {
            std::lock_guard<std::mutex> guard(bugCheckLock_);
            bugChecks_.push_back(check);
        });
    }

    void TearDown() override
    {
        kernel::sim::setClockMode(kernel::sim::ClockMode::Manual);
        kernel::sim::waitUntilSettled();
        kernel::sim::setBugCheckHandler(nullptr);
        kernel::sim::setClockMode(kernel::sim::ClockMode::RealTime);
    }

    std::vector<kernel::sim::BugCheck> bugChecks()
    {
        std::lock_guard<std::mutex> guard(bugCheckLock_);
        return bugChecks_;
    }

    // The codes of the bug checks raised so far.
    std::vector<kernel::ULONG> bugCheckCodes()
    {
        std::vector<kernel::ULONG> codes;
        for (const auto& check : bugChecks())
            codes.push_back(check.code);
        return codes;
    }

    static void advance(kernel::ULONG milliseconds) { ASSERT_TRUE(kernel::sim::advanceClock(milliseconds)); }
    static void settle() { kernel::sim::waitUntilSettled(); }

private:
    std::mutex bugCheckLock_;
    std::vector<kernel::sim::BugCheck> bugChecks_;
};

}  // namespace qm::test
