// acquire against the test panel: the binary as a user runs it, and its core
// in-process for the ways a run can go wrong. Every picture written must show
// exactly what the panel served.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "apps/acquire/acquire.h"
#include "platform/system/files.h"
#include "tests/datasource/picture_check.h"
#include "tests/datasource/test_panel/test_panel_control.h"
#include "tests/support/windows_dir.h"

namespace qm::acquire {
namespace {

using qm::test::ServedPicture;

// Picture 1 fills the camera's frame, picture 2 has rows that need padding,
// picture 3 is turned three quarters.
const ServedPicture kServed[] = {{1, 640, 480}, {2, 33, 20}, {3, 30, 20, 3}};

class AcquireRun : public ::testing::Test {
protected:
    AcquireRun()
    {
        windows.install(qm::test::builtTestFile("test_panel/Vantrel.DLL"), windows.panelPath());
        panelSettings("[Pictures]\nCount=3\nSize1=640x480\nSize2=33x20\nSize3=30x20\nRotation3=3\n"
                      "[Behaviour]\nTransferOnShow=1\n");
    }

    void panelSettings(const std::string& ini) const
    {
        qm::test::writeTextFile(windows.installDirectory() + "/" + qm::test::kTestPanelSettingsFile, ini);
    }

    // Runs build/bin/acquire; returns its exit code and output.
    int runBinary(const std::string& arguments, std::string& output) const
    {
        const std::string command = "'" + qm::test::builtTool("acquire") + "' " + arguments + " 2>&1";
        std::FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return -1;
        char chunk[4096];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, got);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int runCore(AcquireOptions options, std::string& output, std::string& errors) const
    {
        std::ostringstream out;
        std::ostringstream err;
        const int code = runAcquire(options, out, err);
        output = out.str();
        errors = err.str();
        return code;
    }

    std::string picture(int number, const char* extension) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "picture-%03d.%s", number, extension);
        return out.file(name);
    }

    qm::test::WindowsDir windows;
    qm::test::TempDir out;
};

::testing::AssertionResult bitmapFileMatches(const std::string& path, const ServedPicture& served)
{
    const auto file = sys::readWholeFile(path);
    if (!file || file->size() < 54 || (*file)[0] != 'B' || (*file)[1] != 'M')
        return ::testing::AssertionFailure() << path << " is no bitmap file";
    if (sys::readLe32(file->data() + 2) != file->size() || sys::readLe32(file->data() + 10) != 54)
        return ::testing::AssertionFailure() << path << " has a wrong file header";
    return qm::test::dibMatches(file->data() + 14, file->size() - 14, served);
}

::testing::AssertionResult pngFileMatches(const std::string& path, const ServedPicture& served)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return ::testing::AssertionFailure() << path << ": " << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return ::testing::AssertionFailure() << path << ": " << image.message;
    if (int(image.width) != served.deliveredWidth() || int(image.height) != served.deliveredHeight())
        return ::testing::AssertionFailure() << path << " is " << image.width << " x " << image.height;
    return qm::test::rgbRowsMatch(pixels.data(), std::size_t(image.width) * 3, 0, int(image.height), served);
}

TEST_F(AcquireRun, EveryMechanismWritesThePanelsPicturesPixelForPixel)
{
    for (const char* mechanism : {"native", "memory", "file"}) {
        SCOPED_TRACE(mechanism);
        std::filesystem::remove_all(out.path());
        std::string output;
        ASSERT_EQ(runBinary(std::string("--mech ") + mechanism + " --timeout 60 --out '" + out.path() + "'", output), 0)
            << output;
        EXPECT_NE(output.find("Corvel Camera 640X480 driver (Quillon, Digital Still Camera Product), version 1.0 "
                              "EXTENDED TWAIN QMTWAIN, protocol 1.5"),
                  std::string::npos)
            << output;
        EXPECT_NE(output.find("3 pictures written"), std::string::npos) << output;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(bitmapFileMatches(picture(i + 1, "bmp"), kServed[i]));
            EXPECT_TRUE(pngFileMatches(picture(i + 1, "png"), kServed[i]));
        }
        if (std::string(mechanism) == "memory") {
            // The camera-sized picture in the preferred strip size.
            EXPECT_NE(output.find("Picture 1: memory transfer, 640 x 480 in 4 strips"), std::string::npos) << output;
        }
    }
}

