// The picture information record built from a PictureInfo block: which byte
// feeds which field, the camera's calendar read as local time, and what is
// left out when the camera gives nothing usable.
#include "device/entry/picture_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/system/byte_order.h"

namespace qm::device {
namespace {

namespace layout = picture_record;

// Pins the process's time zone for one test.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

PictureInfo takenAt(std::array<std::uint8_t, 6> calendar)
{
    PictureInfo info;
    info.bytes[PictureInfo::kFlag0] = 1;
    for (std::size_t i = 0; i < calendar.size(); ++i)
        info.bytes[PictureInfo::kTakenAt + i] = calendar[i];
    return info;
}

std::int32_t field(const std::array<std::uint8_t, layout::kSize>& record, std::size_t offset)
{
    return std::int32_t(sys::readLe32(record.data() + offset));
}

std::string text(const std::array<std::uint8_t, layout::kSize>& record, std::size_t offset)
{
    return reinterpret_cast<const char*>(record.data() + offset);
}

TEST(PictureRecord, FillsEveryFieldFromTheBlock)
{
    ZoneScope zone("UTC0");
    // Model 18 by its resolution code; 2001-03-04 05:06:07 (model 18 counts
    // years from 1980).
    PictureInfo info = takenAt({21, 3, 4, 5, 6, 7});
    sys::writeLe16(&info.bytes[PictureInfo::kValue2], 4711);
    info.bytes[PictureInfo::kSetting9] = 2;
    info.bytes[PictureInfo::kResolutionCode] = 3;

    std::array<std::uint8_t, layout::kSize> record;
    record.fill(0xEE);
    writePictureRecord(record, 9, 18, info);
    EXPECT_EQ(field(record, layout::kPicture), 9);
    EXPECT_EQ(field(record, layout::kFileFormat), layout::kFormatJpeg);
    EXPECT_EQ(field(record, layout::kWidth), 1280);
    EXPECT_EQ(field(record, layout::kHeight), 1024);
    EXPECT_EQ(field(record, layout::kFileNumber), 4711);
    EXPECT_EQ(field(record, layout::kTakenAt), 983682367);
    EXPECT_EQ(field(record, layout::kZoneOffset), 0);
    EXPECT_EQ(field(record, layout::kZoneFlag), 0) << "the camera keeps no time zone";
    EXPECT_EQ(text(record, layout::kFileName), "DSC04711.JPG");
    EXPECT_EQ(text(record, layout::kModeName), "SuperFine");
    // Nothing of the caller's buffer survives: unused fields are zero.
    EXPECT_EQ(field(record, 8), 0);
    EXPECT_EQ(record[layout::kSize - 1], 0);
}

TEST(PictureRecord, TheCameraCalendarIsReadAsLocalTimeByTheModelsYearBase)
{
    ZoneScope zone("CET-1");
    // 2001-03-04 05:06:07 local, one hour east of UTC: model 16 counts from
    // 1900, model 22 from 2000.
    EXPECT_EQ(pictureTakenAt(16, takenAt({101, 3, 4, 5, 6, 7})), 983682367 - 3600);
    EXPECT_EQ(pictureTakenAt(22, takenAt({1, 3, 4, 5, 6, 7})), 983682367 - 3600);
}

TEST(PictureRecord, NoUsableTimeGivesZero)
{
    ZoneScope zone("UTC0");
    EXPECT_EQ(pictureTakenAt(16, takenAt({0, 0, 0, 0, 0, 0})), std::nullopt) << "a camera that does not say";
    EXPECT_EQ(pictureTakenAt(16, takenAt({101, 13, 1, 0, 0, 0})), std::nullopt);
    EXPECT_EQ(pictureTakenAt(16, takenAt({101, 1, 1, 24, 0, 0})), std::nullopt);
    EXPECT_EQ(pictureTakenAt(16, takenAt({101, 1, 1, 0, 60, 0})), std::nullopt);
    // Model 22 reaches 2255, beyond what 32 bits of seconds hold.
    EXPECT_EQ(pictureTakenAt(22, takenAt({200, 1, 1, 0, 0, 0})), std::nullopt);

    std::array<std::uint8_t, layout::kSize> record{};
    PictureInfo info = takenAt({0, 0, 0, 0, 0, 0});
    info.bytes[PictureInfo::kSetting9] = 7;
    info.bytes[PictureInfo::kResolutionCode] = 9;
    writePictureRecord(record, 1, 20, info);
    EXPECT_EQ(field(record, layout::kTakenAt), 0);
    EXPECT_EQ(field(record, layout::kWidth), 0) << "an unknown resolution code";
    EXPECT_EQ(text(record, layout::kModeName), "");
    EXPECT_EQ(text(record, layout::kFileName), "DSC00000.JPG");
}

TEST(PictureRecord, VgaModelsReportVgaWhateverTheCodeSays)
{
    std::array<std::uint8_t, layout::kSize> record{};
    PictureInfo info = takenAt({});
    info.bytes[PictureInfo::kResolutionCode] = 4;
    writePictureRecord(record, 1, 17, info);
    EXPECT_EQ(field(record, layout::kWidth), 640);
    EXPECT_EQ(field(record, layout::kHeight), 480);
}

}  // namespace
}  // namespace qm::device
