// What the thumbnail cache saves: a thumbnail through DriverEntry from the
// cache, and read from the camera, each against the one camera exchange every
// thumbnail request makes (the picture's information block), measured in the
// same process against the simulated camera on the USB cable. The summary
// prints the ratios; absolute times depend on the machine and on
// $QM4200_LINK_TIME_PERCENT (1 here).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/ratio_summary.h"
#include "device/entry/driver_entry.h"
#include "platform/system/library.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/support/windows_dir.h"

namespace {

using namespace qm;
using namespace qm::device;

// One camera and one loaded module for the whole run.
class Session {
public:
    Session() : linkTime_("QM4200_LINK_TIME_PERCENT", std::string("1")), usb_("QM4200_USB", socket())
    {
        std::filesystem::create_directories(windows_.path() + "/dosdevices");
        for (int port = 1; port <= 4; ++port)
            std::filesystem::create_symlink("/nonexistent", windows_.path() + "/dosdevices/com" + std::to_string(port));
        stillcam::StillCameraConfig config;
        config.pictureCount = 2;
        camera = stillcam::StillCamera::create(config);
        if (!camera || !camera->attachUsb(socket()))
            return;
        module_ = sys::LoadLibrary(windows_.devicePath().c_str());
        entry_ = sys::getProc<DriverEntryProc>(module_, kDriverEntryName);
        std::uint32_t window = 0;
        std::uint32_t count = 0;
        ready_ = entry_ != nullptr && entry_(kTypeConnect, &window, &count, nullptr) == kDriverSuccess;
    }
    ~Session()
    {
        if (module_ != nullptr)
            sys::FreeLibrary(module_);
    }

    bool ready() const { return ready_; }
    std::uint8_t call(std::uint32_t type, std::uint32_t code, void* out, void* data) const
    {
        return entry_(type, &code, out, data);
    }

    std::unique_ptr<stillcam::StillCamera> camera;

private:
    std::string socket() const { return windows_.path() + "/usb-cable"; }

    test::WindowsDir windows_;
    test::ScopedEnv linkTime_;
    test::ScopedEnv usb_;
    sys::HMODULE module_ = nullptr;
    DriverEntryProc entry_ = nullptr;
    bool ready_ = false;
};

Session& session()
{
    static Session shared;
    return shared;
}

void PictureInfoExchange(benchmark::State& state)
{
    if (!session().ready())
        return state.SkipWithError("no camera session");
    std::uint32_t size = 0;
    for (auto _ : state) {
        std::uint32_t picture = 1;
        benchmark::DoNotOptimize(session().call(kTypePictureAttribute, kAttributeDataSize, &picture, &size));
    }
}

void ThumbnailFromCache(benchmark::State& state)
{
    if (!session().ready())
        return state.SkipWithError("no camera session");
    std::vector<std::uint8_t> dib(kThumbnailDibSize);
    std::uint32_t picture = 1;
    session().call(kTypeAction, kActionGetThumbnail, &picture, dib.data());
    for (auto _ : state) {
        picture = 1;
        benchmark::DoNotOptimize(session().call(kTypeAction, kActionGetThumbnail, &picture, dib.data()));
    }
}

void ThumbnailFromCamera(benchmark::State& state)
{
    if (!session().ready())
        return state.SkipWithError("no camera session");
    std::vector<std::uint8_t> dib(kThumbnailDibSize);
    std::uint8_t key = 0;
    for (auto _ : state) {
        // A new key makes the cached thumbnail stale.
        state.PauseTiming();
        session().camera->overridePictureInfoByte(2, 12, ++key);
        state.ResumeTiming();
        std::uint32_t picture = 2;
        benchmark::DoNotOptimize(session().call(kTypeAction, kActionGetThumbnail, &picture, dib.data()));
    }
}

BENCHMARK(PictureInfoExchange)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ThumbnailFromCache)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ThumbnailFromCamera)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return qm::bench::runWithRatioSummary(argc, argv,
                                          {"Time ratios against one picture information exchange:",
                                           {{"ThumbnailFromCache", "PictureInfoExchange"},
                                            {"ThumbnailFromCamera", "PictureInfoExchange"}},
                                           qm::bench::RatioClock::Real});
}