TEST_F(AcquireRun, AWindowScriptDrivesThePanelUnattended)
{
    panelSettings("[Pictures]\nCount=2\nSize=16x12\n");
    const std::string script = out.file("press-transfer.script");
    qm::test::writeTextFile(script, "wait-window \"Test panel\"\nclick \"Test panel\" 1001\n");
    const std::string pictures = out.file("pictures");
    std::string output;
    ASSERT_EQ(runBinary("--mech memory --timeout 60 --ui-script '" + script + "' --out '" + pictures + "'", output), 0)
        << output;
    EXPECT_NE(output.find("2 pictures written"), std::string::npos) << output;
    EXPECT_TRUE(std::filesystem::exists(pictures + "/picture-002.bmp"));
}

TEST_F(AcquireRun, ListsTheSourcesOnly)
{
    std::string output;
    std::string errors;
    AcquireOptions options;
    options.listOnly = true;
    options.outDirectory = out.file("never");
    EXPECT_EQ(runCore(options, output, errors), 0) << errors;
    EXPECT_NE(output.find("Corvel Camera 640X480 driver"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(options.outDirectory));
}

TEST_F(AcquireRun, LeavingThePanelEndsTheRunWithoutPictures)
{
    panelSettings("[Behaviour]\nQuitOnShow=1\n");
    std::string output;
    std::string errors;
    AcquireOptions options;
    options.outDirectory = out.path();
    options.timeoutSeconds = 60;
    EXPECT_EQ(runCore(options, output, errors), 0) << errors;
    EXPECT_NE(output.find("The source asks to be closed"), std::string::npos);
    EXPECT_NE(output.find("0 pictures written"), std::string::npos);
}

TEST_F(AcquireRun, AFailedPictureIsReportedAndTheRestStillArrive)
{
    panelSettings("[Pictures]\nCount=3\nSize=12x9\n[Behaviour]\nTransferOnShow=1\nFailGetImage=2\n");
    std::string output;
    std::string errors;
    AcquireOptions options;
    options.mechanism = twain::TWSX_MEMORY;
    options.outDirectory = out.path();
    options.timeoutSeconds = 60;
    EXPECT_EQ(runCore(options, output, errors), 1);
    EXPECT_NE(errors.find("picture 2: memory transfer failed after 0 strips: operation error (5)"), std::string::npos)
        << errors;
    EXPECT_TRUE(bitmapFileMatches(picture(1, "bmp"), ServedPicture{1, 12, 9}));
    EXPECT_TRUE(bitmapFileMatches(picture(3, "bmp"), ServedPicture{3, 12, 9}));
    EXPECT_FALSE(std::filesystem::exists(picture(2, "bmp")));
}

TEST_F(AcquireRun, ClearErrorsWhenNothingCanBeOpened)
{
    AcquireOptions options;
    options.outDirectory = out.path();
    std::string output;
    std::string errors;

    options.sourceName = "No Such Camera";
    EXPECT_EQ(runCore(options, output, errors), 1);
    EXPECT_NE(errors.find("no source named 'No Such Camera'"), std::string::npos) << errors;

    options.sourceName.clear();
    std::filesystem::remove(windows.panelPath());
    EXPECT_EQ(runCore(options, output, errors), 1);
    EXPECT_NE(errors.find("the source cannot show its panel: low memory (2)"), std::string::npos) << errors;

    std::filesystem::remove(windows.dataSourcePath());
    EXPECT_EQ(runCore(options, output, errors), 1);
    EXPECT_NE(output.find("No sources installed"), std::string::npos) << output;
    EXPECT_NE(errors.find("no source installed"), std::string::npos) << errors;
}

TEST_F(AcquireRun, GivesUpWhenThePanelNeverTransfers)
{
    panelSettings("");
    AcquireOptions options;
    options.outDirectory = out.path();
    options.timeoutSeconds = 1;
    std::string output;
    std::string errors;
    EXPECT_EQ(runCore(options, output, errors), 1);
    EXPECT_NE(errors.find("no word from the source for 1 seconds"), std::string::npos) << errors;
}

}  // namespace
}  // namespace qm::acquire
