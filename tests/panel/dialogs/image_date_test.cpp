// The image information dialog's facts from the picture record: the date
// with and without a time zone, and the other six values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "panel/dialogs/image_info.h"
#include "platform/system/byte_order.h"

namespace qm::panel {
namespace {

namespace layout = device::picture_record;

// 2001-03-04 05:06:07 UTC.
constexpr std::int32_t kTime = 983682367;

// One hour east of UTC, so that local time and universal time differ.
class ImageDate : public ::testing::Test {
protected:
    ImageDate()
    {
        setenv("TZ", "CET-1", 1);
        tzset();
    }
    ~ImageDate() override
    {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(ImageDate, AValidZoneGivesTheUniversalTimeShiftedByItsOffset)
{
    EXPECT_EQ(pictureDate(kTime, 2, -1), "07:06:07, March 04, 2001");
    EXPECT_EQ(pictureDate(kTime, -12, -5), "17:06:07, March 03, 2001");
    EXPECT_EQ(pictureDate(kTime, 12, -1), "17:06:07, March 04, 2001");
}

TEST_F(ImageDate, WithoutAValidZoneTheTimeIsLocal)
{
    EXPECT_EQ(pictureDate(kTime, 13, -1), "06:06:07, March 04, 2001") << "13 hours is no zone";
    EXPECT_EQ(pictureDate(kTime, -13, -1), "06:06:07, March 04, 2001");
    EXPECT_EQ(pictureDate(kTime, 2, 0), "06:06:07, March 04, 2001") << "the flag says the offset is not valid";
    EXPECT_EQ(pictureDate(kTime, 2, 1), "06:06:07, March 04, 2001");
    EXPECT_EQ(pictureDate(0, 0, 0), "") << "the camera gave no time";
}

TEST_F(ImageDate, TheRecordFillsEveryFact)
{
    std::array<std::uint8_t, layout::kSize> record{};
    sys::writeLe32(record.data() + layout::kFileNumber, 42);
    sys::writeLe32(record.data() + layout::kFileFormat, layout::kFormatJpeg);
    sys::writeLe32(record.data() + layout::kWidth, 1024);
    sys::writeLe32(record.data() + layout::kHeight, 768);
    sys::writeLe32(record.data() + layout::kTakenAt, kTime);
    sys::writeLe32(record.data() + layout::kZoneOffset, 2);
    sys::writeLe32(record.data() + layout::kZoneFlag, std::uint32_t(-1));
    std::fill_n(record.begin() + layout::kFileName, layout::kFileNameSize, 'N');  // no terminator
    std::memcpy(record.data() + layout::kModeName, "Fine", 4);

    ImageFacts facts = factsFromRecord(record, 1);
    EXPECT_EQ(facts.fileNumber, "42");
    EXPECT_EQ(facts.fileName, std::string(layout::kFileNameSize, 'N')) << "a full field ends at its end";
    EXPECT_EQ(facts.modeName, "Fine");
    EXPECT_EQ(facts.date, "07:06:07, March 04, 2001");
    EXPECT_EQ(facts.resolution, "1024 x 768");
    EXPECT_EQ(facts.fileFormat, "JPEG");
    EXPECT_EQ(facts.flash, "ON");

    sys::writeLe32(record.data() + layout::kFileFormat, 7);
    sys::writeLe32(record.data() + layout::kFileNumber, std::uint32_t(-3));
    facts = factsFromRecord(record, std::nullopt);
    EXPECT_EQ(facts.fileFormat, "Unknown");
    EXPECT_EQ(facts.fileNumber, "-3") << "a signed number";
    EXPECT_EQ(facts.flash, "Unknown");
    EXPECT_EQ(flashText(0), "OFF");
    EXPECT_EQ(flashText(2), "Unknown");
}

}  // namespace
}  // namespace qm::panel
