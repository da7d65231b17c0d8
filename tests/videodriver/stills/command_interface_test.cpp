// The still-camera command interface: code bytes in both layouts, the
// layout probe, and what goes over the wire for a command.
#include <gmock/gmock.h>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

MorvaxContext layout(bool newLayout)
{
    MorvaxContext context{};
    context.NewFlashLayout = newLayout ? 1 : 0;
    return context;
}

TEST(StillCommandCodes, CarryThePictureNumbersHighBitsByLayout)
{
    const MorvaxContext fresh = layout(true);
    const MorvaxContext old = layout(false);
    EXPECT_EQ(stillCommandCode(&fresh, StillCommand::Delete, 300), 0x1F);
    EXPECT_EQ(stillCommandCode(&old, StillCommand::Delete, 300), 0x7F);
    EXPECT_EQ(stillCommandCode(&fresh, StillCommand::Download, 0x0A05), 0xAC);
    EXPECT_EQ(stillCommandCode(&old, StillCommand::Download, 0x0305), 0xFC);
    EXPECT_EQ(stillCommandCode(&fresh, StillCommand::DownloadNext, 0x0105), 0x10);
    EXPECT_EQ(stillCommandCode(&old, StillCommand::DownloadNext, 0x0105), 0x40);
    EXPECT_EQ(stillCommandCode(&fresh, StillCommand::PictureTable, 40), 0x06);
    EXPECT_EQ(stillCommandCode(&old, StillCommand::SetMode, 0), 0x35);
    EXPECT_EQ(stillCommandCode(&fresh, StillCommand::FlashReadId, 0), 0x0E);
    EXPECT_EQ(largestCommandNumber(&fresh), 0x0FFFu);
    EXPECT_EQ(largestCommandNumber(&old), 0x03FFu);
}

TEST(StillCommandCodes, CountsKeepTwelveBits)
{
    const MorvaxContext fresh = layout(true);
    const MorvaxContext old = layout(false);
    EXPECT_EQ(decodeStillCount(&fresh, 0x20, 0x05), 0x205u);
    EXPECT_EQ(decodeStillCount(&old, 0x80, 0x05), 0x205u);
    EXPECT_EQ(decodeStillCount(&fresh, 0xFF, 0xFF), 0xFFFu);
    EXPECT_EQ(decodeStillCount(&old, 0x3F, 0x07), 7u);  // bits below the layout's field are not part of it
}

class CommandInterface : public ContextBench {
protected:
    dualcam::DualCamera& start(dualcam::CommandLayout commandLayout, std::size_t pictures)
    {
        dualcam::DualCamConfig config;
        config.layout = commandLayout;
        config.pictures = dualcam::testPictures(pictures);
        return plugCamera(config);
    }
    void knowLayout(bool newLayout)
    {
        context()->NewFlashLayout = newLayout ? 1 : 0;
        context()->FlashLayoutKnown = 1;
    }
    ULONG tableSize()
    {
        ULONG size = 0;
        atPassiveLevel([&] { size = DF_GetPicTableSize(context()); });
        return size;
    }
};

TEST_F(CommandInterface, AnOldLayoutCameraAnswersTheProbeWithWhatWasWritten)
{
    start(dualcam::CommandLayout::Old, 12);
    context()->NewFlashLayout = 1;
    EXPECT_EQ(tableSize(), 12u);
    EXPECT_EQ(context()->NewFlashLayout, 0);
    const auto probes = wire().writesTo(0x040B);
    ASSERT_GE(probes.size(), 1u);
    EXPECT_THAT(probes.front().bytes, ElementsAre(0x00, 0x07));
    EXPECT_THAT(wire().writesTo(0x040C).back().bytes, ElementsAre(0x37));
}

TEST_F(CommandInterface, ANewLayoutCameraAnswersWithItsSize)
{
    start(dualcam::CommandLayout::New, 300);
    EXPECT_EQ(tableSize(), 300u);
    EXPECT_EQ(context()->NewFlashLayout, 1);
    EXPECT_EQ(wire().writesTo(0x040B).size(), 1u);  // one probe told it
}

