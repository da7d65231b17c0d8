// Pictures, thumbnails and picture files through DriverEntry.
#include <filesystem>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "tests/device/entry/kestrom_fixture.h"

namespace qm::device::test {
namespace {

using stillcam::CMD_PICTURE_INFO;
using stillcam::CMD_READ_PICTURE;
using stillcam::CMD_READ_THUMBNAIL;

constexpr std::uint8_t kSentinel = 0x5A;
constexpr std::size_t kSentinelBytes = 64;

// A picture buffer sized as the panel sizes it, with sentinel bytes behind.
std::vector<std::uint8_t> pictureBuffer(std::uint32_t width, std::uint32_t height, std::uint8_t rotation)
{
    std::vector<std::uint8_t> buffer(pictureBufferSize(width, height) + kSentinelBytes, 0);
    std::fill(buffer.end() - kSentinelBytes, buffer.end(), kSentinel);
    buffer[0] = rotation;
    return buffer;
}

bool sentinelIntact(const std::vector<std::uint8_t>& buffer)
{
    return std::all_of(buffer.end() - kSentinelBytes, buffer.end(), [](std::uint8_t b) { return b == kSentinel; });
}

using KestromPictures = KestromTest;

TEST_F(KestromPictures, PicturesArriveAsBitmapsTurnedAsAsked)
{
    stillcam::StillCameraConfig config;
    config.model = 18;
    config.resolutionCode = 1;  // stored at 640 x 480, shown at 1024 x 768
    config.pictureCount = 2;
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);

    std::uint32_t picture = 1;
    askPictureSize(picture);
    std::vector<std::uint8_t> landscape = pictureBuffer(1024, 768, kRotateNone);
    ASSERT_EQ(call(kTypeAction, kActionGetPicture, &picture, landscape.data()), kDriverSuccess);
    std::optional<Dib> dib = readDib(landscape);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 1024);
    EXPECT_EQ(dib->height, 768);
    EXPECT_TRUE(sentinelIntact(landscape));

    std::vector<std::uint8_t> portrait = pictureBuffer(768, 1024, kRotate90);
    ASSERT_EQ(call(kTypeAction, kActionGetPicture, &picture, portrait.data()), kDriverSuccess);
    dib = readDib(portrait);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 768);
    EXPECT_EQ(dib->height, 1024);
    EXPECT_TRUE(sentinelIntact(portrait));
}

TEST_F(KestromPictures, APictureLargerThanReportedIsRefusedAndTheBufferLeftAlone)
{
    // A 1360 x 1024 picture in a camera whose model reports 640 x 480.
    stillcam::StillCameraConfig large;
    large.model = 20;
    large.pictureCount = 1;
    std::unique_ptr<stillcam::StillCamera> source = stillcam::StillCamera::create(large);
    ASSERT_NE(source, nullptr);
    stillcam::StillCameraConfig config;
    config.pictureCount = 1;
    start(config);
    ASSERT_TRUE(camera->addPicture(source->pictureData(1)));
    ASSERT_EQ(connect(), kDriverSuccess);

    std::uint32_t picture = 2;
    std::uint32_t width = picture;
    std::uint32_t height = 0;
    ASSERT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverSuccess);
    ASSERT_EQ(width, 640u);
    std::vector<std::uint8_t> buffer = pictureBuffer(width, height, kRotateNone);
    const std::vector<std::uint8_t> before = buffer;
    EXPECT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverFailure);
    EXPECT_EQ(buffer, before);
}

// The download call carries no buffer length: the caller sized its buffer
// from the size it was told. An erase renumbers the pictures, so the number
// the caller asked about may name a larger picture by the time it downloads.
TEST_F(KestromPictures, APictureDownloadIsBoundByTheSizeTheCallerWasLastTold)
{
    stillcam::StillCameraConfig large;
    large.model = 20;
    large.resolutionCode = 4;  // 1360 x 1024
    large.pictureCount = 1;
    std::unique_ptr<stillcam::StillCamera> source = stillcam::StillCamera::create(large);
    ASSERT_NE(source, nullptr);
    stillcam::StillCameraConfig config;
    config.model = 20;
    config.resolutionCode = 0;  // 640 x 480
    config.pictureCount = 2;
    start(config);
    ASSERT_TRUE(camera->addPicture(source->pictureData(1)));
    ASSERT_EQ(connect(), kDriverSuccess);

    std::uint32_t width = 2;
    std::uint32_t height = 0;
    ASSERT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverSuccess);
    ASSERT_EQ(width, 640u);
    // Room for the large picture, so that a write past the told size shows
    // as changed bytes rather than as a wrecked heap.
    std::vector<std::uint8_t> buffer(pictureBufferSize(1360, 1024), kSentinel);
    buffer[0] = kRotateNone;
    const std::size_t told = pictureBufferSize(640, 480);
    auto untouchedPastTold = [&] {
        return std::all_of(buffer.begin() + std::ptrdiff_t(told), buffer.end(),
                           [](std::uint8_t b) { return b == kSentinel; });
    };

    std::uint32_t first = 1;
    ASSERT_EQ(call(kTypeAction, kActionErase, &first), kDriverSuccess);
    ASSERT_EQ(camera->pictures().at(1).width, 1360) << "picture 2 is now the large one";
    std::uint32_t picture = 2;
    EXPECT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverFailure);
    EXPECT_TRUE(untouchedPastTold());

    // Told again, the caller gets the picture.
    width = 2;
    ASSERT_EQ(call(kTypeSize, kSizeOfPicture, &width, &height), kDriverSuccess);
    ASSERT_EQ(width, 1360u);
    picture = 2;
    EXPECT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverSuccess);
    const std::optional<Dib> dib = readDib(buffer);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 1360);

    // A picture the caller was never told about has no bound and is refused.
    clearCommands();
    picture = 1;
    EXPECT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverFailure);
    EXPECT_EQ(countOf(CMD_READ_PICTURE), 0u) << "refused before the download";
}

