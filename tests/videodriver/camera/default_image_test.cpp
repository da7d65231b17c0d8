// The default register images: the sensor's table, the front end's patches,
// the registry's overrides, and loading the image into the camera.
#include <gtest/gtest.h>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"
#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "tests/videodriver/driver/rig/video_rig.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/registers/default_tables.h"

namespace qm::morvax::test {
namespace {

UCHAR entry(const UCHAR* image, USHORT address) { return image[shadowIndexOf(address)]; }

struct TellingEntries {
    ULONG ccdType;
    UCHAR frameControl, frontEnd, timingLow, timingHigh, flicker;
};

TEST(DefaultTables, EachSensorTypeHasItsTellingEntries)
{
    const TellingEntries types[] = {
        {0, 0xA0, 0xC0, 0xF9, 0x02, 0x0F},
        {1, 0xA1, 0x8C, 0x0B, 0x03, 0x09},
        {2, 0xA0, 0xE0, 0x0B, 0x03, 0x00},
        {3, 0xA3, 0xC0, 0x09, 0x03, 0x0D},
    };
    for (const TellingEntries& type : types) {
        const UCHAR* image = defaultTableFor(type.ccdType);
        SCOPED_TRACE(type.ccdType);
        EXPECT_EQ(entry(image, 0x0410), 0xB8);
        EXPECT_EQ(entry(image, 0x1000), type.frameControl);
        EXPECT_EQ(entry(image, 0x1019), 0x01);
        EXPECT_EQ(entry(image, 0x100E), 0x08);
        EXPECT_EQ(entry(image, 0x100B), 0x10);
        EXPECT_EQ(entry(image, 0x100D), 0x10);
        EXPECT_EQ(entry(image, 0x101D), type.frontEnd);
        EXPECT_EQ(entry(image, 0x0903), type.timingLow);
        EXPECT_EQ(entry(image, 0x0904), type.timingHigh);
        EXPECT_EQ(entry(image, 0x108D), type.flicker);
    }
    // Type 5 has a table of its own; types without one fall back to type 0's.
    EXPECT_NE(defaultTableFor(5), defaultTableFor(0));
    EXPECT_EQ(defaultTableFor(4), defaultTableFor(0));
}

class DefaultImage : public CameraOnBus {
protected:
    const UCHAR* imageFor(int ccdType, int cdsType)
    {
        dualcam::DualCamConfig config;
        config.ccdType = ccdType;
        config.cdsType = cdsType;
        plug(config);
        return context()->DefaultRegTable;
    }
};

TEST_F(DefaultImage, FrontEndsPatchTheSensorsTable)
{
    const UCHAR* tasc = imageFor(0, 5);
    EXPECT_EQ(entry(tasc, 0x0B00), 0x03);
    EXPECT_EQ(entry(tasc, 0x099D), 0xEE);
    EXPECT_EQ(entry(tasc, 0x0A00), 0x05);
    EXPECT_EQ(entry(tasc, 0x108D), 0x00);
    EXPECT_EQ(entry(tasc, 0x1000), 0xA0);  // the sensor's own value stays

    const UCHAR* toshiba = imageFor(1, 7);
    EXPECT_EQ(entry(toshiba, 0x0B01), 0xC0);
    EXPECT_EQ(entry(toshiba, 0x0991), 0x03);
    EXPECT_EQ(entry(toshiba, 0x0973), 0x0F);
    EXPECT_EQ(entry(toshiba, 0x1000), 0xAF);
    EXPECT_EQ(entry(toshiba, 0x108D), 0x00);
    // The 099E patch lands in the shared compression byte.
    EXPECT_EQ(entry(toshiba, 0x099E), 0x06);

    const UCHAR* elecvision = imageFor(2, 8);
    EXPECT_EQ(entry(elecvision, 0x0900), 0x10);
    EXPECT_EQ(entry(elecvision, 0x1024), 0x22);
    EXPECT_EQ(entry(elecvision, 0x100E), 0x10);
    EXPECT_EQ(entry(elecvision, 0x108D), 0x05);

    EXPECT_EQ(entry(imageFor(0, 2), 0x0B00), 0x02);
    EXPECT_EQ(entry(imageFor(3, 6), 0x0B00), 0x00);
    // A front end without patches leaves the table alone.
    const UCHAR* plain = imageFor(2, 1);
    for (ULONG i = 0; i < kShadowSize; ++i)
        ASSERT_EQ(plain[i], defaultTableFor(2)[i]) << i;
}

TEST_F(DefaultImage, RegValuesNamedByAddressOverrideTheirRegisters)
{
    const std::u16string reg = u"\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX\\Reg";
    writeSetting(u"CCDType", 0);  // creates the settings key
    std::u16string key = reg;
    ASSERT_EQ(RtlCreateRegistryKey(RTL_REGISTRY_ABSOLUTE, key.data()), STATUS_SUCCESS);
    auto put = [&](const char16_t* name, ULONG value) {
        ASSERT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, reg.c_str(), name, REG_DWORD, &value, sizeof value),
                  STATUS_SUCCESS);
    };
    put(u"0410", 0x1B8);
    put(u"100E", 0x2A);
    put(u"0502", 0x1234);
    put(u"410", 0x99);   // not a register's name
    put(u"0403", 0x77);  // no register of the rows
    const UCHAR* image = imageFor(0, 0);
    EXPECT_EQ(entry(image, 0x0410), 0xB8);
    EXPECT_EQ(entry(image, 0x100E), 0x2A);
    EXPECT_EQ(entry(image, 0x0502), 0x34);
    for (ULONG i = 0; i < kShadowSize; ++i) {
        if (i == ULONG(shadowIndexOf(0x100E)) || i == ULONG(shadowIndexOf(0x0502)))
            continue;
        ASSERT_EQ(image[i], defaultTableFor(0)[i]) << i;
    }

    // Loading the image writes every row in table order.
    wire().clear();
    ASSERT_EQ(DR_LoadDefaultTable(context()), STATUS_SUCCESS);
    EXPECT_EQ(camera().registerValue(0x100E), 0x2A);
    EXPECT_EQ(DR_GetRegister(0x0502), 0x34);
    const auto writes = wire().writes();
    ASSERT_EQ(writes.size(), 15u);  // the 0900 and 1000 rows take three requests each
    EXPECT_EQ(writes.front().first, 0x0400);
    EXPECT_EQ(writes.back().first, 0x1080);
    EXPECT_EQ(writes.back().bytes.size(), 27u);
}

TEST_F(DefaultImage, OneEntryCanBeChangedForLaterLoads)
{
    DR_SetDefaultRegister(context(), 0x0502, 0x59);
    ASSERT_EQ(DR_LoadDefaultTable(context()), STATUS_SUCCESS);
    EXPECT_EQ(camera().registerValue(0x0502), 0x59);
}

}  // namespace
}  // namespace qm::morvax::test
