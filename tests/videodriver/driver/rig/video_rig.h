// A Morvax test rig: the simulated dual-mode camera on a simulated bus,
// the driver library loaded and started by the adapter host, a private
// Windows directory (and so a private registry), and the kernel clock in
// manual mode with bug checks recorded instead of stopping the process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/streamclass/adapter_host.h"
#include "platform/system/library.h"
#include "platform/usbd/bus.h"
#include "simulators/dualcam/dual_camera.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/support/windows_dir.h"

namespace qm::morvax::test {

using namespace qm::streamclass;

// Values written to the camera's settings key before the device starts.
struct Setting {
    std::u16string name;
    ULONG value;
};

struct RigOptions {
    dualcam::DualCamConfig camera = quietCamera();
    // Plugged in place of the dual-mode camera when set.
    std::shared_ptr<usbd::DeviceModel> device;
    std::vector<Setting> settings;
    // Bytes per frame the bus grants; 0 keeps the bus's own budget.
    ULONG bandwidthLimit = 0;
    bool start = true;
    NTSTATUS expectedStart = STATUS_SUCCESS;

    static dualcam::DualCamConfig quietCamera()
    {
        dualcam::DualCamConfig config;
        config.scene.moving = false;
        return config;
    }
};

inline constexpr ULONG kCaptureStream = 0;
inline constexpr ULONG kStillStream = 1;
inline constexpr ULONG kWaitLimitMs = 20000;

// Writes a REG_DWORD under the default settings key, creating the keys.
void writeSetting(const std::u16string& name, ULONG value);

class VideoRig : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the rig; the tests whose options differ call it themselves.
    void startRig(RigOptions options);
    virtual RigOptions rigOptions() { return {}; }

    AdapterHost& host() { return *host_; }
    // The dual-mode camera (not there when the options gave another device).
    dualcam::DualCamera& camera() { return *camera_; }
    usbd::Bus& bus() { return *bus_; }
    ULONG port() const { return port_; }

    // The format that the intersection gives for published range `index`
    // of a stream (a KS_DATAFORMAT_VIDEOINFOHEADER), at a frame interval.
    std::vector<UCHAR> formatFor(ULONG stream, ULONG index, LONGLONG avgTimePerFrame = 333667);
    std::unique_ptr<Stream> open(ULONG stream, const std::vector<UCHAR>& format, NTSTATUS expected = STATUS_SUCCESS);
    // Opens, pauses and runs a stream in one go.
    std::unique_ptr<Stream> openRunning(ULONG stream, ULONG index, LONGLONG avgTimePerFrame = 333667);

    static ULONG imageSize(const std::vector<UCHAR>& format);
    static const KS_VIDEOINFOHEADER& videoInfo(const std::vector<UCHAR>& format);

    // Pool the driver holds ("Wdm " blocks and IRPs).
    static kernel::sim::PoolUsage driverPool();

private:
    std::unique_ptr<qm::test::WindowsDir> windows_;
    std::unique_ptr<usbd::Bus> bus_;
    std::shared_ptr<dualcam::DualCamera> camera_;
    std::shared_ptr<usbd::DeviceModel> device_;
    std::unique_ptr<AdapterHost> host_;
    // The rig's own reference to the driver library: the host's thread may
    // still be returning through driver code when a request completes, so
    // the library stays mapped until the host is gone.
    sys::HMODULE driverLibrary_ = nullptr;
    ULONG port_ = 0;
};

}  // namespace qm::morvax::test
