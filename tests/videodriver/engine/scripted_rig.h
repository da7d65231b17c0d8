// The driver on the simulated bus with a scripted camera: the tests decide
// every frame the engine sees.
#pragma once

#include "tests/videodriver/driver/rig/video_rig.h"
#include "tests/videodriver/engine/scripted_camera.h"
#include "videodriver/jpeg/jpeg_header.h"

namespace qm::morvax::test {

// The capture pin's MJPG format at 320 x 240 (the five RGB24 sizes come
// first, each group with its default size, 320 x 240, in front). Its frames
// are the camera's scan data behind a JPEG header, so the tests see exactly
// the bytes the engine delivered whatever they hold.
inline constexpr ULONG kMjpg320x240 = 5;
// Where a frame's bytes start in a read: behind the JPEG header.
inline constexpr std::size_t kScanOffset = kJpegTemplateSize;

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
    // going, so that the next frame queued arrives whole. Their first
    // completion comes later: reads queued now are waiting when the stream's
    // first packet begins a frame.
    std::unique_ptr<Stream> running()
    {
        auto stream = openRunning(kCaptureStream, kMjpg320x240);
        advance(40);
        return stream;
    }
    std::vector<UCHAR> captureFormat() { return formatFor(kCaptureStream, kMjpg320x240); }
    ULONG frameExtent() { return imageSize(captureFormat()); }

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
        return read.data.size() >= kScanOffset + 2
                   ? std::uint16_t(read.data[kScanOffset] | read.data[kScanOffset + 1] << 8)
                   : 0xFFFF;
    }

    std::shared_ptr<ScriptedCamera> scripted_ = std::make_shared<ScriptedCamera>();
};

}  // namespace qm::morvax::test
