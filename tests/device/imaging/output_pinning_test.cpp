// The outputs of the upload encoder and of picture-to-bitmap, pinned to the
// bytes they had before the conversions were made fast.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

#include "device/imaging/dib.h"
#include "device/imaging/jpeg/upload_jpeg.h"
#include "device/imaging/model_rules.h"
#include "device/imaging/picture_bitmap.h"
#include "device/imaging/simd/code_path.h"
#include "tests/device/imaging/pinned_pictures.h"
#include "tests/support/windows_dir.h"

namespace qm::device::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PinnedJpeg {
    std::size_t size = 0;  // 0: refused
    std::uint64_t digest = 0;
};

const std::map<std::string, PinnedJpeg>& pinnedJpegs()
{
    static const std::map<std::string, PinnedJpeg> pinned = {
        {"scene", {39366, 0x659f73ef07a7a8f5ull}},
        {"black", {16244, 0x9609bcfa3fea0f00ull}},
        {"white", {16244, 0xae8b80b9ff9e20d1ull}},
        {"grey", {16242, 0x00dcd534d9797b16ull}},
        {"flat colour", {16246, 0x4c8a735e55156214ull}},
        {"noise 7", {375276, 0xf870fea9bf5ae4dbull}},
        {"noise 1234", {374939, 0x115a4f8464ae786eull}},
        {"colour bars", {18523, 0x42c00659c229abe4ull}},
        {"checkerboard", {185443, 0xb5398848611c5692ull}},
        {"stripes", {91843, 0xca39f6bf8bfba900ull}},
        {"every r g g", {120967, 0x6c1c27940f5bf005ull}},
    };
    return pinned;
}

PinnedJpeg encodePinned(const testing::RgbPicture& picture)
{
    const Bytes dib = testing::toDib(picture);
    Bytes out(dib.size());
    const std::optional<std::size_t> size = encodeUploadJpeg(dib, out);
    if (!size)
        return {};
    return {*size, testing::digest(std::span(out).first(*size))};
}

TEST(OutputPinning, UploadJpegsAreTheBytesTheyAlwaysWere)
{
    const std::vector<testing::NamedPicture> pictures = testing::encoderPictures();
    for (CodePath path : testing::codePathsToTest()) {
        ScopedCodePath scoped(path);
        for (const testing::NamedPicture& named : pictures) {
            const PinnedJpeg actual = encodePinned(named.picture);
            const auto expected = pinnedJpegs().find(named.name);
            ASSERT_NE(expected, pinnedJpegs().end()) << named.name;
            EXPECT_EQ(actual.size, expected->second.size) << named.name << " on " << codePathName(path);
            EXPECT_EQ(actual.digest, expected->second.digest)
                << named.name << " on " << codePathName(path) << ": 0x" << std::hex << actual.digest;
        }
    }
}

// Every model, resolution codes 0 and 1 and rotation codes 0 to 3, one
// digest over all eight bitmaps of a picture and model.
std::uint64_t bitmapsDigest(const testing::NamedJpeg& jpeg, std::uint8_t model)
{
    std::uint64_t chained = 0;
    for (std::uint8_t resolution : {0, 1}) {
        PictureInfo info;
        info.bytes[PictureInfo::kResolutionCode] = resolution;
        for (std::uint8_t rotation : {0, 1, 2, 3}) {
            std::size_t width = std::size_t(jpeg.width), height = std::size_t(jpeg.height);
            if (resizesToXga(model, resolution))
                width = 1024, height = 768;
            if (rotation % 2 == 1)
                std::swap(width, height);
            Bytes buffer(dibSize(width, height), 0xCD);
            buffer[0] = rotation;
            const bool converted = pictureToBitmap(jpeg.jpeg, model, info, buffer);
            const std::uint64_t one = converted ? testing::digest(buffer) : 0;
            chained = (chained ^ one) * 0x100000001b3ull;
        }
    }
    return chained;
}

const std::map<std::string, std::uint64_t>& pinnedBitmaps()
{
    static const std::map<std::string, std::uint64_t> pinned = {
        {"vga scene/16", 0xa8806efa2af2beb8ull},
        {"vga scene/17", 0x92b5d72463c26040ull},
        {"vga scene/18", 0x412011a882c50178ull},
        {"vga scene/20", 0x92b5d72463c26040ull},
        {"vga scene/22", 0x92b5d72463c26040ull},
        {"vga scene/32", 0x043067fea26926e0ull},
        {"odd stripes/16", 0x3da842eaf1b64450ull},
        {"odd stripes/17", 0xb92119ce0dba1720ull},
        {"odd stripes/18", 0x7bfec6ce7d283754ull},
        {"odd stripes/20", 0xb92119ce0dba1720ull},
        {"odd stripes/22", 0xb92119ce0dba1720ull},
        {"odd stripes/32", 0x37ddb6ccabfbc914ull},
        {"grey scene/16", 0x0d8abaaa35c1c850ull},
        {"grey scene/17", 0x2b1157eda1357590ull},
        {"grey scene/18", 0xd84069d716dec724ull},
        {"grey scene/20", 0x2b1157eda1357590ull},
        {"grey scene/22", 0x2b1157eda1357590ull},
        {"grey scene/32", 0x1267b300621ffebcull},
        {"dpi noise/16", 0xe23e444b39240a00ull},
        {"dpi noise/17", 0xa839fd11733308d0ull},
        {"dpi noise/18", 0x5940807c929556e4ull},
        {"dpi noise/20", 0xa839fd11733308d0ull},
        {"dpi noise/22", 0xa839fd11733308d0ull},
        {"dpi noise/32", 0xea57be9b8be1efbcull},
        {"dpcm scene/16", 0xd952f063762fa108ull},
        {"dpcm scene/17", 0x757dfccd934a68a0ull},
        {"dpcm scene/18", 0x5ca59fe047584a74ull},
        {"dpcm scene/20", 0x757dfccd934a68a0ull},
        {"dpcm scene/22", 0x757dfccd934a68a0ull},
        {"dpcm scene/32", 0x65482910ff128c00ull},
    };
    return pinned;
}

TEST(OutputPinning, EveryModelsBitmapsAreThePixelsTheyAlwaysWere)
{
    test::WindowsDir windows;  // the default sharpening factor
    const std::vector<testing::NamedJpeg> jpegs = testing::cameraJpegs();
    for (CodePath path : testing::codePathsToTest()) {
        ScopedCodePath scoped(path);
        for (const testing::NamedJpeg& jpeg : jpegs) {
            for (std::uint8_t model : {kModel16, kModel17, kModel18, kModel20, kModel22, kModel32}) {
                const std::string key = jpeg.name + "/" + std::to_string(model);
                const std::uint64_t actual = bitmapsDigest(jpeg, model);
                const auto expected = pinnedBitmaps().find(key);
                ASSERT_NE(expected, pinnedBitmaps().end()) << key;
                EXPECT_EQ(actual, expected->second) << key << " on " << codePathName(path) << ": 0x" << std::hex << actual;
            }
        }
    }
}

}  // namespace
}  // namespace qm::device::imaging
