// Erase, capture, upload, progress and the busy rule through DriverEntry.
#include <filesystem>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "tests/device/entry/kestrom_fixture.h"

namespace qm::device::test {
namespace {

using stillcam::CMD_CAPTURE;
using stillcam::CMD_ERASE;

// What the progress callback saw, and what a call made from inside it got.
struct ProgressLog {
    std::vector<std::uint32_t> percents;
    std::vector<std::uint8_t> innerResults;
    DriverEntryProc entry = nullptr;
};
ProgressLog progressLog;

void recordProgress(std::uint32_t, std::uint32_t, std::uint32_t percent) { progressLog.percents.push_back(percent); }

void callBackIntoTheModule(std::uint32_t, std::uint32_t, std::uint32_t percent)
{
    progressLog.percents.push_back(percent);
    std::uint32_t status = kStatusCameraAnswers;
    progressLog.innerResults.push_back(progressLog.entry(kTypeStatus, &status, nullptr, nullptr));
}

// A 24-bit bitmap file of a smooth picture.
void writeBitmapFile(const std::string& path, int width, int height)
{
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> file(54 + stride * height);
    file[0] = 'B';
    file[1] = 'M';
    sys::writeLe32(file.data() + 2, std::uint32_t(file.size()));
    sys::writeLe32(file.data() + 10, 54);
    sys::writeLe32(file.data() + 14, 40);
    sys::writeLe32(file.data() + 18, std::uint32_t(width));
    sys::writeLe32(file.data() + 22, std::uint32_t(height));
    sys::writeLe16(file.data() + 26, 1);
    sys::writeLe16(file.data() + 28, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = file.data() + 54 + stride * y + 3 * x;
            pixel[0] = std::uint8_t(x * 2);
            pixel[1] = std::uint8_t(y * 3);
            pixel[2] = std::uint8_t(x + y);
        }
    ASSERT_TRUE(sys::writeFileAtomically(path, file));
}

class KestromActions : public KestromTest {
protected:
    KestromActions() { progressLog = {}; }
};

TEST_F(KestromActions, EraseOnePictureThenAllWithProgress)
{
    start();
    ASSERT_EQ(connect(nullptr, &recordProgress), kDriverSuccess);
    progressLog.percents.clear();
    std::uint32_t picture = 2;
    ASSERT_EQ(call(kTypeAction, kActionErase, &picture), kDriverSuccess);
    EXPECT_EQ(camera->pictureCount(), 5u);
    EXPECT_EQ(readValue(kReadPicturesStored), 5u);
    ASSERT_FALSE(progressLog.percents.empty());
    EXPECT_EQ(progressLog.percents.back(), 0u) << "the end call";
    std::uint32_t changed = 1;
    ASSERT_EQ(call(kTypeStatus, kStatusCountChanged, &changed), kDriverSuccess);
    EXPECT_EQ(changed, 0u) << "the erase refreshed the session's count";

    picture = 0;
    ASSERT_EQ(call(kTypeAction, kActionErase, &picture), kDriverSuccess);
    EXPECT_EQ(camera->pictureCount(), 0u);

    picture = 9;  // the camera refuses a picture it does not have
    EXPECT_EQ(call(kTypeAction, kActionErase, &picture), kDriverFailure);
}

TEST_F(KestromActions, ACaptureSucceedsOnlyWhenThePictureCountGrows)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    ASSERT_EQ(call(kTypeAction, kActionCapture), kDriverSuccess);
    EXPECT_EQ(camera->pictureCount(), 7u);
    EXPECT_EQ(countOf(CMD_CAPTURE), 1u);

    // The camera answers and stores the picture, but reports the old count.
    camera->overrideCameraInfoByte(16, 7);
    camera->overrideCameraInfoByte(17, 0);
    EXPECT_EQ(call(kTypeAction, kActionCapture), kDriverFailure);
    EXPECT_EQ(camera->pictureCount(), 8u);
}

TEST_F(KestromActions, ACaptureTheCameraNeverFinishesFails)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    camera->forceStatus(0);
    clearCommands();
    EXPECT_EQ(call(kTypeAction, kActionCapture), kDriverFailure);
    EXPECT_EQ(countOf(CMD_CAPTURE), 1u) << "the camera took the command";
}

TEST_F(KestromActions, UploadsAPictureToAModel16Camera)
{
    start();
    ASSERT_EQ(connect(nullptr, &recordProgress), kDriverSuccess);
    const std::string file = windows.path() + "/upload.bmp";
    writeBitmapFile(file, 320, 200);
    progressLog.percents.clear();
    ASSERT_EQ(call(kTypeAction, kActionUpload, const_cast<char*>(file.c_str())), kDriverSuccess);
    EXPECT_EQ(camera->pictureCount(), 7u);
    EXPECT_TRUE(camera->pictures().back().uploaded);
    EXPECT_EQ(camera->pictures().back().width, 640);
    EXPECT_FALSE(progressLog.percents.empty());
}

TEST_F(KestromActions, UploadsThatCannotBeSentCostNoCameraTraffic)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    // A file that is no picture is refused before the camera is asked for
    // anything, as is a picture the encoder cannot code.
    const std::string notAPicture = windows.path() + "/notes.bmp";
    ASSERT_TRUE(sys::writeFileAtomically(notAPicture, std::string("not a picture")));
    clearCommands();
    EXPECT_EQ(call(kTypeAction, kActionUpload, const_cast<char*>(notAPicture.c_str())), kDriverFailure);
    EXPECT_EQ(call(kTypeAction, kActionUpload, nullptr), kDriverFailure);
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(camera->pictureCount(), 6u);
}

TEST_F(KestromActions, OtherModelsTakeNoUploads)
{
    stillcam::StillCameraConfig config;
    config.model = 17;
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);
    const std::string file = windows.path() + "/upload.bmp";
    writeBitmapFile(file, 64, 48);
    clearCommands();
    EXPECT_EQ(call(kTypeAction, kActionUpload, const_cast<char*>(file.c_str())), kDriverFailure);
    EXPECT_TRUE(commands().empty());
}

TEST_F(KestromActions, ACallFromInsideTheProgressCallbackIsRefusedAsBusy)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    progressLog.entry = entry;
    ASSERT_EQ(call(kTypeAction, kActionSetProgress, reinterpret_cast<void*>(&callBackIntoTheModule)), kDriverSuccess);
    std::uint32_t picture = 1;
    askPictureSize(picture);
    std::vector<std::uint8_t> buffer(pictureBufferSize(640, 480));
    ASSERT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverSuccess);
    ASSERT_FALSE(progressLog.innerResults.empty());
    for (std::uint8_t result : progressLog.innerResults)
        EXPECT_EQ(result, kDriverBusy);
    EXPECT_GT(progressLog.percents.back(), 0u) << "the download reported progress";
    EXPECT_EQ(call(kTypeStatus, kStatusCameraAnswers), kDriverSuccess) << "idle again afterwards";
}

TEST_F(KestromActions, ReservedAndUnknownActions)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    clearCommands();
    EXPECT_EQ(call(kTypeAction, kActionPictureRecord), kDriverFailure);
    EXPECT_EQ(call(kTypeAction, 9), kDriverUnsupported);
    EXPECT_EQ(call(kTypeAction, 13), kDriverUnsupported);
    for (std::uint32_t code = 1; code <= 6; ++code)
        EXPECT_EQ(call(kTypeReserved, code), kDriverFailure) << code;
    EXPECT_EQ(call(kTypeReserved, 7), kDriverUnsupported);
    EXPECT_TRUE(commands().empty());
}

}  // namespace
}  // namespace qm::device::test
