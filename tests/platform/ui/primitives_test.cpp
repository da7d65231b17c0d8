// The building blocks under the window system: regions, the bitmap reader,
// compiled dialog templates, text decoding and file-dialog listings.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/system/byte_order.h"
#include "platform/ui/commdlg/file_listing.h"
#include "platform/ui/core/region.h"
#include "platform/ui/font/font_engine.h"
#include "platform/ui/gdi/bmp_codec.h"
#include "platform/ui/resource/dialog_template.h"
#include "tests/support/temp_dir.h"

namespace qm::ui::detail {
namespace {

long area(const Region& r)
{
    long total = 0;
    for (const RECT& x : r.rects())
        total += long(x.right - x.left) * (x.bottom - x.top);
    return total;
}

TEST(Region, KeepsItsRectanglesDisjoint)
{
    Region r(RECT{0, 0, 10, 10});
    r.add({5, 5, 15, 15});
    EXPECT_EQ(area(r), 175);  // 100 + 100 - 25 overlap
    EXPECT_EQ(r.bounds(), (RECT{0, 0, 15, 15}));
    r.subtract({0, 0, 15, 5});
    EXPECT_EQ(area(r), 175 - 50);
    EXPECT_TRUE(r.contains({12, 12}));
    EXPECT_FALSE(r.contains({2, 2}));
    r.intersectWith(RECT{0, 0, 6, 100});
    EXPECT_EQ(r.bounds(), (RECT{0, 5, 6, 15}));
    r.offsetBy(10, 0);
    EXPECT_TRUE(r.contains({12, 6}));
    r.add({0, 0, 0, 5});  // empty rectangles add nothing
    EXPECT_FALSE(r.contains({0, 0}));
}

TEST(Region, ManySmallPiecesCollapseIntoTheirBounds)
{
    Region r;
    for (int i = 0; i < 40; ++i)
        r.add({i * 3, 0, i * 3 + 1, 1});
    EXPECT_LE(r.rects().size(), 32u);
    EXPECT_TRUE(r.contains({0, 0}));
    EXPECT_TRUE(r.contains({117, 0}));
}

std::vector<std::uint8_t> bmp(int width, int height, int bits, std::uint32_t paletteCount = 0)
{
    const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
    const std::size_t palette = (bits <= 8 ? (paletteCount ? paletteCount : 1u << bits) : 0) * 4;
    std::vector<std::uint8_t> b(14 + 40 + palette + stride * std::size_t(height < 0 ? -height : height), 0);
    b[0] = 'B';
    b[1] = 'M';
    qm::sys::writeLe32(b.data() + 2, std::uint32_t(b.size()));
    qm::sys::writeLe32(b.data() + 10, std::uint32_t(14 + 40 + palette));
    qm::sys::writeLe32(b.data() + 14, 40);
    qm::sys::writeLe32(b.data() + 18, std::uint32_t(width));
    qm::sys::writeLe32(b.data() + 22, std::uint32_t(height));
    qm::sys::writeLe16(b.data() + 26, 1);
    qm::sys::writeLe16(b.data() + 28, std::uint16_t(bits));
    qm::sys::writeLe32(b.data() + 46, paletteCount);
    return b;
}

TEST(BitmapReader, ReadsTopDownAndPaletteFormats)
{
    auto file = bmp(2, -2, 24);  // top-down
    file[54 + 2] = 255;          // first row, first pixel red
    auto s = decodeBmpFile(file.data(), file.size());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(s->pixel(0, 1), RGB(0, 0, 0));

    auto mono = bmp(9, 1, 1);
    mono[54 + 4 + 2] = 255;  // palette entry 1 is red
    mono[54 + 8] = 0x80;      // leftmost pixel uses entry 1
    mono[54 + 9] = 0x80;      // the ninth too
    auto m = decodeBmpFile(mono.data(), mono.size());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(m->pixel(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(m->pixel(8, 0), RGB(255, 0, 0));
}

TEST(BitmapReader, RefusesWhatItsHeaderCannotBacK)
{
    std::string why;
    auto good = bmp(4, 4, 24);
    EXPECT_TRUE(decodeBmpFile(good.data(), good.size()));
    auto cut = good;
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(decodeBmpFile(cut.data(), cut.size(), &why));
    EXPECT_EQ(why, "pixel data cut short");
    auto huge = bmp(4, 4, 24);
    qm::sys::writeLe32(huge.data() + 18, 1u << 30);
    EXPECT_FALSE(decodeBmpFile(huge.data(), huge.size(), &why));
    auto compressed = bmp(4, 4, 8);
    qm::sys::writeLe32(compressed.data() + 30, 1);  // RLE
    EXPECT_FALSE(decodeBmpFile(compressed.data(), compressed.size(), &why));
    auto palette = bmp(4, 4, 4, 17);  // more colours than 4 bits address
    EXPECT_FALSE(decodeBmpFile(palette.data(), palette.size(), &why));
    auto offset = bmp(4, 4, 24);
    qm::sys::writeLe32(offset.data() + 10, 20);  // bits inside the header
    EXPECT_FALSE(decodeBmpFile(offset.data(), offset.size(), &why));
    EXPECT_FALSE(decodeBmpFile(good.data(), 10, &why));
    const std::uint8_t notBmp[60] = {'P', 'K'};
    EXPECT_FALSE(decodeBmpFile(notBmp, sizeof notBmp, &why));
}

TEST(DialogTemplateFormat, RoundTripsAndRefusesTruncation)
{
    DialogTemplate t;
    t.style = 0x80C80080;
    t.cx = 283;
    t.cy = -5;
    t.caption = "Save Photos";
    t.items.push_back({0x50010000, 0x200, 1, 2, 3, 4, -1, "Edit", "IMG"});
    t.items.push_back({0, 0, 0, 0, 0, 0, 33000, "Button", "&A"});
    const auto bytes = serializeDialogTemplate(t);
    auto back = parseDialogTemplate(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->style, t.style);
    EXPECT_EQ(back->cy, -5);
    EXPECT_EQ(back->caption, "Save Photos");
    ASSERT_EQ(back->items.size(), 2u);
    EXPECT_EQ(back->items[0].id, -1);
    EXPECT_EQ(back->items[0].exStyle, 0x200u);
    EXPECT_EQ(back->items[1].text, "&A");
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_FALSE(parseDialogTemplate(bytes.data(), n)) << n;
}

TEST(TextDecoding, TakesUtf8AndFallsBackToSingleBytes)
{
    const std::string utf8 = "a\xC3\xA9z";  // a, e acute, z
    EXPECT_EQ(decodeText(utf8.data(), utf8.size()), (std::vector<std::uint32_t>{'a', 0xE9, 'z'}));
    const std::string latin1 = "a\xE9z";  // a lone lead byte
    EXPECT_EQ(decodeText(latin1.data(), latin1.size()), (std::vector<std::uint32_t>{'a', 0xE9, 'z'}));
    const std::string cut = "\xE2\x82";  // a sequence cut short
    EXPECT_EQ(decodeText(cut.data(), cut.size()).size(), 2u);
    EXPECT_TRUE(decodeText(nullptr, 4).empty());
}

TEST(FontMapping, FamiliesAndWeightsPickDejaVuFaces)
{
    LOGFONT lf;
    lf.lfPitchAndFamily = FF_SWISS;
    lf.lfWeight = 450;
    EXPECT_NE(faceFileFor(lf).find("/DejaVuSans.ttf"), std::string::npos);
    lf.lfWeight = FW_BOLD;
    EXPECT_NE(faceFileFor(lf).find("/DejaVuSans-Bold.ttf"), std::string::npos);
    std::strcpy(lf.lfFaceName, "Times New Roman");
    EXPECT_NE(faceFileFor(lf).find("/DejaVuSerif-Bold.ttf"), std::string::npos);
    std::strcpy(lf.lfFaceName, "");
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = 1;
    EXPECT_NE(faceFileFor(lf).find("/DejaVuSansMono-Oblique.ttf"), std::string::npos);
}

TEST(FileListing, FiltersSortsAndPutsFoldersFirst)
{
    const char filter[] = "JPEG\0*.jpg;*.jpeg\0All\0*.*\0\0";
    auto entries = parseFilter(filter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].patterns, (std::vector<std::string>{"*.jpg", "*.jpeg"}));
    EXPECT_TRUE(matchesAny("IMG_0001.JPG", entries[0].patterns));
    EXPECT_FALSE(matchesAny("notes.txt", entries[0].patterns));
    EXPECT_TRUE(matchesAny("notes.txt", entries[1].patterns));
    EXPECT_TRUE(parseFilter(nullptr).empty());

    qm::test::TempDir dir;
    qm::test::writeTextFile(dir.file("b.jpg"), "");
    qm::test::writeTextFile(dir.file("A.jpg"), "");
    qm::test::writeTextFile(dir.file(".hidden.jpg"), "");
    qm::test::writeTextFile(dir.file("c.txt"), "");
    std::filesystem::create_directory(dir.file("zfolder"));
    auto listed = listFolder(dir.path(), entries[0].patterns);
    std::vector<std::string> names;
    for (const auto& e : listed)
        names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "zfolder", "A.jpg", "b.jpg"}));
    EXPECT_EQ(parentOf("/a/b"), "/a");
    EXPECT_EQ(parentOf("/a"), "/");
    EXPECT_EQ(joinName("/a/", "b"), "/a/b");
    EXPECT_EQ(joinName("/a", "/abs"), "/abs");
}

}  // namespace
}  // namespace qm::ui::detail
