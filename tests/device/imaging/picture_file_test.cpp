// A picture's data into a file on disk.
#include "device/imaging/picture_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "platform/system/files.h"
#include "platform/system/last_error.h"
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
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing under the name until the picture is whole";
    const Bytes data = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
    ASSERT_TRUE(writer.commit(data));
    EXPECT_EQ(sys::readWholeFile(path), data);

    // An existing file is replaced as a whole, also by shorter data.
    PictureFileWriter again;
    ASSERT_TRUE(again.open(path));
    ASSERT_TRUE(again.commit(Bytes{9}));
    EXPECT_EQ(sys::readWholeFile(path), Bytes{9});
}

TEST(PictureFile, AFailedDownloadLeavesNothingNewAndKeepsAnExistingFile)
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
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(writer.commit(Bytes{1}));
    EXPECT_FALSE(writer.open(dir.path()));  // a directory is no file
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_ACCESS_DENIED);
}

TEST(PictureFile, AFullDiskLeavesNoPartOfThePictureAndSaysSo)
{
    test::TempDir dir;
    const std::string fresh = dir.file("fresh.jpg");
    const std::string existing = dir.file("existing.jpg");
    test::writeTextFile(existing, "the user's picture");
    const Bytes picture(64 * 1024, 0x5A);

    // Files may not grow beyond 4 KiB while the pictures are written: the
    // writes fail as on a full disk.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    PictureFileWriter first;
    const bool freshOpened = first.open(fresh);
    const bool freshWritten = freshOpened && first.commit(picture);
    const sys::DWORD freshError = sys::GetLastError();
    PictureFileWriter second;
    const bool existingWritten = second.open(existing) && second.commit(picture);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(freshOpened);
    EXPECT_FALSE(freshWritten);
    EXPECT_EQ(freshError, sys::ERROR_DISK_FULL);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_FALSE(existingWritten);
    EXPECT_EQ(test::readTextFile(existing), "the user's picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file is left";
}

}  // namespace
}  // namespace qm::device::imaging
