// qmcam sessions against the simulated camera: the tool's core in-process
// with the Kestrom module loaded by path, and the real qmcam and camsim
// programs side by side.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "apps/qmcam/qmcam.h"
#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "simulators/stillcam/still_camera.h"
#include "tests/apps/qmcam/child_process.h"
#include "tests/support/windows_dir.h"

namespace qm::qmcam {
namespace {

struct PngSize {
    unsigned width = 0;
    unsigned height = 0;
};

std::optional<PngSize> pngSize(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return std::nullopt;
    return PngSize{image.width, image.height};
}

// A private W whose COM ports lead nowhere, with the link's waits shortened.
class QmcamWorld {
public:
    QmcamWorld() : linkTime_("QM4200_LINK_TIME_PERCENT", std::string("1")), usb_("QM4200_USB", socketPath())
    {
        std::filesystem::create_directories(windows.path() + "/dosdevices");
        for (int port = 1; port <= 4; ++port)
            std::filesystem::create_symlink("/nonexistent/serial-port",
                                            windows.path() + "/dosdevices/com" + std::to_string(port));
    }
    std::string socketPath() const { return windows.path() + "/usb-cable"; }
    std::string file(const std::string& name) const { return windows.path() + "/" + name; }

    qm::test::WindowsDir windows;

private:
    qm::test::ScopedEnv linkTime_;
    qm::test::ScopedEnv usb_;
};

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class QmcamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stillcam::StillCameraConfig config;
        config.pictureCount = 6;
        camera = stillcam::StillCamera::create(config);
        ASSERT_NE(camera, nullptr);
        ASSERT_TRUE(camera->attachUsb(world.socketPath()));
    }

    Outcome run(std::vector<std::string> arguments) const
    {
        Outcome result;
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        result.code = runQmcam(arguments, out, err);
        result.out = contents(out);
        result.err = contents(err);
        return result;
    }

    static std::string contents(std::FILE* file)
    {
        std::string text;
        std::rewind(file);
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
        return text;
    }

    QmcamWorld world;
    std::unique_ptr<stillcam::StillCamera> camera;
};

TEST_F(QmcamTest, ListsEveryPictureWithItsSizeAndResolution)
{
    const Outcome list = run({"list"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("6 pictures"), std::string::npos) << list.out;
    for (const stillcam::PictureSummary& picture : camera->pictures()) {
        char line[64];
        std::snprintf(line, sizeof line, "%6u  %10u  640 x 480", picture.number, picture.size);
        EXPECT_NE(list.out.find(line), std::string::npos) << line << "\n" << list.out;
    }
    EXPECT_NE(list.err.find("connect ["), std::string::npos) << "a progress bar while connecting";
}

TEST_F(QmcamTest, WritesThumbnailsAndContactSheets)
{
    const std::string directory = world.file("thumbs");
    const Outcome thumbs = run({"thumbs", directory});
    ASSERT_EQ(thumbs.code, 0) << thumbs.err;
    for (int n = 1; n <= 6; ++n) {
        const std::optional<PngSize> size = pngSize(directory + "/thumb000" + std::to_string(n) + ".png");
        ASSERT_TRUE(size) << n;
        EXPECT_EQ(size->width, 80u);
        EXPECT_EQ(size->height, 60u);
    }
    const std::optional<PngSize> sheet = pngSize(directory + "/contact0001.png");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->width, 4u * 80 + 5 * 4);
    EXPECT_EQ(sheet->height, 3u * 60 + 4 * 4);
    EXPECT_FALSE(std::filesystem::exists(directory + "/contact0002.png"));
}

TEST_F(QmcamTest, DownloadsPicturesAsBitmapsAndAsTheCameraStoresThem)
{
    const Outcome png = run({"get", "2", "--rotate", "90", "-o", world.file("two.png")});
    ASSERT_EQ(png.code, 0) << png.err;
    const std::optional<PngSize> size = pngSize(world.file("two.png"));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 480u);
    EXPECT_EQ(size->height, 640u);

    const Outcome bmp = run({"get", "1", "-o", world.file("one.bmp")});
    ASSERT_EQ(bmp.code, 0) << bmp.err;
    const auto file = sys::readWholeFile(world.file("one.bmp"));
    ASSERT_TRUE(file);
    ASSERT_GE(file->size(), 54u);
    EXPECT_EQ(sys::readLe32(file->data() + 18), 640u);
    EXPECT_EQ(sys::readLe32(file->data() + 22), 480u);
    EXPECT_EQ(file->size(), 54u + 640 * 480 * 3);

    const Outcome save = run({"save", "3", world.file("three.jpg")});
    ASSERT_EQ(save.code, 0) << save.err;
    EXPECT_EQ(sys::readWholeFile(world.file("three.jpg")), camera->pictureData(3));
}

