// The software snapshot: a frame of the live video kept on request and
// handed out as a packed bitmap into a buffer whose address and size the
// request carries.
#include <gmock/gmock.h>

#include "platform/system/byte_order.h"
#include "tests/videodriver/properties/support/property_rig.h"

namespace qm::morvax::test {
namespace {

constexpr ULONG kRgb320x240 = 0;
constexpr ULONG kMjpg320x240 = 5;
constexpr ULONG kHeader = 40;

class Snapshot : public PropertyRig {
protected:
    NTSTATUS saveBitmap(std::vector<UCHAR>& buffer, ULONG& written)
    {
        SnapshotBitmapRequest request{};
        request.Property.Set = PROPSETID_MORVAX_CUSTOM;
        request.Property.Id = kCustomSnapshotBitmap;
        request.Property.Flags = KSPROPERTY_TYPE_SET;
        SnapshotBitmapRequest value = request;
        value.Address = reinterpret_cast<ULONGLONG>(buffer.data());
        value.BufferSize = ULONG(buffer.size());
        const NTSTATUS status = properties().setRaw(request, value);
        written = value.BytesWritten;
        return status;
    }

    std::unique_ptr<Stream> live(ULONG format)
    {
        auto stream = openRunning(kCaptureStream, format);
        if (stream)
            for (int i = 0; i < 4; ++i)
                stream->queueRead(imageSize(formatFor(kCaptureStream, format)));
        return stream;
    }
};

TEST_F(Snapshot, WithoutLiveVideoThereIsNothingToTake)
{
    EXPECT_EQ(properties().setCustom(kCustomSnapshot, 1), STATUS_INVALID_DEVICE_STATE);
    EXPECT_EQ(properties().custom(kCustomSnapshot).value, 1);
    std::vector<UCHAR> buffer(kHeader + 640 * 480 * 3);
    ULONG written = 1;
    EXPECT_EQ(saveBitmap(buffer, written), STATUS_NO_DATA_DETECTED);
    EXPECT_EQ(written, 0u);
}

TEST_F(Snapshot, AFrameOfTheLiveVideoBecomesABottomUpBitmap)
{
    auto stream = live(kRgb320x240);
    ASSERT_TRUE(stream);
    ASSERT_EQ(properties().setCustom(kCustomSnapshot, 1), STATUS_SUCCESS);
    EXPECT_EQ(properties().custom(kCustomSnapshot).value, 1);  // taken: none pending

    const ULONG size = kHeader + 320 * 240 * 3;
    std::vector<UCHAR> bitmap(size + 16, 0xEE);
    ULONG written = 0;
    ASSERT_EQ(saveBitmap(bitmap, written), STATUS_SUCCESS);
    EXPECT_EQ(written, size);
    EXPECT_EQ(sys::readLe32(&bitmap[0]), kHeader);
    EXPECT_EQ(sys::readLe32(&bitmap[4]), 320u);
    EXPECT_EQ(sys::readLe32(&bitmap[8]), 240u);
    EXPECT_EQ(sys::readLe16(&bitmap[12]), 1u);
    EXPECT_EQ(sys::readLe16(&bitmap[14]), 24u);
    EXPECT_TRUE(std::all_of(bitmap.begin() + 16, bitmap.begin() + kHeader, [](UCHAR b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(bitmap.begin() + size, bitmap.end(), [](UCHAR b) { return b == 0xEE; }));
    // The test pattern's bars: not one flat colour.
    const auto [darkest, brightest] = std::minmax_element(bitmap.begin() + kHeader, bitmap.begin() + size);
    EXPECT_GT(*brightest - *darkest, 100);
}

TEST_F(Snapshot, ABufferTooSmallForTheBitmapIsRefusedAndLeftAlone)
{
    auto stream = live(kMjpg320x240);
    ASSERT_TRUE(stream);
    ASSERT_EQ(properties().setCustom(kCustomSnapshot, 1), STATUS_SUCCESS);
    std::vector<UCHAR> small(kHeader + 320 * 240 * 3 - 1, 0xEE);
    ULONG written = 1;
    EXPECT_EQ(saveBitmap(small, written), STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](UCHAR b) { return b == 0xEE; }));
    std::vector<UCHAR> enough(kHeader + 320 * 240 * 3);
    EXPECT_EQ(saveBitmap(enough, written), STATUS_SUCCESS);
    EXPECT_EQ(written, enough.size());
}

}  // namespace
}  // namespace qm::morvax::test
