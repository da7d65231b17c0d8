// The resource compiler's bitmap directory: a script in the source tree
// names bitmaps that are drawn into the build tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"
#include "platform/ui/rc/compiler.h"
#include "tests/support/temp_dir.h"

namespace qm::panel::test {
namespace {

// A BMP file of one pixel; `width` tells the copies apart.
std::vector<std::uint8_t> tinyBmp(int width)
{
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    std::vector<std::uint8_t> b(54 + stride, 0);
    b[0] = 'B';
    b[1] = 'M';
    sys::writeLe32(&b[2], std::uint32_t(b.size()));
    sys::writeLe32(&b[10], 54);
    sys::writeLe32(&b[14], 40);
    sys::writeLe32(&b[18], std::uint32_t(width));
    sys::writeLe32(&b[22], 1);
    sys::writeLe16(&b[26], 1);
    sys::writeLe16(&b[28], 24);
    return b;
}

class BitmapDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(scripts() + "/art");
        std::filesystem::create_directories(drawn() + "/art");
    }
    std::string scripts() const { return dir.file("source"); }
    std::string drawn() const { return dir.file("build"); }
    void put(const std::string& path, int width) { ASSERT_TRUE(sys::writeFileAtomically(path, tinyBmp(width))); }
    bool compile(const std::string& script, std::vector<std::string> bitmapDirectories)
    {
        out = {};
        error.clear();
        return ui::rc::compileSource(script, scripts(), out, error, bitmapDirectories);
    }
    bool dependsOn(const std::string& path) const
    {
        return std::find(out.dependencies.begin(), out.dependencies.end(), path) != out.dependencies.end();
    }

    qm::test::TempDir dir;
    ui::rc::Compiled out;
    std::string error;
};

TEST_F(BitmapDirectory, FindsABitmapThatIsNotBesideTheScript)
{
    put(drawn() + "/art/face.bmp", 2);
    const std::string script = "7 BITMAP \"art/face.bmp\"\n";
    EXPECT_FALSE(compile(script, {}));
    EXPECT_NE(error.find("art/face.bmp"), std::string::npos) << error;
    ASSERT_TRUE(compile(script, {drawn()})) << error;
    EXPECT_TRUE(dependsOn(drawn() + "/art/face.bmp"));
}

TEST_F(BitmapDirectory, ABitmapBesideTheScriptComesFirst)
{
    put(scripts() + "/art/face.bmp", 1);
    put(drawn() + "/art/face.bmp", 2);
    ASSERT_TRUE(compile("7 BITMAP \"art/face.bmp\"\n", {drawn()})) << error;
    EXPECT_TRUE(dependsOn(scripts() + "/art/face.bmp"));
    EXPECT_FALSE(dependsOn(drawn() + "/art/face.bmp"));
}

TEST_F(BitmapDirectory, DirectoriesAreSearchedInOrderAndAbsoluteNamesStand)
{
    const std::string other = dir.file("other");
    std::filesystem::create_directories(other + "/art");
    put(other + "/art/face.bmp", 3);
    put(drawn() + "/art/face.bmp", 2);
    ASSERT_TRUE(compile("7 BITMAP \"art/face.bmp\"\n", {other, drawn()})) << error;
    EXPECT_TRUE(dependsOn(other + "/art/face.bmp"));

    const std::string absolute = drawn() + "/art/face.bmp";
    ASSERT_TRUE(compile("7 BITMAP \"" + absolute + "\"\n", {other})) << error;
    EXPECT_TRUE(dependsOn(absolute));
}

TEST_F(BitmapDirectory, ADamagedBitmapInTheDirectoryIsReported)
{
    ASSERT_TRUE(sys::writeFileAtomically(drawn() + "/art/face.bmp", std::string("BM not really")));
    EXPECT_FALSE(compile("7 BITMAP \"art/face.bmp\"\n", {drawn()}));
    EXPECT_NE(error.find(drawn() + "/art/face.bmp"), std::string::npos) << error;
}

}  // namespace
}  // namespace qm::panel::test
