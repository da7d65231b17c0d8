// The compression setting sent to register 0A00.
#include <gtest/gtest.h>

#include "platform/system/byte_order.h"
#include "tests/videodriver/camera/support/camera_on_bus.h"
#include "videodriver/camera/device_functions.h"

namespace qm::morvax::test {
namespace {

class Compression : public CameraOnBus {
protected:
    std::vector<UCHAR> send()
    {
        wire().clear();
        EXPECT_EQ(DF_SetJpegCompression(context()), 1u);
        const auto writes = wire().writesTo(0x0A00);
        EXPECT_EQ(writes.size(), 1u);
        return writes.empty() ? std::vector<UCHAR>{} : writes[0].bytes;
    }
    void atSize(ULONG width, ULONG height)
    {
        context()->Width = width;
        context()->Height = height;
    }
};

TEST_F(Compression, CaptureStartsAtQuality127)
{
    context()->DeliveredFrames = 0;
    EXPECT_EQ(send(), std::vector<UCHAR>{0x7F});
}

TEST_F(Compression, FullSizeQualityFollowsBandwidthAndRate)
{
    context()->DeliveredFrames = 5;
    atSize(640, 480);
    struct Case {
        ULONG alternate, rate;
        UCHAR quality;
    };
    for (const Case& c : {Case{1, 0, 64}, Case{2, 3, 48}, Case{1, 6, 32}, Case{3, 0, 127}, Case{3, 2, 88},
                          Case{4, 2, 104}, Case{4, 7, 40}}) {
        context()->AlternateSetting = c.alternate;
        context()->FrameRateIndex = c.rate;
        EXPECT_EQ(send(), std::vector<UCHAR>{c.quality}) << c.alternate << "/" << c.rate;
    }
    context()->CDSType = 5;
    EXPECT_EQ(send(), std::vector<UCHAR>{15});
}

TEST_F(Compression, SmallerSizesAskForATargetFrameSize)
{
    context()->DeliveredFrames = 5;
    auto target = [&](ULONG width, ULONG height) {
        atSize(width, height);
        const auto bytes = send();
        EXPECT_EQ(bytes.size(), 6u);
        EXPECT_EQ(bytes[0], 0xF8);
        EXPECT_EQ(bytes[1], 0x28);
        return bytes.size() == 6 ? sys::readLe32(&bytes[2]) : 0u;
    };
    EXPECT_EQ(target(160, 120), 160u * 120 * 2 / 40);
    EXPECT_EQ(target(176, 144), 176u * 144 * 2 / 40);
    EXPECT_EQ(target(320, 240), 320u * 240 * 3 / 80);
    EXPECT_EQ(target(352, 288), 352u * 288 * 3 / 80);
}

TEST_F(Compression, RegistryOverridesWinBySize)
{
    context()->DeliveredFrames = 5;
    context()->QFactor[kSize320x240] = 0x85;  // low 7 bits
    atSize(320, 240);
    EXPECT_EQ(send(), std::vector<UCHAR>{0x05});
    // An override without quality bits is no override.
    context()->QFactor[kSize640x480] = 0x80;
    atSize(640, 480);
    context()->AlternateSetting = 1;
    context()->FrameRateIndex = 3;
    EXPECT_EQ(send(), std::vector<UCHAR>{48});
}

}  // namespace
}  // namespace qm::morvax::test
