// The register shadow: where each register lives in it, bit fields, and the
// runs it sends to and reads from the camera.
#include <gtest/gtest.h>

#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "videodriver/camera/register_shadow.h"

namespace qm::morvax::test {
namespace {

TEST(RangeTable, AddressesMapToTheirRowsIndexAndNothingOutsideTheCounts)
{
    EXPECT_EQ(shadowIndexOf(0x0400), 0);
    EXPECT_EQ(shadowIndexOf(0x0410), 8);
    EXPECT_EQ(shadowIndexOf(0x0416), 14);
    EXPECT_EQ(shadowIndexOf(0x0820), 82);
    EXPECT_EQ(shadowIndexOf(0x1000), 314);
    EXPECT_EQ(shadowIndexOf(0x109A), LONG(kShadowSize) - 1);
    // The last register of the 0900 row and the compression register share a byte.
    EXPECT_EQ(shadowIndexOf(0x099E), shadowIndexOf(0x0A00));
    // Gaps between rows and anything past the last row have no byte.
    for (USHORT gap : {0x0000, 0x03FF, 0x0403, 0x0417, 0x0A06, 0x0B03, 0x109B, 0xFFFF})
        EXPECT_EQ(shadowIndexOf(gap), -1) << std::hex << gap;
    // The rows fill the image up to its last byte.
    const RegisterRange& last = kRegisterRanges[kRegisterRangeCount - 1];
    EXPECT_EQ(ULONG(last.ShadowIndex + last.Count), kShadowSize);
    EXPECT_EQ(kRegisterRanges[kRegisterRangeCount].FirstAddress, 0xFFFF);
}

TEST(ShadowBits, SetBitsChangesOnlyItsField)
{
    DR_SetRegister(0x1000, 0xA3);
    DR_SetBits(0x1000, bitField(3, 2), 6);  // frame size code 6
    EXPECT_EQ(DR_GetRegister(0x1000), 0xBB);
    DR_SetBits(0x1000, bitField(3, 2), 0xFF);  // only the field's width counts
    EXPECT_EQ(DR_GetRegister(0x1000), 0xBF);
    DR_SetBits(0x1000, bitField(1, 7), 0);
    EXPECT_EQ(DR_GetRegister(0x1000), 0x3F);
    // Registers without a byte read as 0 and keep nothing.
    DR_SetRegister(0x0403, 0x55);
    EXPECT_EQ(DR_GetRegister(0x0403), 0);
    EXPECT_NE(DR_GetRegister(0x0408), 0x55);
}

class ShadowOnCamera : public CameraOnBus {};

TEST_F(ShadowOnCamera, LongRunsGoInRequestsOfAtMost64Registers)
{
    for (ULONG i = 0; i < 155; ++i)
        DR_SetRegister(USHORT(0x1000 + i), UCHAR(i));
    wire().clear();
    ASSERT_EQ(DR_WriteRegister(context(), 0x1000, 155), STATUS_SUCCESS);
    const auto writes = wire().writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].first, 0x1000);
    EXPECT_EQ(writes[0].bytes.size(), 64u);
    EXPECT_EQ(writes[1].first, 0x1040);
    EXPECT_EQ(writes[1].bytes.size(), 64u);
    EXPECT_EQ(writes[2].first, 0x1080);
    EXPECT_EQ(writes[2].bytes.size(), 27u);
    EXPECT_EQ(writes[1].bytes[0], 64);
    EXPECT_EQ(writes[2].bytes[26], 154);
    EXPECT_EQ(camera().registerValue(0x1050), 0x50);
}

TEST_F(ShadowOnCamera, ReadsBringTheCamerasValuesIntoTheShadow)
{
    camera().writeRegisters(0x0973, std::vector<std::uint8_t>{0x2C});
    DR_SetRegister(0x0973, 0);
    UCHAR value = 0;
    ASSERT_EQ(DF_ReadRegister(context(), 0x0973, &value), 1u);
    EXPECT_EQ(value, 0x2C);
    EXPECT_EQ(DR_GetRegister(0x0973), 0x2C);

    // A 64-register statistics run.
    ASSERT_EQ(DR_ReadRegister(context(), 0x0820, 64), STATUS_SUCCESS);
    const dualcam::FrameStatistics statistics = camera().measureNow();
    ASSERT_EQ(DR_ReadRegister(context(), 0x0820, 64), STATUS_SUCCESS);
    for (USHORT i = 0; i < 64; ++i)
        EXPECT_EQ(DR_GetRegister(USHORT(0x0820 + i)), statistics.luminanceGrid[i]);
}

TEST_F(ShadowOnCamera, OneRegisterWritesTheShadowAndTheCamera)
{
    ASSERT_EQ(DF_WriteRegister(context(), 0x100E, 0x12), 1u);
    EXPECT_EQ(DR_GetRegister(0x100E), 0x12);
    EXPECT_EQ(camera().registerValue(0x100E), 0x12);
    // A register outside the rows still reaches the camera.
    ASSERT_EQ(DF_WriteRegister(context(), 0x1052, 0x34), 1u);
    EXPECT_EQ(wire().writesTo(0x1052).size(), 1u);
}

TEST_F(ShadowOnCamera, AFailedTransferIsReported)
{
    camera().injectFault(dualcam::Fault::Unplug, 0);
    camera().startOfFrame(0);  // the cable goes
    EXPECT_NE(DR_WriteRegister(context(), 0x1000, 4), STATUS_SUCCESS);
    EXPECT_EQ(DF_ReadRegister(context(), 0x0810, nullptr), 0u);
    // A run that would wrap past the last address never goes out.
    EXPECT_EQ(DR_WriteRegister(context(), 0xFFF0, 32), STATUS_INVALID_PARAMETER);
}

}  // namespace
}  // namespace qm::morvax::test
