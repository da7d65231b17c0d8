// The frame rates VideoControl lists for each size, cut by the MinFR
// settings read when the device starts.
#include <gmock/gmock.h>

#include <cstring>

#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr LONGLONG kAllIntervals[] = {0, 2000000, 1000000, 666666, 500000, 400000, 333333};

class FrameRates : public PropertyRig {
protected:
    RigOptions rigOptions() override
    {
        RigOptions options = PropertyRig::rigOptions();
        options.start = false;
        return options;
    }
    void start(std::vector<Setting> settings)
    {
        RigOptions options;
        options.settings = std::move(settings);
        startWith(std::move(options));
    }

    // The list for a size: its item header's size and count, and the intervals.
    struct List {
        NTSTATUS status = STATUS_UNSUCCESSFUL;
        ULONG size = 0;
        ULONG count = 0;
        ULONG bytes = 0;
        std::vector<LONGLONG> intervals;
    };
    List list(LONG width, LONG height, std::size_t bufferBytes = 128)
    {
        KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S request{};
        request.Property.Set = PROPSETID_VIDCAP_VIDEOCONTROL;
        request.Property.Id = KSPROPERTY_VIDEOCONTROL_FRAME_RATES;
        request.Dimensions = {width, height};
        std::vector<UCHAR> value(bufferBytes, 0xEE);
        List result;
        result.status = properties().getRaw(request, value, result.bytes);
        if (result.status != STATUS_SUCCESS)
            return result;
        std::memcpy(&result.size, value.data(), 4);
        std::memcpy(&result.count, value.data() + 4, 4);
        for (ULONG i = 0; i < result.count && 8 + 8 * (i + 1) <= value.size(); ++i) {
            LONGLONG interval = 0;
            std::memcpy(&interval, value.data() + 8 + 8 * i, 8);
            result.intervals.push_back(interval);
        }
        return result;
    }
};

TEST_F(FrameRates, WithTheDefaultsVgaListsAllSevenAndTheOtherSizesOnlyThirtyPerSecond)
{
    start({});
    const List vga = list(640, 480);
    ASSERT_EQ(vga.status, STATUS_SUCCESS);
    EXPECT_EQ(vga.count, 7u);
    EXPECT_EQ(vga.size, 7u * 8);
    EXPECT_EQ(vga.bytes, 7u * 8 + 8);
    EXPECT_THAT(vga.intervals, ElementsAreArray(kAllIntervals));
    for (const auto& [width, height] : {std::pair{352L, 288L}, {320L, 240L}, {176L, 144L}, {160L, 120L}}) {
        const List small = list(width, height);
        ASSERT_EQ(small.status, STATUS_SUCCESS) << width;
        EXPECT_THAT(small.intervals, ElementsAre(333333)) << width;
        EXPECT_EQ(small.bytes, 16u);
    }
}

TEST_F(FrameRates, AnEmptyBufferLearnsTheListsSizeWithoutAFault)
{
    start({});
    const List vga = list(640, 480, 0);
    EXPECT_EQ(vga.status, STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(vga.bytes, 7u * 8 + 8);
    EXPECT_EQ(list(320, 240, 0).bytes, 16u);
    EXPECT_EQ(host().protocolViolations(), 0u);
}

TEST_F(FrameRates, MinFRVGA3ListsTheFourFastest)
{
    start({{u"MinFRVGA", 3}});
    EXPECT_THAT(list(640, 480).intervals, ElementsAre(666666, 500000, 400000, 333333));
}

TEST_F(FrameRates, MinFRCIF4ListsThreeAtCifOnly)
{
    start({{u"MinFRCIF", 4}, {u"MinFRQSIF", 0}});
    EXPECT_THAT(list(352, 288).intervals, ElementsAre(500000, 400000, 333333));
    EXPECT_THAT(list(320, 240).intervals, ElementsAre(333333));
    EXPECT_THAT(list(160, 120).intervals, ElementsAreArray(kAllIntervals));
}

TEST_F(FrameRates, LimitsOutsideTheirRangeFallBackToSix)
{
    start({{u"MinFRVGA", 2}, {u"MinFRSIF", 9}});
    EXPECT_EQ(list(640, 480).count, 7u);
    EXPECT_EQ(list(320, 240).count, 1u);
}

}  // namespace
}  // namespace qm::morvax::test
