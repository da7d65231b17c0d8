// Saves that cannot complete: a folder that cannot be written, a disk that
// fills up, a camera that goes away. Files already written stay as they are
// and no part of a picture is left under a file's name.
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "tests/panel/save/save_fixture.h"

namespace qm::panel::test {
namespace {

using Names = std::vector<std::string>;

// A folder the test thread cannot write to: no write permission, and, for
// root, without the capabilities that pass over permissions (for this
// thread only, which runs the panel and the device module).
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& folder) : folder_(folder)
    {
        ::chmod(folder_.c_str(), 0555);
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        dropped_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~UnwritableFolder()
    {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
        ::chmod(folder_.c_str(), 0755);
    }
    // Whether writing really fails here, for this thread.
    bool effective() const { return ::faccessat(AT_FDCWD, folder_.c_str(), W_OK, AT_EACCESS) != 0; }

private:
    std::string folder_;
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

// No file may grow beyond `bytes` while it lives: writes fail as on a full
// disk (the signal such writes raise is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }

private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
};

class SaveFailures : public SaveTest {};

TEST_F(SaveFailures, AnUnwritableFolderSaysSoAndStops)
{
    startWith(3);
    select({1, 2});
    {
        UnwritableFolder locked(photos.path());
        ASSERT_TRUE(locked.effective());
        answerFolderDialog(photos.path());
        automation::answerNextMessageBox(ui::IDOK);
        pressSave();
    }
    EXPECT_EQ(messages(),
              Names{"Save " + photos.file("IMG_0001.jpg") + " is Failed!\nThe folder cannot be written to."})
        << "one message, and no summary since nothing was written";
    EXPECT_TRUE(filesIn(photos.path()).empty());
    EXPECT_EQ(saveSetting("File Number"), "2") << "the first number was used up";
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_EQ(panelState().camera.connected, 1) << "the camera is fine";
}

TEST_F(SaveFailures, AFullDiskStopsAndLeavesTheFilesAlreadySaved)
{
    stillcam::StillCameraConfig config;
    config.pictureCount = 0;
    start(config, Attachment::Usb, false);
    const std::vector<std::uint8_t> small = smallJpeg(16, 16, 1);
    const std::vector<std::uint8_t> large = smallJpeg(640, 480, 2);
    constexpr rlim_t kRoom = 8192;
    ASSERT_LT(small.size(), kRoom);
    ASSERT_GT(large.size(), kRoom);
    ASSERT_TRUE(camera().addPicture(small));
    ASSERT_TRUE(camera().addPicture(large));
    ASSERT_TRUE(camera().addPicture(large));
    browser().ShowWindow(ui::SW_SHOW);
    browser().ConnectAndLoad();
    pump();
    qm::test::writeTextFile(photos.file("IMG_0002.jpg"), "the user's picture");

    select({1, 2, 3});
    answerFolderDialog(photos.path());
    answerOverwrite(IDC_OVERWRITE_YES);
    automation::answerNextMessageBox(ui::IDOK);
    automation::answerNextMessageBox(ui::IDOK);
    {
        FileSizeLimit diskFull(kRoom);
        pressSave();
    }
    EXPECT_EQ(messages(), (Names{"Save " + photos.file("IMG_0002.jpg") + " is Failed!\nThe disk is full.",
                                 "Save 3 image(s) :\n\n1 file(s) success.\n2 file(s) failed."}));
    EXPECT_EQ(filesIn(photos.path()), (Names{"IMG_0001.jpg", "IMG_0002.jpg"})) << "no part of a picture is left";
    EXPECT_EQ(fileBytes(photos.file("IMG_0001.jpg")), small);
    EXPECT_EQ(qm::test::readTextFile(photos.file("IMG_0002.jpg")), "the user's picture");
    EXPECT_EQ(saveSetting("File Number"), "3");
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
}

TEST_F(SaveFailures, ALostCameraEndsTheSaveWithTheConnectionMessage)
{
    startWith(3);
    select({1, 2, 3});
    answerFolderDialog(photos.path());
    automation::answerNextMessageBox(ui::IDOK);
    // The second picture's information is never answered: the camera is
    // unplugged then.
    ASSERT_TRUE(camera().injectFaults("unplug cmd=picture-info skip=1"));
    pressSave();

    EXPECT_EQ(messages(), Names{"Connection failed.\nPlease check that\n1) The camera is on, and\n2) The serial data "
                                "cable is connected between PC and camera."});
    EXPECT_EQ(filesIn(photos.path()), Names{"IMG_0001.jpg"});
    EXPECT_EQ(fileBytes(photos.file("IMG_0001.jpg")), camera().pictureData(1));
    EXPECT_EQ(saveSetting("File Number"), "1") << "as the save began";
    EXPECT_EQ(panelState().camera.connected, 0);
    EXPECT_EQ(browser().currentOperation(), kOperationIdle);
    EXPECT_FALSE(browser().progressBar().visible());
}

}  // namespace
}  // namespace qm::panel::test
