// The picture information record (8/10) through DriverEntry on the simulated
// camera: the values come from what the camera says of the picture, and a
// call that cannot be answered leaves the caller's record alone.
#include <cstdlib>
#include <ctime>

#include "platform/system/byte_order.h"
#include "tests/device/entry/kestrom_fixture.h"

namespace qm::device::test {
namespace {

namespace layout = picture_record;
using Record = std::array<std::uint8_t, layout::kSize>;

std::int32_t field(const Record& record, std::size_t offset)
{
    return std::int32_t(sys::readLe32(record.data() + offset));
}

std::string text(const Record& record, std::size_t offset)
{
    return reinterpret_cast<const char*>(record.data() + offset);
}

Record recordFor(std::uint32_t picture)
{
    Record record;
    record.fill(0xEE);
    sys::writeLe32(record.data(), picture);
    return record;
}

class KestromRecord : public KestromTest {
protected:
    KestromRecord()
    {
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    ~KestromRecord() override
    {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(KestromRecord, CarriesWhatTheCameraSaysOfThePicture)
{
    stillcam::StillCameraConfig config;
    config.model = 17;
    config.pictureCount = 3;
    config.dateTime = stillcam::CameraDateTime{2001, 3, 4, 5, 6, 7};
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);

    Record record = recordFor(2);
    std::uint32_t length = layout::kSize;
    ASSERT_EQ(call(kTypeAction, kActionPictureRecord, record.data(), &length), kDriverSuccess);
    const std::array<std::uint8_t, 64> info = *camera->pictureInfo(2);
    EXPECT_EQ(field(record, layout::kPicture), 2);
    EXPECT_EQ(field(record, layout::kFileFormat), layout::kFormatJpeg);
    EXPECT_EQ(field(record, layout::kWidth), 640);
    EXPECT_EQ(field(record, layout::kHeight), 480);
    EXPECT_EQ(field(record, layout::kFileNumber), 2);
    EXPECT_EQ(field(record, layout::kFileNumber), sys::readLe16(&info[2]));
    // Stored when the camera started, its clock set to 2001-03-04 05:06:07.
    EXPECT_NEAR(field(record, layout::kTakenAt), 983682367, 2);
    EXPECT_EQ(field(record, layout::kZoneFlag), 0);
    EXPECT_EQ(text(record, layout::kFileName), "DSC00002.JPG");
    EXPECT_EQ(text(record, layout::kModeName), "Fine");
    EXPECT_EQ(camera->lastCommand()->code, stillcam::CMD_PICTURE_INFO);
}

TEST_F(KestromRecord, APictureTakenLaterCarriesItsOwnTimeAndQuality)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    config.dateTime = stillcam::CameraDateTime{2001, 3, 4, 5, 6, 7};
    config.settings.quality = 0;
    start(config);
    camera->setDateTime({2002, 12, 31, 23, 59, 0});
    ASSERT_EQ(connect(), kDriverSuccess);
    ASSERT_EQ(call(kTypeAction, kActionCapture), kDriverSuccess);

    Record record = recordFor(2);
    ASSERT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverSuccess);
    EXPECT_NEAR(field(record, layout::kTakenAt), 1041379140, 2);
    EXPECT_EQ(text(record, layout::kModeName), "Normal");
    EXPECT_EQ(text(record, layout::kFileName), "DSC00002.JPG");
}

TEST_F(KestromRecord, RefusesWhatItCannotAnswerAndLeavesTheRecordAlone)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 2;
    start(config);
    Record record = recordFor(1);
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverNoSession);
    ASSERT_EQ(connect(), kDriverSuccess);

    const Record untouched = recordFor(3);
    record = untouched;
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverFailure) << "no picture 3";
    EXPECT_EQ(record, untouched);

    record = recordFor(0);
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverFailure);

    clearCommands();
    record = recordFor(1);
    std::uint32_t shortLength = layout::kSize - 1;
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data(), &shortLength), kDriverFailure);
    EXPECT_EQ(record, recordFor(1));
    EXPECT_TRUE(commands().empty()) << "a short buffer costs no camera traffic";

    camera->injectFaults("no-reply cmd=picture-info times=1");
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverFailure);
    EXPECT_EQ(record, recordFor(1));
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord, record.data()), kDriverSuccess) << "the camera answers again";
}

}  // namespace
}  // namespace qm::device::test
