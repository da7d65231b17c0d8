// The driver on the simulated bus with a scripted camera: the tests decide
// every frame the engine sees.
#pragma once

#include "tests/videodriver/driver/rig/video_rig.h"
#include "tests/videodriver/engine/scripted_camera.h"

namespace qm::morvax::test {

// Format indices of the capture pin (default order: 320 x 240 first).
inline constexpr ULONG kRgb320x240 = 0;

class ScriptedRig : public VideoRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options;
        options.device = scripted_;
        return options;
    }

    ScriptedCamera& scripted() { return *scripted_; }

    // Opens the capture pin, runs it and lets the isochronous transfers get
    // going, so that the next frame queued arrives whole.
    std::unique_ptr<Stream> running()
    {
        auto stream = openRunning(kCaptureStream, kRgb320x240);
        advance(40);
        return stream;
    }
    ULONG frameExtent() { return imageSize(formatFor(kCaptureStream, kRgb320x240)); }

    // Steps until the camera has sent everything queued, and a little more
    // so that the last frame's end is seen.
    void sendAll()
    {
        for (int i = 0; i < 5000 && scripted_->framesQueued() > 0; ++i)
            advance(1);
        advance(70);
    }

    static std::uint16_t markerOf(const CompletedRead& read)
    {
        return read.data.size() >= 6 ? std::uint16_t(read.data[4] | read.data[5] << 8) : 0xFFFF;
    }

    std::shared_ptr<ScriptedCamera> scripted_ = std::make_shared<ScriptedCamera>();
};

}  // namespace qm::morvax::test
