// The camera layer's context without the stream class, for the exposure,
// property and still-camera tests: a MorvaxContext behind an engine device
// extension whose vendor requests reach a device model on a simulated bus
// through a recorder of every register access. Private Windows directory
// (and registry), manual kernel clock.
#pragma once

#include <functional>
#include <map>
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

struct RegisterAccess {
    bool write = false;
    USHORT first = 0;
    std::vector<UCHAR> bytes;  // written, or read back
};

// Passes everything to the model it wraps and notes every register access.
class WireRecorder : public usbd::test::ForwardingDevice {
public:
    explicit WireRecorder(std::shared_ptr<usbd::DeviceModel> device)
        : ForwardingDevice(device), device_(std::move(device))
    {
    }

    std::vector<RegisterAccess> accesses() const;
    // Writes (or reads) whose first register is `first`.
    std::vector<RegisterAccess> writesTo(USHORT first) const;
    std::vector<RegisterAccess> readsOf(USHORT first) const;
    void clear();

    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override;
    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override;

private:
    std::shared_ptr<usbd::DeviceModel> device_;
    mutable std::mutex lock_;
    std::vector<RegisterAccess> accesses_;
};

// A device that is nothing but 64K byte registers: reads return what was
// written or set by the test. For checking exactly what the driver reads
// and writes.
class RegisterBoard : public usbd::DeviceModel {
public:
    void set(USHORT address, UCHAR value);
    void setRun(USHORT first, std::span<const UCHAR> values);
    UCHAR get(USHORT address) const;
    // The register reads `value` whatever is written to it.
    void pin(USHORT address, UCHAR value);

    std::vector<std::uint8_t> deviceDescriptor() const override;
    std::vector<std::uint8_t> configurationDescriptor() const override;
    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override;
    usbd::ControlResult controlOut(const usbd::SetupPacket& setup, std::span<const std::uint8_t> data) override;
    usbd::IsoPacketResult isochronousIn(std::uint8_t, std::uint32_t, std::span<std::uint8_t>) override { return {}; }

private:
    mutable std::mutex lock_;
    std::vector<UCHAR> registers_ = std::vector<UCHAR>(0x10000, 0);
    std::map<USHORT, UCHAR> pinned_;
};

class ContextBench : public qm::test::SimulatedKernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs a device and gives the context its defaults for it: CCD and CDS
    // type, default register image, a 640 x 480 video stream.
    void plug(std::shared_ptr<usbd::DeviceModel> device, ULONG ccdType = 0, ULONG cdsType = 0);
    // The simulated dual-mode camera built from `config`, plugged as above.
    dualcam::DualCamera& plugCamera(const dualcam::DualCamConfig& config);
    // Gives the context its pool buffers (MORVAX_Initialize).
    void initialize();

    // Runs `call` in a work item (passive level, a simulated thread) and
    // steps the clock until it returned: for driver code that sleeps.
    void atPassiveLevel(const std::function<void()>& call);

    MorvaxContext* context();
    WireRecorder& wire() { return *recorder_; }

private:
    std::unique_ptr<qm::test::WindowsDir> windows_;
    std::unique_ptr<usbd::Bus> bus_;
    std::shared_ptr<usbd::DeviceModel> device_;
    std::shared_ptr<WireRecorder> recorder_;
    std::vector<unsigned char> extension_;
    bool initialized_ = false;
};

// Writes a REG_DWORD under the default settings key, creating the keys.
void putSetting(const std::u16string& name, ULONG value);
// A REG_DWORD of the default settings key (or one of its subkeys), if there.
std::optional<ULONG> readSetting(const std::u16string& name, const std::u16string& subkey = {});

}  // namespace qm::morvax::test
