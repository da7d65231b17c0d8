#include "tests/device/imaging/pinned_pictures.h"

namespace qm::device::imaging::testing {

namespace {

RgbPicture colourBars(int width, int height)
{
    // Primaries and secondaries at full strength, hard edges, with the lower
    // half at their darkest shade so that blocks straddle both.
    static const std::uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                             {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* bar = kBars[(x * 8 / width + (y >= height / 2 ? 3 : 0)) % 8];
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * width + x) * 3;
            p[0] = bar[0], p[1] = bar[1], p[2] = bar[2];
        }
    return picture;
}

RgbPicture checkerboard(int width, int height)
{
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::fill_n(picture.rgb.begin() + (std::ptrdiff_t(y) * width + x) * 3, 3, ((x + y) & 1) ? 255 : 0);
    return picture;
}

RgbPicture everyRedGreenGreen(int width, int height)
{
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int i = 0; i < width * height; ++i) {
        std::uint8_t* p = picture.rgb.data() + std::size_t(i) * 3;
        p[0] = std::uint8_t(i & 0xFF);
        p[1] = p[2] = std::uint8_t((i >> 8) & 0xFF);
    }
    return picture;
}

}  // namespace

std::vector<CodePath> codePathsToTest()
{
    std::vector<CodePath> paths{CodePath::Scalar};
    if (codePathSupported(CodePath::Avx2))
        paths.push_back(CodePath::Avx2);
    return paths;
}

std::uint64_t digest(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::vector<NamedPicture> encoderPictures()
{
    constexpr int w = 640, h = 480;
    std::vector<NamedPicture> pictures;
    pictures.push_back({"scene", makeScene(w, h)});
    pictures.push_back({"black", uniformPicture(w, h, 0, 0, 0)});
    pictures.push_back({"white", uniformPicture(w, h, 255, 255, 255)});
    pictures.push_back({"grey", uniformPicture(w, h, 128, 128, 128)});
    pictures.push_back({"flat colour", uniformPicture(w, h, 200, 100, 100)});
    pictures.push_back({"noise 7", noisePicture(w, h, 7)});
    pictures.push_back({"noise 1234", noisePicture(w, h, 1234)});
    pictures.push_back({"colour bars", colourBars(w, h)});
    pictures.push_back({"checkerboard", checkerboard(w, h)});
    pictures.push_back({"stripes", stripesPicture(w, h)});
    pictures.push_back({"every r g g", everyRedGreenGreen(w, h)});
    return pictures;
}

void setJfifDensity(std::vector<std::uint8_t>& jpeg, std::uint8_t unit, std::uint16_t x, std::uint16_t y)
{
    // FF D8, then APP0: FF E0, length, "JFIF\0", version, unit, x, y.
    if (jpeg.size() < 18 || jpeg[2] != 0xFF || jpeg[3] != 0xE0)
        return;
    jpeg[13] = unit;
    jpeg[14] = std::uint8_t(x >> 8), jpeg[15] = std::uint8_t(x);
    jpeg[16] = std::uint8_t(y >> 8), jpeg[17] = std::uint8_t(y);
}

std::vector<NamedJpeg> cameraJpegs()
{
    std::vector<NamedJpeg> jpegs;
    jpegs.push_back({"vga scene", 640, 480, encodeJpeg(makeScene(640, 480), 90)});
    jpegs.push_back({"odd stripes", 333, 250, encodeJpeg(stripesPicture(333, 250), 85)});
    jpegs.push_back({"grey scene", 320, 240, encodeJpeg(makeScene(320, 240), 90, true)});
    NamedJpeg inches{"dpi noise", 160, 120, encodeJpeg(noisePicture(160, 120, 3), 75)};
    setJfifDensity(inches.jpeg, 1, 300, 150);
    jpegs.push_back(std::move(inches));
    NamedJpeg centimetres{"dpcm scene", 800, 600, encodeJpeg(makeScene(800, 600), 95)};
    setJfifDensity(centimetres.jpeg, 2, 118, 118);
    jpegs.push_back(std::move(centimetres));
    return jpegs;
}

}  // namespace qm::device::imaging::testing
