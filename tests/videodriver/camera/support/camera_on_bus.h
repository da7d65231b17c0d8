// The camera layer without the stream class: a context behind an engine
// device extension whose vendor requests reach the simulated dual-mode
// camera on a simulated bus, through a recorder that keeps every register
// write. Private Windows directory (and registry), manual kernel clock.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/usbd/bus.h"
#include "simulators/dualcam/dual_camera.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/platform/usbd/forwarding_device.h"
#include "tests/support/windows_dir.h"
#include "videodriver/camera/morvax_context.h"

namespace qm::morvax::test {

struct RegisterWrite {
    USHORT first = 0;
    std::vector<UCHAR> bytes;
};

// Passes everything to the camera and notes the register writes.
class RecordingCamera : public usbd::test::ForwardingDevice {
public:
    explicit RecordingCamera(std::shared_ptr<dualcam::DualCamera> camera)
        : ForwardingDevice(camera), camera_(std::move(camera))
    {
    }

    std::vector<RegisterWrite> writes() const;
    // The writes whose first register is `first`.
    std::vector<RegisterWrite> writesTo(USHORT first) const;
    ULONG reads() const;
    void clear();

    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override;
    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override;

private:
    std::shared_ptr<dualcam::DualCamera> camera_;
    mutable std::mutex lock_;
    std::vector<RegisterWrite> writes_;
    ULONG reads_ = 0;
};

class CameraOnBus : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs a camera built from `config` (SetUp plugs the default one) and
    // configures the context for it: defaults, CCD and CDS type, default
    // image, a 640 x 480 stream in video mode.
    void plug(dualcam::DualCamConfig config);
    // Gives the context its pool buffers and header template.
    void initialize();

    MorvaxContext* context();
    dualcam::DualCamera& camera() { return *camera_; }
    RecordingCamera& wire() { return *recorder_; }

private:
    std::unique_ptr<qm::test::WindowsDir> windows_;
    std::unique_ptr<usbd::Bus> bus_;
    std::shared_ptr<dualcam::DualCamera> camera_;
    std::shared_ptr<RecordingCamera> recorder_;
    std::vector<unsigned char> extension_;
    bool initialized_ = false;
};

}  // namespace qm::morvax::test
