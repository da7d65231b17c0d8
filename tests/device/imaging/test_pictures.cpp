#include "tests/device/imaging/test_pictures.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "device/imaging/dib.h"
#include "device/imaging/thumbnail.h"

#include "platform/system/byte_order.h"

namespace qm::device::imaging::testing {

namespace {

std::uint8_t toByte(double v) { return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

std::size_t stride(int width) { return (std::size_t(width) * 3 + 3) / 4 * 4; }

}  // namespace

RgbPicture makeScene(int width, int height)
{
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double ripple = 24.0 * std::sin(x / 9.0) * std::cos(y / 13.0);
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * width + x) * 3;
            p[0] = toByte(40 + 180 * u + ripple);
            p[1] = toByte(30 + 190 * v - ripple / 2);
            p[2] = toByte(200 - 120 * u * v + ripple / 3);
        }
    }
    return picture;
}

RgbPicture uniformPicture(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    RgbPicture picture{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        picture.rgb.insert(picture.rgb.end(), {r, g, b});
    return picture;
}

RgbPicture stripesPicture(int width, int height)
{
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // 14 dark, a 4-pixel ramp up, 12 bright, a 2-pixel ramp down.
            const int phase = x % 32;
            const int level = phase < 14 ? 60 : phase < 18 ? 60 + (phase - 14) * 35 : phase < 30 ? 200 : 200 - (phase - 30) * 70;
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * width + x) * 3;
            p[0] = std::uint8_t(level);
            p[1] = std::uint8_t(level / 2 + 40);
            p[2] = std::uint8_t(255 - level);
        }
    }
    return picture;
}

RgbPicture noisePicture(int width, int height, std::uint32_t seed)
{
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    std::uint32_t state = seed;
    for (auto& byte : picture.rgb) {
        state = state * 1664525u + 1013904223u;
        byte = std::uint8_t(state >> 24);
    }
    return picture;
}

std::vector<std::uint8_t> encodeJpeg(const RgbPicture& picture, int quality, bool grey)
{
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> out;
    if (tjCompress2(handle, picture.rgb.data(), picture.width, 0, picture.height, TJPF_RGB, &jpeg, &size,
                    grey ? TJSAMP_GRAY : TJSAMP_422, quality, 0) == 0)
        out.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

std::optional<RgbPicture> decodeJpeg(std::span<const std::uint8_t> jpeg)
{
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    std::optional<RgbPicture> result;
    if (tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colourspace) == 0) {
        RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
        if (tjDecompress2(handle, jpeg.data(), jpeg.size(), picture.rgb.data(), width, 0, height, TJPF_RGB, 0) == 0)
            result = std::move(picture);
    }
    tjDestroy(handle);
    return result;
}

std::vector<std::uint8_t> toDib(const RgbPicture& picture)
{
    const std::size_t rowBytes = stride(picture.width);
    std::vector<std::uint8_t> dib(40 + rowBytes * picture.height);
    sys::writeLe32(dib.data(), 40);
    sys::writeLe32(dib.data() + 4, std::uint32_t(picture.width));
    sys::writeLe32(dib.data() + 8, std::uint32_t(picture.height));
    sys::writeLe16(dib.data() + 12, 1);
    sys::writeLe16(dib.data() + 14, 24);
    for (int y = 0; y < picture.height; ++y) {
        std::uint8_t* row = dib.data() + 40 + std::size_t(picture.height - 1 - y) * rowBytes;
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.at(x, y);
            row[3 * x] = p[2];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[0];
        }
    }
    return dib;
}

std::vector<std::uint8_t> toBmpFile(const RgbPicture& picture)
{
    const std::vector<std::uint8_t> dib = toDib(picture);
    std::vector<std::uint8_t> file(14 + dib.size());
    file[0] = 'B';
    file[1] = 'M';
    sys::writeLe32(file.data() + 2, std::uint32_t(file.size()));
    sys::writeLe32(file.data() + 10, 14 + 40);
    std::copy(dib.begin(), dib.end(), file.begin() + 14);
    return file;
}

void writeFile(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::optional<RgbPicture> fromDib(std::span<const std::uint8_t> dib)
{
    if (dib.size() < 40 || sys::readLe32(dib.data()) != 40 || sys::readLe16(dib.data() + 14) != 24)
        return std::nullopt;
    const auto width = std::int32_t(sys::readLe32(dib.data() + 4));
    const auto height = std::int32_t(sys::readLe32(dib.data() + 8));
    if (width <= 0 || height <= 0 || 40 + stride(width) * std::size_t(height) > dib.size())
        return std::nullopt;
    RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = dib.data() + 40 + std::size_t(height - 1 - y) * stride(width);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.rgb.data() + (std::size_t(y) * width + x) * 3;
            p[0] = row[3 * x + 2];
            p[1] = row[3 * x + 1];
            p[2] = row[3 * x];
        }
    }
    return picture;
}

double psnr(const RgbPicture& a, const RgbPicture& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.empty())
        return 0;
    double squared = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = double(a.rgb[i]) - double(b.rgb[i]);
        squared += d * d;
    }
    const double mse = squared / double(a.rgb.size());
    return mse == 0 ? std::numeric_limits<double>::infinity() : 10.0 * std::log10(255.0 * 255.0 / mse);
}

double meanGradient(const RgbPicture& picture)
{
    double total = 0;
    std::size_t count = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 1; x < picture.width; ++x) {
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(picture.at(x, y)[c]) - int(picture.at(x - 1, y)[c]));
            count += 3;
        }
    }
    return count == 0 ? 0 : total / double(count);
}

std::vector<std::uint8_t> shadedThumbnail(std::uint8_t shade)
{
    std::vector<std::uint8_t> dib(imaging::kThumbnailDibSize);
    imaging::writePlaceholderThumbnail(dib);
    std::fill(dib.begin() + imaging::kDibHeaderSize, dib.end(), shade);
    return dib;
}

}  // namespace qm::device::imaging::testing