TEST_F(KestromPictures, ThumbnailsComeFromTheCacheUntilThePictureChanges)
{
    start();  // model 16: raw thumbnails
    std::uint32_t count = 0;
    ASSERT_EQ(connect(&count), kDriverSuccess);
    std::vector<std::uint8_t> first;
    for (std::uint32_t n = 1; n <= count; ++n) {
        std::vector<std::uint8_t> thumbnail(kThumbnailDibSize, 0);
        thumbnail[0] = 20;
        std::uint32_t picture = n;
        ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverSuccess) << n;
        EXPECT_EQ(picture, 0u) << "the picture number comes back as 0";
        const std::optional<Dib> dib = readDib(thumbnail);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->width, 80);
        EXPECT_EQ(dib->height, 60);
        if (n == 1)
            first = thumbnail;
    }
    EXPECT_GE(countOf(CMD_READ_THUMBNAIL), count) << "one request per block";

    // Again: only the picture information is asked for.
    clearCommands();
    std::vector<std::uint8_t> again(kThumbnailDibSize, 0);
    for (std::uint32_t n = 1; n <= count; ++n) {
        std::uint32_t picture = n;
        ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, again.data()), kDriverSuccess);
        if (n == 1) {
            EXPECT_EQ(again, first);
        }
    }
    EXPECT_EQ(countOf(CMD_READ_THUMBNAIL), 0u);
    EXPECT_EQ(countOf(CMD_PICTURE_INFO), count);

    // A picture whose key changed is read again.
    camera->overridePictureInfoByte(3, 12, 0x77);
    clearCommands();
    std::uint32_t picture = 3;
    ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, again.data()), kDriverSuccess);
    EXPECT_GT(countOf(CMD_READ_THUMBNAIL), 0u);

    // The cache outlives the session: a new module finds it in its file.
    unloadModule();
    EXPECT_TRUE(sys::fileExists(windows.installDirectory() + "/Thumbnl.Tmp"));
    loadModule();
    ASSERT_EQ(connect(), kDriverSuccess);
    clearCommands();
    picture = 3;
    ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, again.data()), kDriverSuccess);
    EXPECT_EQ(countOf(CMD_READ_THUMBNAIL), 0u);
}

TEST_F(KestromPictures, JpegThumbnailsOfOtherModels)
{
    stillcam::StillCameraConfig config;
    config.model = 17;
    config.pictureCount = 2;
    start(config);
    ASSERT_EQ(connect(), kDriverSuccess);
    std::vector<std::uint8_t> thumbnail(kThumbnailDibSize + kSentinelBytes, kSentinel);
    std::uint32_t picture = 2;
    ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverSuccess);
    const std::optional<Dib> dib = readDib(thumbnail);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, 80);
    EXPECT_TRUE(sentinelIntact(thumbnail));
}

TEST_F(KestromPictures, AFailedDownloadIsTriedOnceMore)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    askPictureSize(1);
    ASSERT_TRUE(camera->injectFaults("no-reply cmd=picture-info times=1"));
    clearCommands();
    std::uint32_t picture = 1;
    std::vector<std::uint8_t> buffer = pictureBuffer(640, 480, kRotateNone);
    ASSERT_EQ(call(kTypeAction, kActionGetPicture, &picture, buffer.data()), kDriverSuccess);
    EXPECT_EQ(countOf(CMD_PICTURE_INFO), 2u);
    EXPECT_TRUE(readDib(buffer));

    // Two failures in a row fail the thumbnail; its first byte is as given.
    ASSERT_TRUE(camera->injectFaults("no-reply cmd=picture-info times=2"));
    std::vector<std::uint8_t> thumbnail(kThumbnailDibSize, 0);
    thumbnail[0] = 20;
    picture = 2;
    EXPECT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverFailure);
    EXPECT_EQ(thumbnail[0], 20);
    EXPECT_EQ(picture, 0u);
}