TEST_F(CommandInterface, ACameraAnswering0007IsTakenForTheOldLayout)
{
    // A new-layout camera holding exactly seven pictures answers 00 07 like
    // an old one and is taken for one. Its size still comes out right, and
    // its numbered commands name pictures 768 and up, which it does not
    // have: a delete loses nothing.
    dualcam::DualCamera& camera = start(dualcam::CommandLayout::New, 7);
    EXPECT_EQ(tableSize(), 7u);
    EXPECT_EQ(context()->NewFlashLayout, 0);
    EXPECT_EQ(wire().writesTo(0x040B).size(), 1u) << "one probe only";
    atPassiveLevel([&] { DF_FlashDeletePic(context(), 2); });
    EXPECT_THAT(wire().writesTo(0x040B).back().bytes, ElementsAre(0x02, 0x3F));
    EXPECT_EQ(camera.pictureCount(), 7u);

    // Taking a picture works in either layout; at any other count the probe
    // tells the layout again.
    atPassiveLevel([&] { DF_TakeSnapshot(context()); });
    ASSERT_EQ(camera.pictureCount(), 8u);
    EXPECT_EQ(tableSize(), 8u);
    EXPECT_EQ(context()->NewFlashLayout, 1);
}

TEST_F(CommandInterface, DeletingPicture300WritesTheLayoutsCodeByte)
{
    dualcam::DualCamera& camera = start(dualcam::CommandLayout::New, 301);
    knowLayout(1);
    ULONG done = 0;
    atPassiveLevel([&] { done = DF_FlashDeletePic(context(), 300); });
    EXPECT_EQ(done, 1u);
    EXPECT_THAT(wire().writesTo(0x040B).back().bytes, ElementsAre(0x2C, 0x1F));
    EXPECT_THAT(wire().writesTo(0x0410).back().bytes, ElementsAre(0x20));
    EXPECT_EQ(camera.pictureCount(), 300u);

    start(dualcam::CommandLayout::Old, 3);
    knowLayout(0);
    atPassiveLevel([&] { done = DF_FlashDeletePic(context(), 300); });
    EXPECT_THAT(wire().writesTo(0x040B).back().bytes, ElementsAre(0x2C, 0x7F));
}

TEST_F(CommandInterface, ANumberedCommandFindsOutTheLayoutFirst)
{
    // A delete of picture 2 in the old layout's code would reach picture 770
    // of a new-layout camera.
    dualcam::DualCamera& camera = start(dualcam::CommandLayout::New, 4);
    ULONG done = 0;
    atPassiveLevel([&] { done = DF_FlashDeletePic(context(), 2); });
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(context()->NewFlashLayout, 1);
    EXPECT_THAT(wire().writesTo(0x040B).back().bytes, ElementsAre(0x02, 0x0F));
    EXPECT_EQ(camera.pictureCount(), 3u);
}

TEST_F(CommandInterface, APictureNumberTheCodeByteCannotCarryIsNotSent)
{
    start(dualcam::CommandLayout::Old, 3);
    knowLayout(0);
    ULONG done = 1;
    atPassiveLevel([&] { done = DF_FlashDeletePic(context(), 0x0400 + 2); });
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(wire().writesTo(0x040B).empty());
}

TEST_F(CommandInterface, ACameraThatNeverGetsReadyFailsTheCommandAfter300Looks)
{
    dualcam::DualCamera& camera = start(dualcam::CommandLayout::New, 3);
    camera.injectFault(dualcam::Fault::CommandNeverReady);
    ULONG first = 0;
    ULONG second = 1;
    atPassiveLevel([&] {
        first = DF_FlashWriteID(context());
        second = DF_FlashWriteID(context());
    });
    EXPECT_EQ(first, 0u);   // sent, but never ready again
    EXPECT_EQ(second, 0u);  // not even sent
    EXPECT_EQ(wire().writesTo(0x040C).size(), 1u);
    EXPECT_EQ(wire().readsOf(0x0410).size(), 1u + 300 + 300);
}

}  // namespace
}  // namespace qm::morvax::test
