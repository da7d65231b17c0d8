// The driver under the adapter host on a simulated dual-mode camera whose
// register traffic is recorded, with a property client.
#pragma once

#include "tests/videodriver/driver/rig/video_rig.h"
#include "tests/videodriver/exposure/bench/context_bench.h"
#include "tests/videodriver/properties/support/property_client.h"

namespace qm::morvax::test {

class PropertyRig : public VideoRig {
protected:
    void SetUp() override
    {
        camera_ = std::make_shared<dualcam::DualCamera>(cameraConfig());
        recorder_ = makeRecorder(camera_);
        VideoRig::SetUp();
        if (client_ == nullptr && rigOptions().start)
            client_ = std::make_unique<PropertyClient>(host());
    }
    void TearDown() override
    {
        client_.reset();
        VideoRig::TearDown();
        recorder_.reset();
        camera_.reset();
    }

    RigOptions rigOptions() override
    {
        RigOptions options;
        options.device = recorder_;
        options.settings = settings();
        return options;
    }
    virtual dualcam::DualCamConfig cameraConfig() { return RigOptions::quietCamera(); }
    // What stands between the driver and the camera.
    virtual std::shared_ptr<WireRecorder> makeRecorder(std::shared_ptr<dualcam::DualCamera> camera)
    {
        return std::make_shared<WireRecorder>(std::move(camera));
    }
    virtual std::vector<Setting> settings() { return {}; }

    // After a test started the rig itself.
    void startWith(RigOptions options)
    {
        options.device = recorder_;
        startRig(std::move(options));
        client_ = std::make_unique<PropertyClient>(host());
    }

    dualcam::DualCamera& sim() { return *camera_; }
    WireRecorder& wire() { return *recorder_; }
    PropertyClient& properties() { return *client_; }

private:
    std::shared_ptr<dualcam::DualCamera> camera_;
    std::shared_ptr<WireRecorder> recorder_;
    std::unique_ptr<PropertyClient> client_;
};

}  // namespace qm::morvax::test
