// The panel's string table, every entry against the texts the panel must
// show, word for word.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "panel/resources/panel_resources.h"
#include "panel/resources/resource.h"
#include "tests/panel/resources/resource_probe.h"

namespace qm::panel::test {
namespace {

const std::map<int, std::string>& expectedStrings()
{
    static const std::map<int, std::string> strings = {
        {IDS_SELECT_PHOTOS_FIRST, "Before Pressing this Button,\nselect one or more Photos on TWAIN Driver, please!"},
        {IDS_LOAD_PROGRESS, "Load %d/%d\n"},
        {IDS_SAVE_GROUP, "Save Photos to the following File Names"},
        {IDS_CAPTION, "Corvel Camera"},
        {IDS_BROWSER_TITLE, "Corvel Camera 640X480 driver"},
        {IDS_CONNECTION_FAILED, "Connection failed.\n"
                                "Please check that\n"
                                "1) The camera is on, and\n"
                                "2) The serial data cable is connected between PC and camera."},
        {IDS_NO_PHOTOS, "Sorry, We couldn't catch\nany Photos from your Camera!"},
        {IDS_ZOOM_FOUND, "Zoom image(s) have been found.\n"
                         " Do you want the fully zoomed image(s) uploaded back to the camera?"},
        {IDS_OPERATION_RUNNING, "Press this Button later, the last Operation isn't finished!"},
        {IDS_ASK_ABORT, "Are you sure you want to abort this process?"},
        {IDS_ASK_LEAVE, "Are you sure you want to out of this driver?"},
        {IDS_PROGRESS_CONNECT, "Connect\n"},
        {IDS_PROGRESS_THUMBNAIL, "Thumbnail\n"},
        {IDS_PROGRESS_PICTURE, "Picture %d\n"},
        {IDS_SERVICE_UNLOCKED, "Quillon"},
        {IDS_FIRMWARE_NUMBER, "Firmware Version is %d\n"},
        {IDS_FIRMWARE_TEXT, "Firmware Version is %s\n"},
        {IDS_DISCONNECTED, "Disconnected"},
        {IDS_HINT_SAVE, "Save Photo(s) to Disk directory"},
        {IDS_HINT_TRANSFER, "Transfer Photo(s) to Application"},
        {IDS_HINT_SELECT_ALL, "Select All of the Photos"},
        {IDS_HINT_SELECT_NONE, "Select None of the Photos"},
        {IDS_HINT_ROTATE, "Rotate Photo(s) to the Right"},
        {IDS_HINT_ERASE, "Erase Photo(s)"},
        {IDS_HINT_SETTINGS, "Set Status for Camera"},
        {IDS_HINT_STATUS, "Information for Camera Status"},
        {IDS_HINT_UPLOAD, "Transfer Photo(s) from Disk Directory to Camera"},
        {IDS_HINT_TAKE, "Take a Picture"},
        {IDS_HINT_CONNECT, "Connect Camera to Computer"},
        {IDS_HINT_HELP, "Help for the User(s)"},
        {IDS_HINT_EXIT, "Exit from TWAIN driver"},
        {IDS_HINT_PAGE_UP, "Scroll one Page Up"},
        {IDS_HINT_ROW_UP, "Scroll one Row Up"},
        {IDS_HINT_ROW_DOWN, "Scroll one Row Down"},
        {IDS_HINT_PAGE_DOWN, "Scroll one Page Down"},
        {IDS_ASK_RECONNECT, "Are you sure you want to Connect\nComputer to Camera, again?"},
        {IDS_ASK_REFRESH, "Do you want to refresh all Photos from Camera?"},
        {IDS_ASK_ERASE_ALL, "Are you sure to erase all Photos?"},
        {IDS_PROGRESS_ERASE_ALL, "Erase all\n"},
        {IDS_PROGRESS_ERASE, "Erase %d/%d\n"},
        {IDS_ERASE_FAILED, "Erase image No. %d fail."},
        {IDS_CAMERA_FULL, "We couldn't get or take any other Photos!\nThe space is full in your Camera!"},
        {IDS_RECORD_MODE, "Set the Camera in RECORD Mode, Please!"},
        {IDS_PROGRESS_SHOOT, "Shoot\n"},
        {IDS_NO_PICTURE_TAKEN, "Error, no Picture is taking!"},
        {IDS_PROGRESS_UPLOAD, "Upload %d\n"},
        {IDS_UPLOAD_FAILED_ASK, "Upload %s is Failed!\n"
                                "Press \"YES\" to continue the Process,\n"
                                "otherwise, the Process will be determined.  "},
        {IDS_UPLOAD_FAILED, "Upload %s is Failed!"},
        {IDS_FORMAT_UNSUPPORTED, "File Format isn't supported!"},
        {IDS_PROGRESS_SAVE, "Save %d/%d\n"},
        {IDS_OVERWRITE, "%s already exists, overwrite?"},
        {IDS_SAVE_SUMMARY, "Save %d image(s) :\n\n%d file(s) success.\n%d file(s) failed."},
        {IDS_SAVE_AS_FILTER, "JPEG file (*.jpg)|*.jpg||"},
        {IDS_SAVE_FOLDER_FILTER, "JPG File(*.jpg)|*.jpg||"},
        {IDS_SAVE_DISK_FULL, "Save %s is Failed!\nThe disk is full."},
        {IDS_SAVE_FOLDER_UNWRITABLE, "Save %s is Failed!\nThe folder cannot be written to."},
        {IDS_SAVE_WRITE_FAILED, "Save %s is Failed!\nThe file cannot be written."},
        {IDS_STATUS_CAPACITY, "Capacity of Camera Storage :"},
        {IDS_STATUS_BATTERY, "Battery Condition :"},
        {IDS_STATUS_AC_ADAPTER, "In use/Not in use for AC Adapter :"},
        {IDS_STATUS_AUTO_OFF, "Auto Power Off Time :"},
        {IDS_STATUS_MODE, "Play/Record Mode :"},
        {IDS_STATUS_IMAGES, "Current/Maximum Number of the Images :"},
        {IDS_STATUS_PORT, "Current Communications Port"},
        {IDS_STATUS_BAUD_RATE, "Current Baud Rate"},
        {IDS_UNIT_MB, " MB"},
        {IDS_UNIT_KB, " KB"},
        {IDS_BATTERY_EMPTY, "Empty"},
        {IDS_BATTERY_WEAK, "Weak"},
        {IDS_BATTERY_FULL, "Full"},
        {IDS_AC_NOT_IN_USE, "Not in use"},
        {IDS_AC_IN_USE, "In Use"},
        {IDS_UNIT_MINUTES, " Minutes"},
        {IDS_MODE_PLAY, "Play mode"},
        {IDS_MODE_RECORD, "Record mode"},
        {IDS_MODE_MENU, "Menu mode"},
        {IDS_PORT_USB, "USB"},
        {IDS_UNIT_BPS, " / bps"},
        {IDS_NOT_AVAILABLE, "Not Available!"},
        {IDS_SETTINGS_DISCONNECTED, "Only Baud Rate Speeding is available for setting, when connection failed.\n"
                                    "Please check that\n"
                                    "1) The camera is on, and\n"
                                    "2) The serial data cable is connected between PC and camera.\n"
                                    "3) Camera Mode is in Record Mode."},
        {IDS_SETTINGS_NOT_RECORD, "Only Baud Rate Speeding is available for Setting in current mode.\n"
                                  "If you want to reset other camera status, Camera Mode must be in Record Mode."},
        {IDS_SETTINGS_SUCCESS, "To set Camera Status is successful!"},
        {IDS_SETTINGS_FAILED, "To set Camera Status is failed!"},
        {IDS_SPEED_CHANGED, "Baud Rate Speeding has been changed!\n"
                            "Do you want to make a new connection to validate the new Baud Rate Speeding?\n"},
        {IDS_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {IDS_INFO_FILE_NUMBER, "FileNumber"},
        {IDS_INFO_FILE_NAME, "FileName"},
        {IDS_INFO_MODE_NAME, "CameraModeName"},
        {IDS_INFO_DATE, "Date"},
        {IDS_INFO_RESOLUTION, "Resolution"},
        {IDS_INFO_FORMAT, "FileFormat"},
        {IDS_INFO_FLASH, "Flash"},
        {IDS_INFO_JPEG, "JPEG"},
        {IDS_INFO_UNKNOWN, "Unknown"},
        {IDS_INFO_OFF, "OFF"},
        {IDS_INFO_ON, "ON"},
        {IDS_INFO_DATE_FORMAT, "%H:%M:%S, %B %d, %Y"},
        {IDS_INFO_RESOLUTION_FORMAT, "%d x %d"},
        {IDS_ABOUT_TEXT, "Corvel Camera 640X480 driver\nVersion 4.0\n\nBrowse, transfer, save, erase and take the "
                         "pictures of your Quillon digital still camera."},
    };
    return strings;
}

TEST(StringTable, EveryStringHasItsExactText)
{
    for (const auto& [id, text] : expectedStrings())
        EXPECT_EQ(panelString(unsigned(id)), text) << "string " << id;
}

TEST(StringTable, EveryStringIdOfTheHeaderIsKnownHere)
{
    // A string added to resource.h needs its text here and in the script;
    // the save dialog's title and label are deliberately left out.
    const auto declared = declaredIds("IDS_");
    for (const auto& [name, id] : declared) {
        if (id == IDS_SAVE_DIALOG_TITLE || id == IDS_SAVE_DIALOG_LABEL)
            continue;
        EXPECT_TRUE(expectedStrings().count(id)) << name << " has no expected text";
    }
    EXPECT_EQ(declared.size(), expectedStrings().size() + 2);
}

TEST(StringTable, TheSaveDialogsTitleAndLabelStayEmpty)
{
    EXPECT_EQ(panelString(IDS_SAVE_DIALOG_TITLE), "");
    EXPECT_EQ(panelString(IDS_SAVE_DIALOG_LABEL), "");
}

TEST(StringTable, FormatsFillTheirConversions)
{
    EXPECT_EQ(formatPanelString(IDS_LOAD_PROGRESS, 1, 3), "Load 1/3\n");
    EXPECT_EQ(formatPanelString(IDS_OVERWRITE, std::string("/photos/IMG_0001.jpg")),
              "/photos/IMG_0001.jpg already exists, overwrite?");
    EXPECT_EQ(formatPanelString(IDS_ERASE_FAILED, 7), "Erase image No. 7 fail.");
}

}  // namespace
}  // namespace qm::panel::test
