// What power-up reads from the settings key, with the limits it applies.
#include <gtest/gtest.h>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/properties/persisted_settings.h"

namespace qm::morvax::test {
namespace {

class RestoredSettings : public ContextBench {
protected:
    void restore(ULONG cdsType = 0)
    {
        plug(std::make_shared<RegisterBoard>(), 0, cdsType);
        restorePersistedSettings(context());
    }
};

TEST_F(RestoredSettings, AERateIsKeptBetween2And15)
{
    putSetting(u"AERate", 1);
    restore();
    EXPECT_EQ(context()->AERate, 2u);
    putSetting(u"AERate", 20);
    restore();
    EXPECT_EQ(context()->AERate, 15u);
    putSetting(u"AERate", 7);
    restore();
    EXPECT_EQ(context()->AERate, 7u);
}

TEST_F(RestoredSettings, AbsentValuesLeaveTheSettingsAlone)
{
    putSetting(u"Hue", 40);
    restore();
    EXPECT_EQ(context()->Hue, 40u);
    EXPECT_EQ(context()->Brightness, 32u);
    EXPECT_EQ(context()->AERate, 2u);
    EXPECT_EQ(context()->YGainCeiling, 48u);
}

TEST_F(RestoredSettings, ValuesAreClampedAndFlagsAreAnythingButZero)
{
    putSetting(u"AWBWindow", 5);
    putSetting(u"RGBUpperBound", 300);
    putSetting(u"Flip", 7);
    putSetting(u"Mirror", 0);
    putSetting(u"Y_Upperbound", 200);
    putSetting(u"ColorTempHome", 0x00140012);
    putSetting(u"QFactor176", 0x55);
    restore();
    EXPECT_EQ(context()->AWBWindowMode, 2u);
    EXPECT_EQ(context()->RGBUpperBound, 255u);
    EXPECT_EQ(context()->Flip, 1);
    EXPECT_EQ(context()->Mirror, 0);
    EXPECT_EQ(context()->YGainCeiling, 63u);  // the Y gain field holds six bits
    EXPECT_EQ(context()->ColorTemperature[1], 0x00140012u);
    EXPECT_EQ(context()->QFactor[kSize176x144], 0x55u);
}

TEST_F(RestoredSettings, ALightSourceBeyondOutdoorsIsNotTaken)
{
    putSetting(u"LightSource", 2);
    restore();
    EXPECT_EQ(context()->LightSource, 2u);
    putSetting(u"LightSource", 9);
    restore();
    EXPECT_EQ(context()->LightSource, 0u);
}

TEST_F(RestoredSettings, WithoutManualGammaTheGammaFollowsTheFrontEnd)
{
    restore(5);
    EXPECT_EQ(context()->GammaIndex, 2u);
    restore(7);
    EXPECT_EQ(context()->GammaIndex, 4u);
    restore(8);
    EXPECT_EQ(context()->GammaIndex, 6u);
    putSetting(u"ManualGamma", 0);
    restore(1);
    EXPECT_EQ(context()->GammaIndex, 0u);
    EXPECT_EQ(context()->ManualGamma, 0);
    putSetting(u"ManualGamma", 1);
    plug(std::make_shared<RegisterBoard>(), 0, 8);
    context()->GammaIndex = 3;
    restorePersistedSettings(context());
    EXPECT_EQ(context()->ManualGamma, 1);
    EXPECT_EQ(context()->GammaIndex, 3u);
}

TEST_F(RestoredSettings, TheSnapshotButtonIsResetAndTheBoundsFollowTheLightSource)
{
    putSetting(u"SnapShot", 1);
    putSetting(u"LightSource", 1);
    putSetting(u"AWBHomeRedUpperbound", 30);
    restore();
    EXPECT_EQ(readSetting(u"SnapShot"), 0u);
    EXPECT_EQ(context()->AWBRedUpperBound, 30u);
}

}  // namespace
}  // namespace qm::morvax::test
