// The panel's lists and cursors on their own: lookups that miss, removal and
// renumbering, the size limit, turning thumbnails of any size, the transfer
// cursor's walks and the driver information record's bounds.
#include <gtest/gtest.h>

#include "device/entry/driver_entry.h"
#include "panel/browser/driver_info.h"
#include "panel/entry/transfer_cursor.h"
#include "panel/model/picture_list.h"
#include "panel/model/thumb_list.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

ThumbList listOf(int count, std::initializer_list<int> selected)
{
    ThumbList list;
    for (int number = 1; number <= count; ++number)
        list.append(number);
    for (int number : selected)
        list.find(number).select();
    return list;
}

TEST(ThumbList, MissesYieldAFreshPlaceholderAndRemovalRenumbers)
{
    ThumbList list = listOf(4, {2});
    ThumbItem& missing = list.find(9);
    EXPECT_EQ(missing.number, 0);
    missing.select();
    EXPECT_FALSE(list.find(9).selected) << "what a caller did to the placeholder does not stick";
    EXPECT_EQ(list.selectedCount(), 1u);

    ASSERT_TRUE(list.remove(2));
    EXPECT_FALSE(list.remove(2));
    EXPECT_FALSE(list.contains(2));
    list.renumber();
    std::vector<int> numbers;
    for (const ThumbItem& item : list)
        numbers.push_back(item.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.selectedCount(), 0u);
}

TEST(ThumbList, RefusesPicturesBeyondItsLimit)
{
    ThumbList thumbs;
    PictureList pictures;
    for (std::size_t number = 1; number <= kMaxPictures; ++number) {
        ASSERT_TRUE(thumbs.append(int(number)));
        ASSERT_TRUE(pictures.append(int(number)));
    }
    EXPECT_FALSE(thumbs.append(int(kMaxPictures + 1)));
    EXPECT_FALSE(pictures.append(int(kMaxPictures + 1)));
    EXPECT_EQ(thumbs.size(), kMaxPictures);
}

TEST(ThumbItem, ChangesMarkTheItemAndRotationCountsWrap)
{
    ThumbItem item;
    item.select();
    EXPECT_TRUE(item.changed);
    item.changed = false;
    item.select();
    EXPECT_FALSE(item.changed) << "selecting a selected item changes nothing";
    EXPECT_FALSE(item.toggle());
    for (int turn = 0; turn < 5; ++turn)
        item.rotateRight();
    EXPECT_EQ(item.rotationShown, 1);
    EXPECT_EQ(item.rotationPending, 1);
}

// An image whose pixel (x, y from the top) encodes its place.
PictureItem markedPicture(int width, int height)
{
    PictureItem picture;
    picture.width = width;
    picture.height = height;
    EXPECT_TRUE(picture.allocate());
    sys::writeLe32(picture.image.data(), 40);
    sys::writeLe32(picture.image.data() + 4, std::uint32_t(width));
    sys::writeLe32(picture.image.data() + 8, std::uint32_t(height));
    sys::writeLe16(picture.image.data() + 12, 1);
    sys::writeLe16(picture.image.data() + 14, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel =
                picture.image.data() + 40 + std::size_t(height - 1 - y) * dibStride(width) + std::size_t(x) * 3;
            pixel[0] = std::uint8_t(x);
            pixel[1] = std::uint8_t(y);
            pixel[2] = 7;
        }
    }
    return picture;
}

std::pair<int, int> placeOf(const PictureItem& picture, int x, int y)
{
    const std::uint8_t* pixel =
        picture.image.data() + 40 + std::size_t(picture.height - 1 - y) * dibStride(picture.width) + std::size_t(x) * 3;
    return {pixel[0], pixel[1]};
}

