// Saving pictures to disk as a user does it: the folder dialog, the file
// names and numbers, the overwrite question and its four answers, and the
// summary.
#include "common/config/kvb_config.h"
#include "platform/ui/input/keys.h"
#include "tests/panel/save/save_fixture.h"

namespace qm::panel::test {
namespace {

using Names = std::vector<std::string>;

class SaveToDisk : public SaveTest {};

TEST_F(SaveToDisk, TheFirstSaveWritesImg0001AndRemembersWhatItUsed)
{
    startWith(3);
    select({2});
    automation::answerNextFileDialog({photos.path()});
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(filesIn(photos.path()), Names{"IMG_0001.jpg"});
    EXPECT_EQ(fileBytes(photos.file("IMG_0001.jpg")), camera().pictureData(2));
    EXPECT_EQ(saveSetting("Save Default Directory"), photos.path());
    EXPECT_EQ(saveSetting("Prefix"), "IMG");
    EXPECT_EQ(saveSetting("File Number"), "2");
    EXPECT_EQ(messages(), Names{"Save 1 image(s) :\n\n1 file(s) success.\n0 file(s) failed."});
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_TRUE(browser().polling()) << "polling runs again after the save";
}

TEST_F(SaveToDisk, ThreePicturesFrom9998CrossIntoFiveDigits)
{
    startWith(5);
    // Picture 3 is turned in the browser; the file still holds what the
    // camera stores (the device module saves the data as delivered).
    select({3});
    click(IDC_ROTATE);
    select({1, 3, 4});
    answerFolderDialog(photos.path(), "QM", "9998", "save-folder-dialog");
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(folderShown().folder, photos.path());
    EXPECT_EQ(folderShown().firstName, photos.path() + "/QM_9998.jpg");
    EXPECT_EQ(folderShown().lastName, photos.path() + "/QM10000.jpg");
    EXPECT_EQ(folderShown().groupText, "Save Photos to the following File Names");
    EXPECT_TRUE(folderShown().fileTypeHidden);
    EXPECT_TRUE(folderShown().nameFieldHidden);

    EXPECT_EQ(filesIn(photos.path()), (Names{"QM10000.jpg", "QM_9998.jpg", "QM_9999.jpg"}));
    EXPECT_EQ(fileBytes(photos.file("QM_9998.jpg")), camera().pictureData(1));
    EXPECT_EQ(fileBytes(photos.file("QM_9999.jpg")), camera().pictureData(3));
    EXPECT_EQ(fileBytes(photos.file("QM10000.jpg")), camera().pictureData(4));
    EXPECT_EQ(saveSetting("File Number"), "10001");
    EXPECT_EQ(saveSetting("Prefix"), "QM");
    EXPECT_EQ(messages(), Names{"Save 3 image(s) :\n\n3 file(s) success.\n0 file(s) failed."});
}

TEST_F(SaveToDisk, YesAsksAgainAndYesToAllAsksNoMore)
{
    startWith(4);
    for (const char* name : {"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg"})
        qm::test::writeTextFile(photos.file(name), "an older picture");
    select({1, 2, 3});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_YES, "save-overwrite-question");
    answerOverwrite(IDC_OVERWRITE_YES_TO_ALL);
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(overwriteQuestions(), (Names{photos.file("IMG_0001.jpg") + " already exists, overwrite?",
                                           photos.file("IMG_0002.jpg") + " already exists, overwrite?"}));
    for (int picture = 1; picture <= 3; ++picture)
        EXPECT_EQ(fileBytes(photos.file("IMG_000" + std::to_string(picture) + ".jpg")), camera().pictureData(picture));
    EXPECT_EQ(saveSetting("File Number"), "4");
    EXPECT_EQ(messages(), Names{"Save 3 image(s) :\n\n3 file(s) success.\n0 file(s) failed."});
}

TEST_F(SaveToDisk, NoSavesUnderTheNameTheUserGives)
{
    startWith(3);
    qm::test::writeTextFile(photos.file("IMG_0001.jpg"), "keep me");
    select({1, 2});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_NO, {}, [this] { automation::answerNextFileDialog({photos.file("holiday.jpg")}); });
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(filesIn(photos.path()), (Names{"IMG_0001.jpg", "IMG_0002.jpg", "holiday.jpg"}));
    EXPECT_EQ(qm::test::readTextFile(photos.file("IMG_0001.jpg")), "keep me");
    EXPECT_EQ(fileBytes(photos.file("holiday.jpg")), camera().pictureData(1));
    EXPECT_EQ(fileBytes(photos.file("IMG_0002.jpg")), camera().pictureData(2));
    EXPECT_EQ(saveSetting("File Number"), "3");
    EXPECT_EQ(messages(), Names{"Save 2 image(s) :\n\n2 file(s) success.\n0 file(s) failed."});
}

