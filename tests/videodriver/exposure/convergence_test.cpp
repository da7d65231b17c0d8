// Each strategy on the simulated camera: from capture start it brings a
// dark and a bright scene to its aim and comes to rest there, reporting the
// exposure settled, as the frame path runs it (optical-black correction,
// then one AE step per frame). A loop that hunts never comes to rest.
#include <cstdlib>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/device_functions.h"
#include "videodriver/exposure/auto_exposure.h"

namespace qm::morvax::test {
namespace {

struct Scene {
    const char* name;
    int ccd;
    int cds;
    double brightness;
    LONG aim = 128;  // the Toshiba strategy aims Ev above the target
    ULONG lightSource = 0;
};

constexpr int kFramesToRest = 160;
constexpr int kFramesAtRest = 80;
constexpr LONG kTolerance = 24;

struct Exposure {
    LONG shutter;
    LONG gain;
    ULONG yGain;
    bool operator==(const Exposure&) const = default;
};

class Convergence : public ContextBench, public ::testing::WithParamInterface<Scene> {
protected:
    Exposure exposure() { return {context()->Shutter, context()->Gain, context()->YGain}; }

    // One frame as the frame path runs it; the AE step's report.
    ULONG frame(dualcam::DualCamera& camera)
    {
        camera.measureNow();
        if (context()->CDSType != 8)
            AdjustOBOffset(context());
        return doAE(context());
    }
};

TEST_P(Convergence, ComesToRestOnItsAim)
{
    const Scene scene = GetParam();
    dualcam::DualCamConfig config;
    config.ccdType = scene.ccd;
    config.cdsType = scene.cds;
    config.scene.moving = false;
    config.scene.brightness = scene.brightness;
    dualcam::DualCamera& camera = plugCamera(config);
    context()->LightSource = scene.lightSource;
    context()->Width = 320;  // a quarter of the pixels to develop per frame
    context()->Height = 240;
    ASSERT_TRUE(DF_Init(context()));
    ASSERT_TRUE(DF_Setup(context()));
    ASSERT_TRUE(DF_Start(context()));

    for (int n = 0; n < kFramesToRest; ++n)
        frame(camera);
    const Exposure atRest = exposure();
    ULONG settled = 0;
    for (int n = 0; n < kFramesAtRest; ++n) {
        settled = frame(camera);
        ASSERT_EQ(exposure(), atRest) << "still moving " << kFramesToRest + n << " frames after the start";
    }
    EXPECT_EQ(settled, 1u) << "at rest on " << context()->LuminanceAverage << " shutter " << context()->Shutter
                           << " gain " << context()->Gain << " Y gain " << context()->YGain;
    EXPECT_LE(std::abs(LONG(context()->LuminanceAverage) - scene.aim), kTolerance)
        << "at rest on " << context()->LuminanceAverage;
}

INSTANTIATE_TEST_SUITE_P(
    FrontEnds, Convergence,
    ::testing::Values(Scene{"SharpDark", 0, 0, 0.1}, Scene{"SharpBright", 0, 0, 3.0},
                      Scene{"HitachiDark", 1, 1, 0.1}, Scene{"HitachiBright", 1, 1, 3.0},
                      Scene{"PanasonicDark", 2, 2, 0.1}, Scene{"PanasonicBright", 2, 2, 3.0},
                      Scene{"Hitachi49323Dark", 0, 4, 0.1}, Scene{"Hitachi49323Bright", 0, 4, 3.0},
                      Scene{"SecondSharpDark", 0, 6, 0.1}, Scene{"SecondSharpBright", 0, 6, 3.0},
                      Scene{"TascDark", 0, 5, 0.1}, Scene{"TascMiddle", 0, 5, 0.2}, Scene{"TascBright", 0, 5, 3.0},
                      Scene{"ToshibaDark", 0, 7, 0.1, 178}, Scene{"ToshibaBright", 0, 7, 3.0, 178},
                      Scene{"ElecvisionDark", 0, 8, 0.1}, Scene{"ElecvisionOutdoors", 0, 8, 3.0, 128, 2},
                      Scene{"CmosDark", 3, 0, 0.1}, Scene{"CmosBright", 3, 0, 3.0}),
    [](const ::testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm::morvax::test
