// The picture table: read in chunks of twenty entries, each chunk tried
// three times, and read again once pictures were taken or deleted.
#include <gmock/gmock.h>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

constexpr USHORT kTableWindow = 0x1052;

class PictureTable : public ContextBench {
protected:
    dualcam::DualCamera& start(std::size_t pictures, dualcam::CommandLayout commandLayout = dualcam::CommandLayout::New)
    {
        dualcam::DualCamConfig config;
        config.layout = commandLayout;
        config.pictures = dualcam::testPictures(pictures);
        return plugCamera(config);
    }
    ULONG readTable()
    {
        ULONG valid = 0;
        atPassiveLevel([&] { valid = DF_GetPicTable(context()); });
        return valid;
    }
    std::vector<std::size_t> windowReads()
    {
        std::vector<std::size_t> lengths;
        for (const RegisterAccess& read : wire().readsOf(kTableWindow))
            lengths.push_back(read.bytes.size());
        return lengths;
    }
};

TEST_F(PictureTable, FortyFiveEntriesAreReadAsTwentyTwentyAndFive)
{
    start(45);
    ASSERT_EQ(readTable(), 1u);
    EXPECT_THAT(windowReads(), ElementsAre(40, 40, 10));
    ASSERT_EQ(context()->PictureTableSize, 45u);
    for (ULONG k = 0; k < 45; ++k)
        EXPECT_EQ(context()->PictureTable[k], k + 1);
    // Each chunk asked for its first entry.
    std::vector<UCHAR> firstEntries;
    for (const RegisterAccess& write : wire().writesTo(0x040B))
        if (write.bytes.size() == 2 && (write.bytes[1] & 0x0F) == 0x06)
            firstEntries.push_back(write.bytes[0]);
    EXPECT_THAT(firstEntries, ElementsAre(0, 20, 40));
}

TEST_F(PictureTable, EntriesPast255CarryTheirHighBitsInTheCodeByte)
{
    start(300, dualcam::CommandLayout::Old);
    ASSERT_EQ(readTable(), 1u);
    EXPECT_EQ(context()->NewFlashLayout, 0);
    EXPECT_EQ(context()->PictureTable[299], 300);
    const auto writes = wire().writesTo(0x040B);
    EXPECT_THAT(writes.back().bytes, ElementsAre(280 & 0xFF, 0x40 | 0x36));
}

TEST_F(PictureTable, ABlankChunkIsTriedAgain)
{
    dualcam::DualCamera& camera = start(25);
    camera.injectFault(dualcam::Fault::BlankTableWindow, 2);
    EXPECT_EQ(readTable(), 1u);
    EXPECT_THAT(windowReads(), ElementsAre(40, 40, 40, 10));
    EXPECT_EQ(context()->PictureTable[24], 25);
}

TEST_F(PictureTable, AChunkBlankThreeTimesLeavesTheTableInvalid)
{
    dualcam::DualCamera& camera = start(25);
    camera.injectFault(dualcam::Fault::BlankTableWindow, 3);
    EXPECT_EQ(readTable(), 0u);
    EXPECT_THAT(windowReads(), ElementsAre(40, 40, 40));
}

TEST_F(PictureTable, TakingOrDeletingAPictureMakesTheNextReadProbeTheSizeAgain)
{
    start(5);
    ASSERT_EQ(readTable(), 1u);
    ASSERT_EQ(context()->PictureTableSize, 5u);
    ASSERT_EQ(readTable(), 1u);  // the size is known: no second probe
    EXPECT_EQ(wire().writesTo(0x040B).size(), 1u + 2);
    atPassiveLevel([&] { DF_FlashDeletePic(context(), 2); });
    ASSERT_EQ(readTable(), 1u);
    EXPECT_EQ(context()->PictureTableSize, 4u);
    atPassiveLevel([&] {
        DF_TakeSnapshot(context());
        DF_PollingREGMSTR(context());
    });
    ASSERT_EQ(readTable(), 1u);
    EXPECT_EQ(context()->PictureTableSize, 5u);
}

}  // namespace
}  // namespace qm::morvax::test
