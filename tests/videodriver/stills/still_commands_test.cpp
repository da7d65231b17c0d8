// The counts, status, firmware version and flash chip the camera reports.
#include <gmock/gmock.h>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class StillCommands : public ContextBench {
protected:
    dualcam::DualCamera& start(dualcam::DualCamConfig config = {})
    {
        if (config.pictures.empty())
            config.pictures = dualcam::testPictures(6);
        return plugCamera(config);
    }
    void knowLayout(bool newLayout)
    {
        context()->NewFlashLayout = newLayout ? 1 : 0;
        context()->FlashLayoutKnown = 1;
    }
    template <typename F>
    auto passive(F call)
    {
        decltype(call()) result{};
        atPassiveLevel([&] { result = call(); });
        return result;
    }
};

TEST_F(StillCommands, CountsPast255AreReadInTheCamerasLayout)
{
    dualcam::DualCamConfig config;
    config.pictures = dualcam::testPictures(300);
    start(config);
    ASSERT_EQ(passive([&] { return DF_GetTotalPictures(context()); }), 1u);
    EXPECT_EQ(context()->PictureCount, 300u);
    EXPECT_EQ(context()->NewFlashLayout, 1);
}

TEST_F(StillCommands, ThePictureCountIsLatchedByEnablingTheControllerInBothLayouts)
{
    for (const auto commandLayout : {dualcam::CommandLayout::New, dualcam::CommandLayout::Old}) {
        dualcam::DualCamConfig config;
        config.layout = commandLayout;
        config.pictures = dualcam::testPictures(260);
        start(config);
        knowLayout(commandLayout == dualcam::CommandLayout::New);
        DR_LoadDefaultTable(context());
        wire().clear();
        ASSERT_EQ(passive([&] { return DF_GetTotalPictures(context()); }), 1u);
        EXPECT_EQ(context()->PictureCount, 260u);
        EXPECT_EQ(wire().writesTo(0x0410).front().bytes.at(0) & 0x01, 0x01);
        // The default image goes back to the camera afterwards.
        EXPECT_GT(wire().writesTo(0x1000).size(), 0u);
    }
}

TEST_F(StillCommands, FreeRoomStatusAndFirmwareVersion)
{
    dualcam::DualCamConfig config;
    config.pictureCapacity = 40;
    config.firmwareBytes = {0x4A, 0x80};
    start(config);
    knowLayout(1);
    ULONG free = 0;
    ASSERT_EQ(passive([&] { return DF_GetFreePictures(context(), &free); }), 1u);
    EXPECT_EQ(free, 34u);
    ASSERT_EQ(passive([&] { return DF_SetDSCStatus(context(), 0x5A); }), 1u);
    EXPECT_THAT(wire().writesTo(0x040B).back().bytes, ElementsAre(0x5A, 0x0A));
    UCHAR status = 0;
    ASSERT_EQ(passive([&] { return DF_GetDSCStatus(context(), &status); }), 1u);
    EXPECT_EQ(status, 0x5A);
    // 4A 80: (1 << 16) | (08 << 5) | 80 | 2
    EXPECT_EQ(passive([&] { return DF_GetFwVersion(context()); }), 0x10182u);
    EXPECT_THAT(wire().writesTo(0x040C).back().bytes, ElementsAre(0x34));
}

TEST_F(StillCommands, AFailedCountIsNotReportedAsSuccess)
{
    dualcam::DualCamera& camera = start();
    context()->PictureCount = 77;
    ULONG free = 0;
    camera.injectFault(dualcam::Fault::CommandNeverReady);
    passive([&] { return DF_FlashWriteID(context()); });
    EXPECT_EQ(passive([&] { return DF_GetFreePictures(context(), &free); }), 0u);
    EXPECT_EQ(passive([&] { return DF_GetFwVersion(context()); }), 0u);
    // A controller whose ready bit never comes up.
    auto board = std::make_shared<RegisterBoard>();
    board->pin(0x0410, 0x00);
    plug(board);
    context()->PictureCount = 77;
    EXPECT_EQ(passive([&] { return DF_GetTotalPictures(context()); }), 0u);
    EXPECT_EQ(context()->PictureCount, 77u);
}

TEST_F(StillCommands, TheFlashSizeFollowsTheChipsDeviceCode)
{
    const std::pair<UCHAR, ULONG> chips[] = {{0x75, 32}, {0x73, 16}, {0xE6, 8}, {0xE3, 4}, {0x12, 8}, {0xEA, 2}};
    for (const auto& [code, megabytes] : chips) {
        dualcam::DualCamConfig config;
        config.flashDeviceCode = code;
        start(config);
        ASSERT_EQ(passive([&] { return UpdateFlashMemSize(context()); }), 1u);
        EXPECT_EQ(context()->FlashMemSize, megabytes) << int(code);
        EXPECT_EQ(readSetting(u"FlashMemSize"), std::nullopt);  // no settings key to write to
        // Before the layout is known the old code goes out; its low nibble
        // is the new layout's code too.
        EXPECT_THAT(wire().writesTo(0x040C).back().bytes, ElementsAre(0x3E));
    }
}

TEST_F(StillCommands, TheFlashSizeIsRecordedInTheSettingsKeyAndSmallFlashSlowsTheController)
{
    putSetting(u"CCDType", 0);
    dualcam::DualCamConfig config;
    config.flashDeviceCode = 0x64;
    start(config);
    ASSERT_EQ(passive([&] { return UpdateFlashMemSize(context()); }), 1u);
    EXPECT_EQ(readSetting(u"FlashMemSize"), 2u);
    DR_LoadDefaultTable(context());
    EXPECT_EQ(DR_GetRegister(0x0502), 0x59);

    config.flashDeviceCode = 0x75;
    start(config);
    passive([&] { return UpdateFlashMemSize(context()); });
    EXPECT_EQ(readSetting(u"FlashMemSize"), 32u);
}

}  // namespace
}  // namespace qm::morvax::test