TEST_F(QmcamTest, ShowsAndChangesTheCamera)
{
    const Outcome info = run({"info"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Model code:        16"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Connection:        USB"), std::string::npos) << info.out;

    const Outcome settings = run({"settings"});
    ASSERT_EQ(settings.code, 0) << settings.err;
    EXPECT_NE(settings.out.find("Flash Mode"), std::string::npos) << settings.out;
    ASSERT_EQ(run({"settings", "flash=auto", "autooff=9"}).code, 0);
    EXPECT_EQ(camera->settings().flashMode, 0);
    EXPECT_EQ(camera->settings().autoOffMinutes, 9);
    EXPECT_EQ(run({"settings", "flash=sometimes"}).code, 2);

    ASSERT_EQ(run({"erase", "1"}).code, 0);
    EXPECT_EQ(camera->pictureCount(), 5u);
    ASSERT_EQ(run({"capture"}).code, 0);
    EXPECT_EQ(camera->pictureCount(), 6u);
}

// One line on standard error that names the cause, and no usage text.
void expectOneLine(const Outcome& outcome, const std::string& cause)
{
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_NE(outcome.err.find(cause), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("usage:"), std::string::npos) << outcome.err;
}

TEST_F(QmcamTest, ExplainsWhatWentWrong)
{
    const Outcome usage = run({"frobnicate"});
    EXPECT_EQ(usage.code, 2);
    expectOneLine(usage, "unknown command or wrong arguments: frobnicate");
    const Outcome option = run({"--verbose", "list"});
    EXPECT_EQ(option.code, 2);
    expectOneLine(option, "unknown option --verbose");
    EXPECT_NE(run({}).err.find("usage: qmcam"), std::string::npos) << "nothing asked: the usage";
    const Outcome help = run({"--help"});
    for (const char* status : {"  0  done", "  1  the camera", "  2  the command line", "  3  no device module"})
        EXPECT_NE(help.out.find(status), std::string::npos) << status;

    const Outcome missing = run({"--module", world.file("nothing.DLL"), "list"});
    EXPECT_EQ(missing.code, 3);
    expectOneLine(missing, "cannot load the device module " + world.file("nothing.DLL") +
                               " (from --module): cannot open shared object file");
    // Without the option, $WINDIR's module is taken.
    std::filesystem::remove(world.windows.devicePath());
    expectOneLine(run({"list"}), world.windows.devicePath() + " (from $WINDIR)");

    const Outcome range = run({"--module", qm::test::builtDevice(), "get", "9", "-o", world.file("x.bmp")});
    EXPECT_EQ(range.code, 1);
    EXPECT_NE(range.err.find("picture 9 does not exist"), std::string::npos) << range.err;

    camera->unplug();
    const Outcome gone = run({"--module", qm::test::builtDevice(), "list"});
    EXPECT_EQ(gone.code, 3);
    EXPECT_NE(gone.err.find("no camera found"), std::string::npos) << gone.err;
}

TEST_F(QmcamTest, MakesTheDirectoriesOutputGoesInto)
{
    const std::string nested = world.file("new/deeper/one.png");
    const Outcome get = run({"get", "1", "-o", nested});
    ASSERT_EQ(get.code, 0) << get.err;
    EXPECT_TRUE(pngSize(nested));
    const Outcome save = run({"save", "2", world.file("saved/two.jpg")});
    ASSERT_EQ(save.code, 0) << save.err;
    EXPECT_TRUE(std::filesystem::exists(world.file("saved/two.jpg")));

    qm::test::writeTextFile(world.file("plain"), "a file, not a directory");
    const Outcome blocked = run({"get", "1", "-o", world.file("plain/one.png")});
    EXPECT_EQ(blocked.code, 1);
    expectOneLine(blocked, "cannot create the directory " + world.file("plain"));
}

// The programs themselves: camsim serves a camera on the cable, qmcam lists,
// fetches thumbnails and downloads pictures from it.
TEST(QmcamWithCamsim, ListsFetchesThumbnailsAndDownloads)
{
    QmcamWorld world;
    test::RunningProcess camsim(qm::test::builtTool("camsim"), {"--socket", world.socketPath(), "--count", "3", "--pacing", "off"});
    ASSERT_TRUE(camsim.started());
    // camsim names the cable once the camera is on it.
    bool ready = false;
    while (std::optional<std::string> line = camsim.readLine())
        if ((ready = line->find("QM4200_USB=") != std::string::npos))
            break;
    ASSERT_TRUE(ready);

    const std::string qmcam = qm::test::builtTool("qmcam");
    const test::Finished list = test::runToEnd(qmcam, {"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("3 pictures"), std::string::npos) << list.out;

    const test::Finished thumbs = test::runToEnd(qmcam, {"thumbs", world.file("thumbs")});
    ASSERT_EQ(thumbs.exitCode, 0) << thumbs.err;
    EXPECT_TRUE(pngSize(world.file("thumbs/thumb0003.png")));

    const test::Finished get = test::runToEnd(qmcam, {"get", "3", "-o", world.file("three.png")});
    ASSERT_EQ(get.exitCode, 0) << get.err;
    const std::optional<PngSize> size = pngSize(world.file("three.png"));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 640u);
    EXPECT_EQ(camsim.stop(), 0);
}

}  // namespace
}  // namespace qm::qmcam
