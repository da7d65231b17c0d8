// What the driver publishes: four device property sets in order, with
// their ids, get and set flags, record sizes, ranges and defaults.
#include <gmock/gmock.h>

#include <map>

#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

class PropertySets : public PropertyRig {
protected:
    const PropertySetDescription& set(std::size_t index) { return host().description().propertySets.at(index); }
    static std::vector<ULONG> ids(const PropertySetDescription& set)
    {
        std::vector<ULONG> result;
        for (const PropertyDescription& item : set.properties)
            result.push_back(item.id);
        return result;
    }
    static const PropertyDescription& item(const PropertySetDescription& set, ULONG id)
    {
        for (const PropertyDescription& candidate : set.properties)
            if (candidate.id == id)
                return candidate;
        throw std::runtime_error("no such item");
    }
};

TEST_F(PropertySets, FourSetsInOrder)
{
    ASSERT_EQ(host().description().propertySets.size(), 4u);
    EXPECT_EQ(set(0).set, PROPSETID_VIDCAP_VIDEOPROCAMP);
    EXPECT_EQ(set(1).set, PROPSETID_VIDCAP_VIDEOCONTROL);
    EXPECT_EQ(set(2).set, PROPSETID_VIDCAP_CAMERACONTROL);
    EXPECT_EQ(set(3).set, PROPSETID_MORVAX_CUSTOM);
}

TEST_F(PropertySets, VideoProcAmpPublishesFourRangesWithDefaults)
{
    EXPECT_THAT(ids(set(0)), ElementsAre(1, 0, 3, 4));
    const std::map<ULONG, LONG> defaults = {{1, 48}, {0, 32}, {3, 45}, {4, 24}};
    for (const PropertyDescription& property : set(0).properties) {
        EXPECT_TRUE(property.get && property.set);
        EXPECT_EQ(property.minProperty, 40u);
        EXPECT_EQ(property.minData, 40u);
        ASSERT_TRUE(property.range);
        EXPECT_EQ(property.range->minimum, 0);
        EXPECT_EQ(property.range->maximum, 63);
        EXPECT_EQ(property.range->step, 1u);
        EXPECT_EQ(property.defaultValue, defaults.at(property.id));
    }
}

TEST_F(PropertySets, VideoControlIsGetOnlyWithAVariableFrameRateList)
{
    EXPECT_THAT(ids(set(1)), ElementsAre(0, 1, 2));
    for (const PropertyDescription& property : set(1).properties)
        EXPECT_TRUE(property.get && !property.set);
    EXPECT_EQ(item(set(1), 0).minData, 32u);
    EXPECT_EQ(item(set(1), 1).minData, 56u);
    EXPECT_EQ(item(set(1), 2).minProperty, 40u);
    EXPECT_EQ(item(set(1), 2).minData, 0u);
}

TEST_F(PropertySets, CameraControlPublishesTwentyEightPrivateIds)
{
    EXPECT_THAT(ids(set(2)), ElementsAre(101, 102, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 201, 202, 203,
                                         204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216));
    for (const ULONG setOnly : {106u, 108u, 112u})
        EXPECT_TRUE(!item(set(2), setOnly).get && item(set(2), setOnly).set) << setOnly;
    for (const ULONG getOnly : {107u, 111u, 114u, 215u, 216u})
        EXPECT_TRUE(item(set(2), getOnly).get && !item(set(2), getOnly).set) << getOnly;
    for (const ULONG both : {101u, 102u, 105u, 109u, 110u, 113u, 201u, 212u, 214u})
        EXPECT_TRUE(item(set(2), both).get && item(set(2), both).set) << both;
    struct Range {
        ULONG id;
        LONG maximum;
        LONG defaultValue;
    };
    for (const Range range : {Range{201, 63, 45}, Range{202, 63, 48}, Range{203, 63, 24}, Range{204, 15, 2},
                              Range{205, 1, 0}, Range{206, 63, 8}, Range{207, 63, 8}, Range{208, 63, 8},
                              Range{209, 1, 0}, Range{210, 63, 32}, Range{211, 2, 0}, Range{212, 1, 0},
                              Range{213, 1, 0}, Range{214, 1, 0}}) {
        const PropertyDescription& property = item(set(2), range.id);
        ASSERT_TRUE(property.range) << range.id;
        EXPECT_EQ(property.range->minimum, 0);
        EXPECT_EQ(property.range->maximum, range.maximum) << range.id;
        EXPECT_EQ(property.defaultValue, range.defaultValue) << range.id;
    }
    EXPECT_FALSE(item(set(2), 101).range);
}

TEST_F(PropertySets, TheDriversOwnSetHasSevenItemsWithTheBitmapRequestSetOnly)
{
    EXPECT_THAT(ids(set(3)), ElementsAre(101, 102, 103, 104, 105, 106, 107));
    for (const PropertyDescription& property : set(3).properties) {
        EXPECT_EQ(property.set, true);
        EXPECT_EQ(property.get, property.id != 105) << property.id;
    }
}

}  // namespace
}  // namespace qm::morvax::test
