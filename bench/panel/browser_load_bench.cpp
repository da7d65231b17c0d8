// What the panel adds to loading a camera's thumbnails: from enabling the
// QM4200 source (our source manager, the data source and the real panel) to
// the browser showing every thumbnail, against the device module alone
// connecting and fetching the same thumbnails through DriverEntry, which is
// the time the link and the decoding need. Both run in the same process on
// the same simulated camera, with 12 and 60 pictures, the thumbnails read
// from the camera (the cache emptied before each run) and from the thumbnail
// cache. The serial cases run on a paced line at 115200 bit/s, so they show
// the panel against real line time. The summary prints each ratio.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "device/entry/driver_entry.h"
#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"
#include "platform/ui/thread/ui_thread.h"
#include "tests/support/still_camera_rig.h"
#include "tests/support/windows_dir.h"

extern "C" qm::twain::TW_UINT16 DSM_Entry(qm::twain::TW_IDENTITY*, qm::twain::TW_IDENTITY*, qm::twain::TW_UINT32,
                                         qm::twain::TW_UINT16, qm::twain::TW_UINT16, qm::twain::TW_MEMREF);

namespace {

using namespace qm;
using namespace qm::twain;

enum Link : int { kUsb = 0, kPacedSerial = 1 };
enum Thumbnails : int { kFromCamera = 0, kFromCache = 1 };

// One simulated camera with its own Windows directory, kept while the cases
// that use it run (it points the process's environment at itself, so only
// one lives at a time).
class Rig {
public:
    Rig(unsigned pictures, Link link)
    {
        stillcam::StillCameraConfig config;
        config.pictureCount = pictures;
        if (link == kPacedSerial) {
            config.pacing = true;
            config.serialRate = 115200;
        }
        camera_ = std::make_unique<test::StillCameraRig>(
            windows_, config, link == kUsb ? test::Attachment::Usb : test::Attachment::Serial);
        // The serial search starts at the preferred rate, so the paced line
        // is not searched at every slower one first.
        test::writeTextFile(windows_.installDirectory() + "/KVB.ini", "[Baud Rate Speeding]\nBaud Rate Mode=115200\n");
    }
    bool ready() const { return camera_->camera() != nullptr; }
    void forgetThumbnails() const
    {
        std::error_code ignored;
        std::filesystem::remove(windows_.installDirectory() + "/Thumbnl.Tmp", ignored);
    }
    const test::WindowsDir& windows() const { return windows_; }

private:
    test::WindowsDir windows_;
    std::unique_ptr<test::StillCameraRig> camera_;
};

Rig& rig(unsigned pictures, Link link)
{
    static std::pair<unsigned, int> key;
    static std::unique_ptr<Rig> current;
    if (!current || key != std::pair<unsigned, int>{pictures, link}) {
        current.reset();
        current = std::make_unique<Rig>(pictures, link);
        key = {pictures, link};
    }
    return *current;
}

// The application's side: open the manager and the source, enable, and
// close again.
class Application {
public:
    Application()
    {
        self_.ProtocolMajor = 2;
        self_.SupportedGroups = DG_CONTROL | DG_IMAGE;
        std::strcpy(self_.ProductName, "Browser Load Bench");
    }
    bool open()
    {
        void* parent = nullptr;
        return DSM_Entry(&self_, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) == TWRC_SUCCESS &&
               DSM_Entry(&self_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source_) == TWRC_SUCCESS &&
               DSM_Entry(&self_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_) == TWRC_SUCCESS;
    }
    // Returns when the browser has connected and loaded every thumbnail.
    bool enable()
    {
        TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
        return DSM_Entry(&self_, &source_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) == TWRC_SUCCESS;
    }
    void close()
    {
        TW_USERINTERFACE ui{TW_TRUE, TW_FALSE, nullptr};
        void* parent = nullptr;
        DSM_Entry(&self_, &source_, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        DSM_Entry(&self_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
        DSM_Entry(&self_, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    }

private:
    TW_IDENTITY self_{};
    TW_IDENTITY source_{};
};

void BrowserShowsAllThumbnails(benchmark::State& state)
{
    const unsigned pictures = unsigned(state.range(0));
    Rig& camera = rig(pictures, Link(state.range(1)));
    if (!camera.ready())
        return state.SkipWithError("no camera");
    qm::ui::hostPumpsMessages();
    if (state.range(2) == kFromCache) {
        Application warm;
        if (!warm.open() || !warm.enable())
            return state.SkipWithError("the source does not enable");
        warm.close();
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(2) == kFromCamera)
            camera.forgetThumbnails();
        Application app;
        const bool opened = app.open();
        state.ResumeTiming();
        if (!opened || !app.enable()) {
            state.SkipWithError("the source does not enable");
            break;
        }
        state.PauseTiming();
        app.close();
        state.ResumeTiming();
    }
}

// The same connection and thumbnails through DriverEntry alone.
void DeviceModuleFetchesAllThumbnails(benchmark::State& state)
{
    const unsigned pictures = unsigned(state.range(0));
    Rig& camera = rig(pictures, Link(state.range(1)));
    if (!camera.ready())
        return state.SkipWithError("no camera");
    sys::HMODULE module = sys::LoadLibrary(camera.windows().devicePath().c_str());
    auto entry = sys::getProc<device::DriverEntryProc>(module, device::kDriverEntryName);
    if (entry == nullptr)
        return state.SkipWithError("no device module");
    std::vector<std::uint8_t> dib(device::kThumbnailDibSize);
    auto fetchAll = [&] {
        std::uint32_t window = 0;
        std::uint32_t count = 0;
        if (entry(device::kTypeConnect, &window, &count, nullptr) != device::kDriverSuccess || count != pictures)
            return false;
        for (std::uint32_t number = 1; number <= count; ++number) {
            std::uint32_t code = device::kActionGetThumbnail;
            std::uint32_t picture = number;
            if (entry(device::kTypeAction, &code, &picture, dib.data()) != device::kDriverSuccess)
                return false;
        }
        std::uint32_t code = 0;
        entry(device::kTypeDisconnect, &code, nullptr, nullptr);
        return true;
    };
    if (state.range(2) == kFromCache)
        fetchAll();
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(2) == kFromCamera)
            camera.forgetThumbnails();
        state.ResumeTiming();
        if (!fetchAll()) {
            state.SkipWithError("a thumbnail did not arrive");
            break;
        }
    }
    sys::FreeLibrary(module);
}

void cases(benchmark::internal::Benchmark* bench)
{
    for (int pictures : {12, 60})
        for (int thumbnails : {kFromCamera, kFromCache})
            bench->Args({pictures, kUsb, thumbnails});
    bench->Args({12, kPacedSerial, kFromCamera});
    bench->ArgNames({"pictures", "serial", "cached"});
    bench->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BrowserShowsAllThumbnails)->Apply(cases)->Iterations(3);
BENCHMARK(DeviceModuleFetchesAllThumbnails)->Apply(cases)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    std::vector<qm::bench::Ratio> ratios;
    for (const char* args : {"pictures:12/serial:0/cached:0", "pictures:12/serial:0/cached:1",
                             "pictures:60/serial:0/cached:0", "pictures:60/serial:0/cached:1",
                             "pictures:12/serial:1/cached:0"})
        ratios.push_back({std::string("BrowserShowsAllThumbnails/") + args,
                          std::string("DeviceModuleFetchesAllThumbnails/") + args});
    return qm::bench::runWithRatioSummary(
        argc, argv,
        {"Enabling the source until the browser shows every thumbnail, against the device module fetching them:",
         ratios, qm::bench::RatioClock::Real});
}