TEST(PictureItem, TurnsAQuarterRightWhateverItsRowPadding)
{
    for (auto [width, height] : {std::pair{80, 60}, std::pair{5, 3}, std::pair{7, 2}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        PictureItem picture = markedPicture(width, height);
        picture.rotateRight();
        ASSERT_EQ(picture.width, height);
        ASSERT_EQ(picture.height, width);
        EXPECT_EQ(picture.image.size(), dibSize(height, width));
        EXPECT_TRUE(picture.drawable());
        // Turned right, the top-left pixel is the old bottom-left one.
        EXPECT_EQ(placeOf(picture, 0, 0), std::make_pair(0, height - 1));
        EXPECT_EQ(placeOf(picture, height - 1, 0), std::make_pair(0, 0));
        EXPECT_EQ(placeOf(picture, 0, width - 1), std::make_pair(width - 1, height - 1));
    }
}

TEST(PictureItem, OnlyAnImageWhoseHeaderAgreesIsDrawable)
{
    PictureItem picture = markedPicture(80, 60);
    EXPECT_TRUE(picture.drawable());
    sys::writeLe32(picture.image.data() + 4, 81);
    EXPECT_FALSE(picture.drawable()) << "a header wider than the buffer";
    picture = markedPicture(80, 60);
    sys::writeLe16(picture.image.data() + 14, 32);
    EXPECT_FALSE(picture.drawable());
    picture.image.resize(100);
    EXPECT_FALSE(picture.drawable());
    picture.rotateRight();  // an image that is not there is not turned
    EXPECT_EQ(picture.width, 80);
}

TEST(TransferCursor, WalksTheSelectionAndCountsWhatRemains)
{
    ThumbList list = listOf(8, {2, 5, 7});
    TransferCursor cursor;
    EXPECT_EQ(cursor.reset(nullptr), 0);
    EXPECT_FALSE(cursor.valid());
    EXPECT_EQ(cursor.reset(&list), 2);
    EXPECT_EQ(cursor.processed(), 1);
    EXPECT_EQ(cursor.total(), 3);
    EXPECT_EQ(cursor.remaining(true), 3u);
    EXPECT_EQ(cursor.remaining(false), 0u) << "nothing remains while the camera is not connected";
    EXPECT_EQ(cursor.advance(), 5);
    EXPECT_EQ(cursor.advance(), 7);
    EXPECT_EQ(cursor.remaining(true), 1u);
    EXPECT_EQ(cursor.advance(), 0);
    EXPECT_TRUE(cursor.done());
    EXPECT_EQ(cursor.current(), 7) << "the last picture stays current";
    EXPECT_EQ(cursor.remaining(true), 0u);
    EXPECT_EQ(cursor.processed(), 4);
}

TEST(TransferCursor, NextFromAPositionIncludesIt)
{
    ThumbList list = listOf(8, {2, 5, 7});
    TransferCursor cursor;
    cursor.reset(&list);
    int position = -1;
    EXPECT_EQ(cursor.nextFrom(position), 2);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(cursor.nextFrom(position), 2) << "the scan starts at the position";
    position = 3;
    EXPECT_EQ(cursor.nextFrom(position), 5);
    position = 8;
    EXPECT_EQ(cursor.nextFrom(position), 0);
    EXPECT_EQ(position, 8) << "left as it was when nothing is found";
    EXPECT_FALSE(cursor.done());
}

TEST(DriverInfo, TextsEndAtTheirFieldsEvenWithoutATerminator)
{
    DriverInfo info;
    EXPECT_EQ(info.title(), "");
    EXPECT_EQ(info.capabilities(), 0u);
    std::fill(info.record.begin(), info.record.end(), std::uint8_t('x'));
    EXPECT_EQ(info.title().size(), device::driver_info::kDriverNameSize);
    EXPECT_EQ(info.uploadFilter().size(), device::driver_info::kFileFilterSize);
    EXPECT_EQ(info.versionText().size(), DriverInfo::kSize - device::driver_info::kVersionText);
    sys::writeLe32(info.record.data() + device::driver_info::kCapabilities, 0x3FB);
    EXPECT_EQ(info.capabilities(), 0x3FBu);
}

}  // namespace
}  // namespace qm::panel
