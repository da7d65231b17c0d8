// The zoom write-back on the simulated camera: pictures the camera holds
// zoomed are saved in their fully zoomed form, erased and uploaded back,
// highest first; the others stay as they were, byte for byte.
#include <cmath>
#include <filesystem>

#include "platform/system/files.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"
#include "tests/panel/operations/operations_fixture.h"

namespace qm::panel::test {
namespace {

const char* const kZoomFound =
    "Zoom image(s) have been found.\n Do you want the fully zoomed image(s) uploaded back to the camera?";

class ZoomWriteBack : public OperationsTest {
protected:
    // Five pictures; the camera zooms 2 and 4.
    void prepareZoomedCamera()
    {
        prepareWith(5);
        original = {camera().pictureData(1), camera().pictureData(3), camera().pictureData(5)};
        ASSERT_TRUE(camera().zoomPicture(2, {0, 0, 320, 240}));
        ASSERT_TRUE(camera().zoomPicture(4, {200, 100, 160, 120}));
        zoomed = {camera().pictureData(2), camera().pictureData(4)};
    }
    std::vector<std::string> temporaryFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temporary.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // The write-back's files land in a temporary directory of the test's own.
    qm::test::TempDir temporary;
    qm::test::ScopedEnv tmpdir{"TMPDIR", temporary.path()};
    std::vector<std::vector<std::uint8_t>> original;  // pictures 1, 3, 5
    std::vector<std::vector<std::uint8_t>> zoomed;    // pictures 2, 4 as the camera delivers them
};

// Mean difference per channel of two JPEGs of one size; huge when they
// differ in size or do not decode.
double meanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    const auto left = stillcam::decodeJpeg(a, true), right = stillcam::decodeJpeg(b, true);
    if (!left || !right || left->width != right->width || left->height != right->height)
        return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < left->pixels.size(); ++i)
        sum += std::abs(int(left->pixels[i]) - int(right->pixels[i]));
    return sum / double(left->pixels.size());
}

TEST_F(ZoomWriteBack, TheCameraEndsUpHoldingTheFullyZoomedPictures)
{
    prepareZoomedCamera();
    answerWithScreenshot(ui::IDYES, "question-zoom-found");
    connectNow();

    EXPECT_EQ(messages(), std::vector<std::string>{kZoomFound});
    // Highest first: 4 is saved and erased, then 2; both erased before any
    // upload, so the pictures left close up to 1, 2, 3.
    EXPECT_EQ(erasedNumbers(), (std::vector<unsigned>{4, 2}));
    const auto pictures = camera().pictures();
    ASSERT_EQ(pictures.size(), 5u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(camera().pictureData(unsigned(i + 1)), original[i]) << "untouched, picture " << i + 1;
        EXPECT_FALSE(pictures[i].uploaded);
    }
    // The uploads, in the order they were saved: 4's zoomed form, then 2's.
    for (std::size_t i = 3; i < 5; ++i) {
        EXPECT_TRUE(pictures[i].uploaded) << i + 1;
        EXPECT_FALSE(pictures[i].zoom) << "a written-back picture is an ordinary one";
    }
    EXPECT_LT(meanDifference(camera().pictureData(4), zoomed[1]), 4.0);
    EXPECT_LT(meanDifference(camera().pictureData(5), zoomed[0]), 4.0);
    EXPECT_GT(meanDifference(camera().pictureData(4), zoomed[0]), 10.0) << "the check tells pictures apart";

    EXPECT_TRUE(temporaryFiles().empty()) << "no ~DC file is left behind";
    EXPECT_EQ(panelState().camera.count, 5u);
    EXPECT_EQ(panelState().pictures.size(), 5u);
    EXPECT_TRUE(cellsShowTheirPictures());
    EXPECT_FALSE(browser().progressBar().visible());
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(showsConnected());
}

TEST_F(ZoomWriteBack, AnsweredNoTheCameraKeepsItsZoomedPictures)
{
    prepareZoomedCamera();
    automation::answerNextMessageBox(ui::IDNO);
    connectNow();
    EXPECT_EQ(messages(), std::vector<std::string>{kZoomFound});
    EXPECT_TRUE(erasedNumbers().empty());
    EXPECT_EQ(camera().pictureData(2), zoomed[0]);
    EXPECT_EQ(camera().pictureData(4), zoomed[1]);
    EXPECT_EQ(browser().zoomList(), (std::vector<int>{2, 4}));
    EXPECT_TRUE(showsConnected());
}

TEST_F(ZoomWriteBack, APictureThatDoesNotGoBackKeepsItsFile)
{
    prepareZoomedCamera();
    // The first upload (picture 4's zoomed form) gets no answer.
    ASSERT_TRUE(camera().injectFaults("no-reply cmd=begin-upload"));
    automation::answerNextMessageBox(ui::IDYES);
    connectNow();

    EXPECT_EQ(messages(), std::vector<std::string>{kZoomFound});
    ASSERT_EQ(camera().pictureCount(), 4u);
    EXPECT_LT(meanDifference(camera().pictureData(4), zoomed[0]), 4.0) << "2's went back";
    // 4's zoomed form exists only on disk now: its file stays.
    ASSERT_EQ(temporaryFiles(), std::vector<std::string>{"~DC4.tmp"});
    EXPECT_EQ(sys::readWholeFile(temporary.file("~DC4.tmp")), zoomed[1]);
    EXPECT_TRUE(showsConnected());
}

}  // namespace
}  // namespace qm::panel::test
