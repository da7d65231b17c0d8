// Stored pictures through the still pin: every picture arrives whole as a
// JPEG file that carries the picture count and its number, by number or in
// sequence, with and without the camera naming its table entry.
#include <gmock/gmock.h>

#include "platform/system/byte_order.h"
#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/picture_store.h"
#include "tests/videodriver/properties/support/property_rig.h"
#include "videodriver/jpeg/jpeg_decoder.h"

namespace qm::morvax::test {
namespace {

using ::testing::ElementsAre;

constexpr std::size_t kPictures = 6;  // every second one with the camera's FF E1 segment
constexpr ULONG kStillFormat = 0;

// What the camera compressed for a stored picture: its scan, up to and
// including the end-of-image marker.
std::vector<UCHAR> storedScan(std::size_t number)
{
    dualcam::PictureStore store(dualcam::testPictures(kPictures), kPictures);
    const std::vector<UCHAR> frame = *store.frame(number, true);
    const std::size_t segment = frame[0] == 0xFF && frame[1] == 0xE1 ? dualcam::kAppSegmentSize : 0;
    // Q, the two displaced payload bytes, 0, the payload's other bytes, the
    // trailer; the payload ends with the two-byte table index.
    const std::size_t payload = frame.size() - segment - dualcam::kFrameHeaderSize;
    const auto first = frame.begin() + std::ptrdiff_t(segment + dualcam::kFrameHeaderSize);
    return std::vector<UCHAR>(first, first + std::ptrdiff_t(payload - 2));
}

// The entropy-coded data of a JPEG file: what follows its start of scan.
std::vector<UCHAR> scanOf(const std::vector<UCHAR>& jpeg)
{
    for (std::size_t i = 2; i + 4 <= jpeg.size();) {
        if (jpeg[i] != 0xFF)
            return {};
        const std::size_t length = sys::readBe16(&jpeg[i + 2]);
        if (jpeg[i + 1] == 0xDA)
            return std::vector<UCHAR>(jpeg.begin() + std::ptrdiff_t(i + 2 + length), jpeg.end());
        i += 2 + length;
    }
    return {};
}

struct StillPicture {
    USHORT count = 0;
    USHORT number = 0;
    std::vector<UCHAR> jpeg;
};

// A camera whose picture table names different numbers than their
// positions, so that numbers from the table can be told from running ones.
class RenumberingCamera : public WireRecorder {
public:
    using WireRecorder::WireRecorder;
    static constexpr USHORT kOffset = 100;

    usbd::ControlResult controlIn(const usbd::SetupPacket& setup, std::span<std::uint8_t> data) override
    {
        const usbd::ControlResult result = WireRecorder::controlIn(setup, data);
        if (setup.wIndex == 0x1052)
            for (std::size_t i = 0; i + 1 < result.length; i += 2)
                if (const USHORT entry = sys::readLe16(&data[i]); entry != 0)
                    sys::writeLe16(&data[i], USHORT(entry + kOffset));
        return result;
    }
};

class StillPin : public PropertyRig {
protected:
    dualcam::DualCamConfig cameraConfig() override
    {
        dualcam::DualCamConfig config = RigOptions::quietCamera();
        config.pictures = dualcam::testPictures(kPictures);
        config.reportPictureIndex = reportIndex_;
        return config;
    }
    std::shared_ptr<WireRecorder> makeRecorder(std::shared_ptr<dualcam::DualCamera> camera) override
    {
        if (renumber_)
            return std::make_shared<RenumberingCamera>(std::move(camera));
        return PropertyRig::makeRecorder(std::move(camera));
    }

    std::vector<StillPicture> download(std::size_t pictures)
    {
        const std::vector<UCHAR> format = formatFor(kStillStream, kStillFormat);
        auto stream = open(kStillStream, format);
        EXPECT_TRUE(stream);
        if (!stream)
            return {};
        EXPECT_EQ(stream->setState(KSSTATE_PAUSE), STATUS_SUCCESS);
        for (std::size_t i = 0; i < pictures; ++i)
            stream->queueRead(imageSize(format));
        EXPECT_EQ(stream->setState(KSSTATE_RUN), STATUS_SUCCESS);
        std::vector<StillPicture> received;
        for (std::size_t i = 0; i < pictures; ++i) {
            auto read = stream->waitForRead(kWaitLimitMs);
            EXPECT_TRUE(read);
            if (!read)
                break;
            EXPECT_EQ(read->status, STATUS_SUCCESS);
            StillPicture picture;
            picture.jpeg = read->data;
            if (picture.jpeg.size() >= 24) {
                picture.count = sys::readBe16(&picture.jpeg[20]);
                picture.number = sys::readBe16(&picture.jpeg[22]);
            }
            received.push_back(std::move(picture));
        }
        return received;
    }