TEST_F(SaveToDisk, NoAndNoOtherNameSkipsThePictureButUsesUpItsNumber)
{
    startWith(3);
    qm::test::writeTextFile(photos.file("IMG_0001.jpg"), "keep me");
    select({1, 2});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_NO, {}, [] { automation::answerNextFileDialog({}); });
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(filesIn(photos.path()), (Names{"IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(qm::test::readTextFile(photos.file("IMG_0001.jpg")), "keep me");
    EXPECT_EQ(fileBytes(photos.file("IMG_0002.jpg")), camera().pictureData(2));
    EXPECT_EQ(saveSetting("File Number"), "3");
    EXPECT_EQ(messages(), Names{"Save 2 image(s) :\n\n1 file(s) success.\n1 file(s) failed."});
}

TEST_F(SaveToDisk, CancelStopsTheSaveAndUsesUpThatNumber)
{
    startWith(3);
    qm::test::writeTextFile(photos.file("IMG_0002.jpg"), "keep me");
    select({1, 2, 3});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_CANCEL);
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(filesIn(photos.path()), (Names{"IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(qm::test::readTextFile(photos.file("IMG_0002.jpg")), "keep me");
    EXPECT_EQ(saveSetting("File Number"), "3");
    EXPECT_EQ(messages(), Names{"Save 3 image(s) :\n\n1 file(s) success.\n2 file(s) failed."});

    // Nothing written at all: no summary.
    qm::test::writeTextFile(photos.file("IMG_0003.jpg"), "keep me too");
    automation::clearMessageBoxes();
    select({1});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_CANCEL);
    pressSave();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(qm::test::readTextFile(photos.file("IMG_0003.jpg")), "keep me too");
    EXPECT_EQ(saveSetting("File Number"), "4");
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

TEST_F(SaveToDisk, BothDialogsAnswerTheKeyboard)
{
    startWith(2);
    qm::test::writeTextFile(photos.file("IMG_0007.jpg"), "an older picture");
    config::writeText("Save Directory to Disk", "Save Default Directory", photos.path().c_str());
    select({1});
    // Alt+A reaches "St&art No.", whose number is typed anew; Enter confirms.
    whenWindow([] { return automation::findWindow("Save As"); },
               [](ui::HWND) {
                   automation::pressKey('A', {.alt = true});
                   automation::typeText("7");
                   automation::pressKey(ui::VK_RETURN);
               });
    // Alt+A in the question is "Yes to &All".
    whenWindow([] { return findDialogWith("Corvel Camera", IDC_OVERWRITE_TEXT); },
               [](ui::HWND) { automation::pressKey('A', {.alt = true}); });
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();

    EXPECT_EQ(fileBytes(photos.file("IMG_0007.jpg")), camera().pictureData(1));
    EXPECT_EQ(saveSetting("File Number"), "8");
    EXPECT_EQ(messages(), Names{"Save 1 image(s) :\n\n1 file(s) success.\n0 file(s) failed."});
}

TEST_F(SaveToDisk, WithoutASelectionOrAFolderNothingHappens)
{
    startWith(2);
    automation::answerNextMessageBox(ui::IDOK);
    pressSave();
    EXPECT_EQ(messages(), Names{"Before Pressing this Button,\nselect one or more Photos on TWAIN Driver, please!"});

    select({1});
    cancelFolderDialog(photos.path());
    pressSave();
    EXPECT_TRUE(filesIn(photos.path()).empty());
    EXPECT_EQ(saveSetting("File Number"), "") << "nothing is remembered from a cancelled dialog";
    EXPECT_EQ(saveSetting("Prefix"), "");
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

}  // namespace
}  // namespace qm::panel::test
