#include "tests/simulators/dualcam/jpeg_header.h"

#include "platform/system/byte_order.h"
#include "simulators/dualcam/frame_format.h"
#include "simulators/dualcam/jpeg_tables.h"

#include <turbojpeg.h>

#include <array>

namespace qm::dualcam::test {

namespace {

// ITU-T T.81 Annex K.3, written out independently of the encoder's library.
constexpr std::array<std::uint8_t, 16> kDcLumBits = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 16> kDcChrBits = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 12> kDcValues = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::array<std::uint8_t, 16> kAcLumBits = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr std::array<std::uint8_t, 162> kAcLumValues = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};
constexpr std::array<std::uint8_t, 16> kAcChrBits = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
constexpr std::array<std::uint8_t, 162> kAcChrValues = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

void be16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

template <std::size_t N, std::size_t M>
void huffman(std::vector<std::uint8_t>& out, std::uint8_t id, const std::array<std::uint8_t, N>& bits,
             const std::array<std::uint8_t, M>& values)
{
    out.push_back(id);
    out.insert(out.end(), bits.begin(), bits.end());
    out.insert(out.end(), values.begin(), values.end());
}

}  // namespace

std::vector<std::uint8_t> buildJpegHeader(int width, int height, int quality, int samplingType,
                                          std::size_t dataLength)
{
    std::vector<std::uint8_t> h;
    h.reserve(kHeaderSize);
    h.insert(h.end(), {0xFF, 0xD8, 0xFF, 0xE0});
    be16(h, 22);
    h.insert(h.end(), {'A', 'V', 'I', '1', 0, 0, 0, 0});
    be16(h, unsigned(dataLength + kHeaderSize) & 0xFFFF);
    h.insert(h.end(), {0, 0, 0, std::uint8_t(quality), 0, 0, 0, 0, 0, 0});
    h.insert(h.end(), {0xFF, 0xDB});
    be16(h, 132);
    h.push_back(0);
    const auto lum = scaleQuantTable(kLuminanceBase, quality);
    h.insert(h.end(), lum.begin(), lum.end());
    h.push_back(1);
    const auto chr = scaleQuantTable(kChrominanceBase, quality);
    h.insert(h.end(), chr.begin(), chr.end());
    h.insert(h.end(), {0xFF, 0xC0});
    be16(h, 17);
    h.push_back(8);
    be16(h, unsigned(height));
    be16(h, unsigned(width));
    const std::uint8_t sampling = samplingType == 3 ? 0x41 : samplingType == 2 ? 0x21 : 0x11;
    h.insert(h.end(), {3, 1, sampling, 0, 2, 0x11, 1, 3, 0x11, 1});
    h.insert(h.end(), {0xFF, 0xC4});
    be16(h, 418);
    huffman(h, 0x00, kDcLumBits, kDcValues);
    huffman(h, 0x10, kAcLumBits, kAcLumValues);
    huffman(h, 0x01, kDcChrBits, kDcValues);
    huffman(h, 0x11, kAcChrBits, kAcChrValues);
    h.insert(h.end(), {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00});
    return h;
}

void fixUpFrame(std::vector<std::uint8_t>& raw)
{
    const std::size_t length = raw.size();
    const std::size_t h = (raw.size() > kAppSegmentSize && raw[0] == 0xFF && raw[1] == 0xE1) ? kAppSegmentSize : 0;
    raw[length - 2] = raw[h + 2];
    raw[length - 1] = raw[h + 1];
    raw[h + 1] = std::uint8_t(length);
    raw[h + 2] = std::uint8_t(length >> 8);
    raw[h + 3] = std::uint8_t(length >> 16);
    raw.resize(length + 4, 0);  // the host copies L bytes from offset 4
}

std::vector<std::uint8_t> assembleJpeg(const std::vector<std::uint8_t>& raw, int width, int height, int samplingType)
{
    const bool segment = raw[0] == 0xFF && raw[1] == 0xE1;
    const std::size_t h = segment ? kAppSegmentSize : 0;
    const std::size_t length = raw[h + 1] | (raw[h + 2] << 8) | (raw[h + 3] << 16);
    const int quality = raw[h];
    auto header = buildJpegHeader(width, height, quality, samplingType, length);
    std::vector<std::uint8_t> jpeg;
    if (!segment) {
        jpeg = header;
        jpeg.insert(jpeg.end(), raw.begin() + 4, raw.begin() + 4 + std::ptrdiff_t(length));
        return jpeg;
    }
    jpeg.assign(header.begin(), header.begin() + kHeaderThroughHuffman);
    const std::size_t at = jpeg.size();
    jpeg.insert(jpeg.end(), raw.begin(), raw.begin() + kAppSegmentSize);
    jpeg[at + 2] = 0x01;
    jpeg[at + 3] = 0xFE;
    jpeg.insert(jpeg.end(), header.begin() + kHeaderThroughHuffman, header.end());
    jpeg.insert(jpeg.end(), raw.begin() + kAppSegmentSize + 4,
                raw.begin() + kAppSegmentSize + 4 + std::ptrdiff_t(length - kAppSegmentSize));
    return jpeg;
}

double DecodedImage::mean(int channel) const
{
    double sum = 0;
    for (std::size_t i = std::size_t(channel); i < rgb.size(); i += 3)
        sum += rgb[i];
    return rgb.empty() ? 0 : sum / double(rgb.size() / 3);
}

std::optional<DecodedImage> decodeJpeg(std::span<const std::uint8_t> jpeg)
{
    tjhandle handle = tjInitDecompress();
    if (!handle)
        return std::nullopt;
    std::optional<DecodedImage> result;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &width, &height,
                            &subsampling, &colourspace) == 0) {
        DecodedImage image{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3)};
        if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), image.rgb.data(), width, 0,
                          height, TJPF_RGB, TJFLAG_STOPONWARNING | TJFLAG_ACCURATEDCT) == 0)
            result = std::move(image);
    }
    tjDestroy(handle);
    return result;
}

}  // namespace qm::dualcam::test
