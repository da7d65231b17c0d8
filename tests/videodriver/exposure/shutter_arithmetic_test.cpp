// How each front end's loop moves the shutter (0 = longest exposure).
#include <gtest/gtest.h>

#include "videodriver/exposure/shutter_arithmetic.h"

namespace qm::morvax::test {
namespace {

MorvaxContext withShutter(LONG shutter, ULONG ccdType = 0, ULONG cdsType = 0)
{
    MorvaxContext context{};
    context.Shutter = shutter;
    context.CCDType = ccdType;
    context.CDSType = cdsType;
    return context;
}

TEST(GenericShutter, MovesByAPercentageOfTheExposureTime)
{
    MorvaxContext context = withShutter(300);
    EXPECT_EQ(CalcShutterSpeed(&context, -32), 229);  // longer
    EXPECT_EQ(CalcShutterSpeed(&context, 32), 372);   // shorter
    context.CCDType = 2;
    EXPECT_EQ(CalcShutterSpeed(&context, 4), 309);
    context = withShutter(100, 1);
    EXPECT_EQ(CalcShutterSpeed(&context, -4), 84);
}

TEST(GenericShutter, StopsAtTheLongestExposure)
{
    MorvaxContext context = withShutter(0);
    EXPECT_EQ(CalcShutterSpeed(&context, -32), 0);
    context = withShutter(522);
    EXPECT_EQ(CalcShutterSpeed(&context, 32), 523);  // the strategy caps it
}

TEST(TascShutter, ScalesTheExposedLinesAwayFromTheEnd)
{
    MorvaxContext context = withShutter(100, 0, 5);
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 117);
    context.Shutter = 0;
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, -16), 0);
    context.Shutter = 500;
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 100), 523);
    context.Shutter = -1;  // a restart after a light-source change
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 20);
}

TEST(TascShutter, MovesLineByLineNearTheEndSkipping521And523)
{
    MorvaxContext context = withShutter(515, 0, 5);
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 516);
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, -4), 514);
    context.Shutter = 520;
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 522);
    context.Shutter = 522;
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 522);
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, -4), 520);
    context.Shutter = 523;
    EXPECT_EQ(CalcShutterSpeed_Tasc(&context, 4), 523);
}

TEST(ToshibaShutter, SharesTheTascArithmeticButSteps521)
{
    MorvaxContext context = withShutter(100, 0, 7);
    EXPECT_EQ(CalcShutterSpeed_Toshiba(&context, 4), 117);
    context.Shutter = 520;
    EXPECT_EQ(CalcShutterSpeed_Toshiba(&context, 4), 521);
    context.Shutter = 522;
    EXPECT_EQ(CalcShutterSpeed_Toshiba(&context, -4), 521);
    EXPECT_EQ(CalcShutterSpeed_Toshiba(&context, 4), 522);
}

TEST(ElecvisionShutter, OutdoorsStepsShrinkTowardsTheShortEnd)
{
    MorvaxContext context = withShutter(100, 0, 8);
    context.LightSource = 2;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, -40), 60);    // table entry 2
    context.Shutter = 450;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 40), 470);    // halved above 400
    context.Shutter = 505;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 200), 507);   // 2 above 500
    context.Shutter = 522;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 5), 522);     // 1 above 512, capped
    context.Shutter = 10;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, -300), 0);    // the last entry, not below 0
}

TEST(ElecvisionShutter, IndoorsStepsBy105UpTo420)
{
    MorvaxContext context = withShutter(0, 0, 8);
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 1), 105);
    context.Shutter = 315;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 1), 420);
    context.Shutter = 420;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, 1), 420);
    context.Shutter = 105;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, -1), 0);
    context.Shutter = 0;
    EXPECT_EQ(CalcShutterSpeed_Elecvision(&context, -1), 0);
}

TEST(StrategyShutter, EachFrontEndUsesItsOwnArithmetic)
{
    MorvaxContext context = withShutter(-1, 0, 0);
    EXPECT_EQ(calcShutterForStrategy(&context, 4), 21);
    context.CDSType = 5;
    EXPECT_EQ(calcShutterForStrategy(&context, 4), 20);
    context.CDSType = 8;
    EXPECT_EQ(calcShutterForStrategy(&context, 4), 104);
    context.CCDType = 3;  // the CMOS sensor goes by the generic arithmetic
    EXPECT_EQ(calcShutterForStrategy(&context, 4), 21);
}

}  // namespace
}  // namespace qm::morvax::test
