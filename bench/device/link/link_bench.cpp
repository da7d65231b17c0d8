// Paged-read throughput of CameraLink against the simulated camera with its
// line timing on, over the serial line at several rates and over the USB
// cable. Each result is reported against the best the link could do in the
// same conditions: for every block the longer of the protocol's fixed wait
// (225 ms before the first block, 25 ms before every other) and the time
// request and reply take on the line (8N1 serial, or full-speed USB at 19
// bulk packets per millisecond).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/config/kvb_config.h"
#include "device/protocol/camera_link.h"
#include "device/transport/link_timing.h"
#include "platform/usb/cable_server.h"
#include "platform/usb/usb_access.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/platform/comm/pty_line.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_dir.h"

namespace {

using namespace qm;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPictureSize = 24 * 1024 + 300;  // 25 blocks
constexpr double kFirstBlockWait = 0.225;
constexpr double kBlockWait = 0.025;
constexpr double kUsbPacketsPerSecond = 19000.0;

std::size_t blocksOf(std::size_t size) { return (size + 1023) / 1024; }

// The host's wait after a request runs while the request and the camera's
// reply are on the line, so each block costs the longer of the two.
template <typename LineTime>
double idealSeconds(std::size_t size, LineTime lineTime)
{
    const std::size_t blocks = blocksOf(size);
    double total = 0;
    for (std::size_t k = 1; k <= blocks; ++k) {
        const std::size_t data = k < blocks ? 1024 : size - (blocks - 1) * 1024;
        const double wait = k == 1 ? kFirstBlockWait : kBlockWait;
        total += std::max(wait, lineTime(k == 1 ? 8 : 7, data + 7));
    }
    return total + lineTime(7, 0);  // the closing request
}

double idealSerialSeconds(std::size_t size, std::uint32_t rate)
{
    return idealSeconds(size, [rate](std::size_t request, std::size_t reply) {
        return double(request + reply) * 10.0 / rate;  // 8N1: ten bits a byte
    });
}

double idealUsbSeconds(std::size_t size)
{
    // A request is one packet, a reply as many whole packets as it needs.
    return idealSeconds(size, [](std::size_t, std::size_t reply) {
        return double(1 + (reply + 63) / 64) / kUsbPacketsPerSecond;
    });
}

struct Rig {
    test::WindowsDir windows;
    std::string socketPath = windows.path() + "/usb.sock";
    test::ScopedEnv usb{"QM4200_USB", socketPath};
    std::unique_ptr<stillcam::StillCamera> camera;
    device::CameraLink link;
    std::uint16_t picture = 0;

    bool start(bool serial, std::uint32_t rate)
    {
        for (unsigned port = 1; port <= 4; ++port)
            test::publishAbsentPort(port);
        stillcam::StillCameraConfig config;
        config.pacing = true;
        if (serial) {
            config::writeInt("Baud Rate Speeding", "Baud Rate Mode", int(rate));
            config.serialRate = rate;
        }
        config.pictureCount = 1;
        camera = stillcam::StillCamera::create(config);
        if (!camera)
            return false;
        Bytes data(kPictureSize);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = std::uint8_t(i * 13);
        camera->addPicture(data);
        picture = std::uint16_t(camera->pictureCount());
        if (!(serial ? camera->attachSerial(1) : camera->attachUsb(socketPath)))
            return false;
        // The search itself is not measured: let it run with short waits.
        device::setLinkTimePercent(10);
        const bool open = link.Open(nullptr);
        device::setLinkTimePercent(100);
        return open;
    }
};

std::map<std::string, double>& fractions()
{
    static std::map<std::string, double> table;
    return table;
}

void measure(benchmark::State& state, const std::string& name, bool serial, std::uint32_t rate)
{
    Rig rig;
    if (!rig.start(serial, rate)) {
        state.SkipWithError("the simulated camera could not be reached");
        return;
    }
    Bytes destination(kPictureSize);
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const bool ok = rig.link.ReadPicture(rig.picture, destination);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        if (!ok) {
            state.SkipWithError("paged read failed");
            return;
        }
        state.SetIterationTime(took.count());
        seconds += took.count();
    }
    const double mean = seconds / double(state.iterations());
    const double ideal = serial ? idealSerialSeconds(kPictureSize, rate) : idealUsbSeconds(kPictureSize);
    state.SetBytesProcessed(std::int64_t(state.iterations() * kPictureSize));
    state.counters["ideal_s"] = ideal;
    state.counters["fraction_of_ideal"] = ideal / mean;
    fractions()[name] = ideal / mean;
}

