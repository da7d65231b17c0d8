// A picture's data into a file on disk.
#include "device/imaging/picture_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PictureFile, CommitWritesExactlyTheData)
{
    test::TempDir dir;
    const std::string path = dir.file("IMG00001.jpg");
    PictureFileWriter writer;
    ASSERT_TRUE(writer.open(path));
    EXPECT_TRUE(std::filesystem::exists(path));  // claimed before the download
    const Bytes data = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
    ASSERT_TRUE(writer.commit(data));
    EXPECT_EQ(sys::readWholeFile(path), data);

    // An existing file is replaced as a whole, also by shorter data.
    PictureFileWriter again;
    ASSERT_TRUE(again.open(path));
    ASSERT_TRUE(again.commit(Bytes{9}));
    EXPECT_EQ(sys::readWholeFile(path), Bytes{9});
}

TEST(PictureFile, AFailedDownloadRemovesOnlyTheFileItCreated)
{
    test::TempDir dir;
    const std::string fresh = dir.file("fresh.jpg");
    {
        PictureFileWriter writer;
        ASSERT_TRUE(writer.open(fresh));
        writer.abandon();
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));
    {
        PictureFileWriter writer;  // gone out of scope without a commit
        ASSERT_TRUE(writer.open(fresh));
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const std::string existing = dir.file("existing.jpg");
    test::writeTextFile(existing, "the user's picture");
    {
        PictureFileWriter writer;
        ASSERT_TRUE(writer.open(existing));
        writer.abandon();
    }
    EXPECT_EQ(test::readTextFile(existing), "the user's picture");
}

TEST(PictureFile, AnUnusablePathFailsBeforeAnythingIsDownloaded)
{
    test::TempDir dir;
    PictureFileWriter writer;
    EXPECT_FALSE(writer.open(dir.file("no/such/directory/IMG.jpg")));
    EXPECT_FALSE(writer.commit(Bytes{1}));
    EXPECT_FALSE(writer.open(dir.path()));  // a directory is no file
}

}  // namespace
}  // namespace qm::device::imaging
