// The names a save gives its files, and which failures of the device
// module's file writing stop a save with which message.
#include <gtest/gtest.h>

#include "panel/resources/resource.h"
#include "panel/save/file_names.h"
#include "panel/save/save_failure.h"

namespace qm::panel {
namespace {

TEST(SaveFileNames, FileNumbersAreFiveCharactersWithAnUnderscoreForALeadingZero)
{
    EXPECT_EQ(FormatFileNumber(1), "_0001");
    EXPECT_EQ(FormatFileNumber(123), "_0123");
    EXPECT_EQ(FormatFileNumber(9999), "_9999");
    EXPECT_EQ(FormatFileNumber(12345), "12345");
    EXPECT_EQ(FormatFileNumber(123456), "23456");
    EXPECT_EQ(FormatFileNumber(0), "_0000");
    EXPECT_EQ(FormatFileNumber(100000), "_0000");
    EXPECT_EQ(FormatFileNumber(-42), "_0042") << "a negative number keeps its digits";
}

TEST(SaveFileNames, PathsFolderAndPrefix)
{
    EXPECT_EQ(pictureFilePath("/photos", "IMG", 1), "/photos/IMG_0001.jpg");
    EXPECT_EQ(pictureFilePath("/photos", "", 10000), "/photos/10000.jpg");
    EXPECT_EQ(withoutTrailingSlash("/photos/"), "/photos");
    EXPECT_EQ(withoutTrailingSlash("/photos"), "/photos");
    EXPECT_EQ(folderOf("/photos/IMG_0001.jpg"), "/photos");
    EXPECT_EQ(folderOf("IMG_0001.jpg"), "");
    // A separator in the prefix would write outside the chosen folder.
    EXPECT_EQ(sanitisedPrefix("a/b"), "ab");
    EXPECT_EQ(sanitisedPrefix("..\\"), "..");
    EXPECT_EQ(folderOf(pictureFilePath("/photos", sanitisedPrefix("x/"), 7)), "/photos");
}

TEST(SaveFailures, OnlyFailuresOfTheFileStopASave)
{
    EXPECT_EQ(fileFailureMessage(sys::ERROR_DISK_FULL), IDS_SAVE_DISK_FULL);
    EXPECT_EQ(fileFailureMessage(sys::ERROR_HANDLE_DISK_FULL), IDS_SAVE_DISK_FULL);
    EXPECT_EQ(fileFailureMessage(sys::ERROR_ACCESS_DENIED), IDS_SAVE_FOLDER_UNWRITABLE);
    EXPECT_EQ(fileFailureMessage(sys::ERROR_PATH_NOT_FOUND), IDS_SAVE_FOLDER_UNWRITABLE);
    EXPECT_EQ(fileFailureMessage(sys::ERROR_WRITE_FAULT), IDS_SAVE_WRITE_FAILED);
    // The camera's own failures: the link's codes, or none at all.
    EXPECT_EQ(fileFailureMessage(0), std::nullopt);
    EXPECT_EQ(fileFailureMessage(0x28000004), std::nullopt);
}

}  // namespace
}  // namespace qm::panel