    static bool decodes(const std::vector<UCHAR>& jpeg)
    {
        std::vector<UCHAR> pixels(640 * 480 * 3);
        JpegDecodeDescriptor decode;
        decode.input = jpeg.data();
        decode.inputLength = jpeg.size();
        decode.output = pixels.data();
        decode.outputSize = pixels.size();
        return decodeJpegFrame(&decode) && decode.outputWidth == 640 && decode.outputHeight == 480;
    }

    bool reportIndex_ = true;
    bool renumber_ = false;
};

TEST_F(StillPin, EveryStoredPictureArrivesWholeInSequence)
{
    ASSERT_EQ(properties().setCamera(kCamDownloadMode, 0), STATUS_SUCCESS);
    ASSERT_EQ(properties().camera(kCamPictureCount).value, LONG(kPictures));
    const std::vector<StillPicture> pictures = download(kPictures);
    ASSERT_EQ(pictures.size(), kPictures);
    for (std::size_t i = 0; i < kPictures; ++i) {
        const StillPicture& picture = pictures[i];
        EXPECT_EQ(picture.count, kPictures);
        EXPECT_EQ(picture.number, i + 1);
        EXPECT_TRUE(decodes(picture.jpeg)) << "picture " << i + 1;
        const std::vector<UCHAR> scan = storedScan(i + 1);
        const std::vector<UCHAR> received = scanOf(picture.jpeg);
        ASSERT_GE(received.size(), scan.size()) << "picture " << i + 1;
        EXPECT_TRUE(std::equal(scan.begin(), scan.end(), received.begin())) << "picture " << i + 1;
    }
}

TEST_F(StillPin, OnePictureByNumber)
{
    ASSERT_EQ(properties().setCamera(kCamDownloadMode, 1), STATUS_SUCCESS);
    ASSERT_EQ(properties().setCamera(kCamDownloadPicture, 4), STATUS_SUCCESS);
    properties().camera(kCamPictureCount);
    const std::vector<StillPicture> pictures = download(1);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].number, 4);
    EXPECT_EQ(pictures[0].count, kPictures);
    const std::vector<UCHAR> scan = storedScan(4);
    EXPECT_TRUE(std::equal(scan.begin(), scan.end(), scanOf(pictures[0].jpeg).begin()));
}

class StillPinNumbers : public StillPin {
protected:
    void SetUp() override
    {
        renumber_ = true;
        StillPin::SetUp();
    }
};

TEST_F(StillPinNumbers, WithAValidTableTheCameraNamesEachPicturesEntry)
{
    ASSERT_EQ(properties().setCamera(kCamDownloadMode, 0), STATUS_SUCCESS);
    std::vector<USHORT> numbers;
    for (const StillPicture& picture : download(3))
        numbers.push_back(picture.number);
    EXPECT_THAT(numbers, ElementsAre(101, 102, 103));
}

class StillPinWithoutIndex : public StillPinNumbers {
protected:
    void SetUp() override
    {
        reportIndex_ = false;
        StillPinNumbers::SetUp();
    }
};

TEST_F(StillPinWithoutIndex, FramesEndingInFFFFCarryTheRunningNumber)
{
    ASSERT_EQ(properties().setCamera(kCamDownloadMode, 0), STATUS_SUCCESS);
    std::vector<USHORT> numbers;
    for (const StillPicture& picture : download(3))
        numbers.push_back(picture.number);
    EXPECT_THAT(numbers, ElementsAre(1, 2, 3));
}

TEST_F(StillPinWithoutIndex, WithoutATableTheNumbersRunFromThePictureAskedFor)
{
    // No download mode set: no table.
    ASSERT_EQ(properties().setCamera(kCamDownloadPicture, 2), STATUS_SUCCESS);
    std::vector<USHORT> numbers;
    for (const StillPicture& picture : download(2))
        numbers.push_back(picture.number);
    EXPECT_THAT(numbers, ElementsAre(2, 3));
}

}  // namespace
}  // namespace qm::morvax::test