TEST_F(KestromPictures, SavedPicturesHoldTheCamerasOwnBytes)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    const std::string path = windows.path() + "/IMG00001.jpg";
    std::uint32_t value = (1u << 16) | 2;  // the rotation in the high half is not applied
    ASSERT_EQ(call(kTypeAction, kActionSavePicture, &value, const_cast<char*>(path.c_str())), kDriverSuccess);
    EXPECT_EQ(sys::readWholeFile(path), camera->pictureData(2));

    const std::string nowhere = windows.path() + "/missing/IMG.jpg";
    EXPECT_EQ(call(kTypeAction, kActionSavePicture, &value, const_cast<char*>(nowhere.c_str())), kDriverFailure);
    EXPECT_FALSE(std::filesystem::exists(nowhere));

    // A download that fails leaves no half file behind.
    ASSERT_TRUE(camera->injectFaults("no-reply cmd=read-picture times=2"));
    const std::string failed = windows.path() + "/IMG00002.jpg";
    EXPECT_EQ(call(kTypeAction, kActionSavePicture, &value, const_cast<char*>(failed.c_str())), kDriverFailure);
    EXPECT_FALSE(std::filesystem::exists(failed));
}

TEST_F(KestromPictures, PictureInformationAndAttributes)
{
    start();
    ASSERT_EQ(connect(), kDriverSuccess);
    std::uint32_t picture = 4;
    std::array<std::uint8_t, kRawPictureInfoSize> raw{};
    ASSERT_EQ(call(kTypeAction, kActionRawPictureInfo, &picture, raw.data()), kDriverSuccess);
    EXPECT_EQ(raw, *camera->pictureInfo(4));

    std::uint32_t result = 0;
    ASSERT_EQ(call(kTypePictureAttribute, kAttributeDataSize, &picture, &result), kDriverSuccess);
    EXPECT_EQ(result, camera->pictures()[3].size);
    ASSERT_EQ(call(kTypePictureAttribute, kAttributeFlag0, &picture, &result), kDriverSuccess);
    EXPECT_EQ(result, 1u);
    ASSERT_EQ(call(kTypePictureAttribute, kAttributeValue12, &picture, &result), kDriverSuccess);
    EXPECT_EQ(result, camera->pictures()[3].key);
    EXPECT_EQ(call(kTypePictureAttribute, 5, &picture, &result), kDriverUnsupported);
    EXPECT_EQ(call(kTypePictureAttribute, 12, &picture, &result), kDriverUnsupported);
    EXPECT_EQ(call(kTypePictureAttribute, kAttributeDataSize, &picture, nullptr), kDriverFailure);
    picture = 40;
    EXPECT_EQ(call(kTypePictureAttribute, kAttributeDataSize, &picture, &result), kDriverFailure);
}

}  // namespace
}  // namespace qm::device::test

namespace qm::device::test {
namespace {

TEST_F(KestromPictures, ThumbnailsTellWhichPicturesTheCameraHoldsZoomed)
{
    start();
    const std::vector<std::uint8_t> original = camera->pictureData(2);
    ASSERT_TRUE(camera->zoomPicture(2, {80, 60, 320, 240}));
    ASSERT_EQ(connect(), kDriverSuccess);
    std::vector<std::uint8_t> thumbnail(kThumbnailDibSize, 0);
    for (std::uint32_t n = 1; n <= 3; ++n) {
        std::uint32_t picture = n;
        ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverSuccess) << n;
        EXPECT_EQ(picture, n == 2 ? kThumbnailZoomed : 0u) << n;
    }

    // A thumbnail from the cache says so too.
    clearCommands();
    std::uint32_t picture = 2;
    ASSERT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverSuccess);
    EXPECT_EQ(picture, kThumbnailZoomed);
    EXPECT_EQ(countOf(CMD_READ_THUMBNAIL), 0u);

    // A thumbnail that did not arrive marks nothing.
    ASSERT_TRUE(camera->injectFaults("no-reply cmd=picture-info times=2"));
    picture = 2;
    EXPECT_EQ(call(kTypeAction, kActionGetThumbnail, &picture, thumbnail.data()), kDriverFailure);
    EXPECT_EQ(picture, 0u);

    // Saved, the picture is its fully zoomed form as the camera delivers it.
    const std::string path = windows.path() + "/zoomed.jpg";
    std::uint32_t value = 2;
    ASSERT_EQ(call(kTypeAction, kActionSavePicture, &value, const_cast<char*>(path.c_str())), kDriverSuccess);
    const auto saved = sys::readWholeFile(path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, camera->pictureData(2));
    EXPECT_NE(*saved, original);
}

}  // namespace
}  // namespace qm::device::test
