// A CameraLink opened on a scripted transport, with the link's fixed waits
// cut to a minimum and every progress event recorded.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "device/protocol/camera_link.h"
#include "device/transport/link_timing.h"
#include "platform/system/last_error.h"
#include "tests/device/protocol/scripted_transport.h"
#include "tests/device/transport/scoped_link_time.h"

namespace qm::test {

struct ProgressEvent {
    std::uint32_t command;
    std::uint32_t event;
    std::uint32_t value;
    friend bool operator==(const ProgressEvent&, const ProgressEvent&) = default;
};

// Progress callbacks are plain functions; the fixture collects here.
inline std::vector<ProgressEvent>& recordedProgress()
{
    static std::vector<ProgressEvent> events;
    return events;
}

inline void recordProgress(std::uint32_t command, std::uint32_t event, std::uint32_t value)
{
    recordedProgress().push_back({command, event, value});
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { recordedProgress().clear(); }

    // Opens the link; the transport's open probe is answered "ready", then
    // every request goes to `handler`.
    ScriptedTransport& open(std::function<Bytes(const Bytes&)> handler)
    {
        handler_ = std::move(handler);
        opened_ = false;
        auto transport = std::make_unique<ScriptedTransport>([this](const Bytes& request) {
            return opened_ ? handler_(request) : cameraReply(0x01, {1});
        });
        ScriptedTransport& raw = *transport;
        link.setProgressCallback(&recordProgress);
        EXPECT_TRUE(link.openWith(std::move(transport)));
        opened_ = true;
        recordedProgress().clear();
        return raw;
    }

    ScopedLinkTime linkTime{1};
    device::CameraLink link;

private:
    std::function<Bytes(const Bytes&)> handler_;
    bool opened_ = false;
};

}  // namespace qm::test