void SerialPagedRead(benchmark::State& state)
{
    const auto rate = std::uint32_t(state.range(0));
    measure(state, "serial at " + std::to_string(rate) + " bit/s", true, rate);
}
void UsbPagedRead(benchmark::State& state) { measure(state, "USB cable", false, 0); }

// The USB transport opens a driver handle for every 64-byte transfer. This
// pair measures what that costs against one handle kept for all transfers,
// with a device that answers at once.
class InstantDevice : public usb::cable::VirtualDevice {
public:
    std::uint16_t vendorId() const override { return 0x0784; }
    std::uint16_t productId() const override { return 0x2620; }
    void resetDevice() override {}
    void resetPipe(std::uint8_t) override {}
    usb::cable::TransferResult bulkOut(std::uint8_t, std::span<const std::uint8_t> data) override
    {
        return {usb::cable::kStatusOk, data.size()};
    }
    usb::cable::TransferResult bulkIn(std::uint8_t, std::span<std::uint8_t> into, std::uint32_t) override
    {
        std::fill(into.begin(), into.end(), 0x5A);
        return {usb::cable::kStatusOk, into.size()};
    }
};

struct CableRig {
    test::TempDir dir;
    std::string socketPath = dir.file("usb.sock");
    test::ScopedEnv usb{"QM4200_USB", socketPath};
    std::unique_ptr<usb::cable::CableServer> server =
        usb::cable::CableServer::start(socketPath, std::make_shared<InstantDevice>());
    usb::HANDLE driver = nullptr;
    usb::DWORD device = 0;

    static usb::HANDLE open()
    {
        return usb::CreateFile(usb::kDriverDeviceName, usb::GENERIC_READ, 0, nullptr, usb::OPEN_EXISTING, 0, nullptr);
    }

    bool start()
    {
        driver = open();
        usb::ScanRecord scan;
        scan.vendorId = 0x0784;
        scan.productId = 0x2620;
        if (!server || !driver || !usb::ScanDevices(driver, &scan) || scan.deviceCount == 0)
            return false;
        usb::RegisterRecord record;
        record.uniqueId = scan.devices[0].uniqueId;
        if (!usb::RegisterDevice(driver, &record))
            return false;
        device = record.deviceHandle;
        return true;
    }
    ~CableRig()
    {
        if (device != 0) {
            const usb::DeviceRecord record{device};
            usb::UnregisterDevice(driver, &record);
        }
        if (driver != nullptr)
            usb::CloseHandle(driver);
    }
    bool transfer(usb::HANDLE through, std::uint8_t* packet)
    {
        usb::TransferRecord record;
        record.deviceHandle = device;
        record.pipe = 0x84;
        record.read = 1;
        record.buffer = packet;
        record.length = 64;
        record.timeoutMs = 1800;
        return usb::Transfer(through, &record) && record.succeeded;
    }
};

std::map<std::string, double>& transferSeconds()
{
    static std::map<std::string, double> table;
    return table;
}

void transfers(benchmark::State& state, bool freshHandle)
{
    CableRig rig;
    if (!rig.start()) {
        state.SkipWithError("no cable");
        return;
    }
    std::uint8_t packet[64];
    const auto begin = std::chrono::steady_clock::now();
    for (auto _ : state) {
        usb::HANDLE through = freshHandle ? CableRig::open() : rig.driver;
        const bool ok = rig.transfer(through, packet);
        if (freshHandle)
            usb::CloseHandle(through);
        if (!ok) {
            state.SkipWithError("transfer failed");
            return;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    state.SetBytesProcessed(std::int64_t(state.iterations() * 64));
    transferSeconds()[freshHandle ? "fresh" : "kept"] = took.count() / double(state.iterations());
}

void UsbTransferKeptHandle(benchmark::State& state) { transfers(state, false); }
void UsbTransferFreshHandle(benchmark::State& state) { transfers(state, true); }

BENCHMARK(UsbTransferKeptHandle)->Unit(benchmark::kMicrosecond);
BENCHMARK(UsbTransferFreshHandle)->Unit(benchmark::kMicrosecond);
BENCHMARK(SerialPagedRead)->Arg(19200)->Arg(57600)->Arg(115200)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(UsbPagedRead)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nPaged read of %zu bytes as a fraction of line time plus fixed waits:\n", kPictureSize);
    for (const auto& [name, fraction] : fractions())
        std::printf("  %-40s %5.1f %%\n", name.c_str(), 100.0 * fraction);
    const auto& times = transferSeconds();
    if (times.count("fresh") != 0 && times.count("kept") != 0)
        std::printf("64-byte USB transfer with a fresh driver handle: %.2f x the time with a kept one\n",
                    times.at("fresh") / times.at("kept"));
    return 0;
}
