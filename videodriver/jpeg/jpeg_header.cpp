#include "videodriver/jpeg/jpeg_header.h"

#include <algorithm>

#include "platform/system/byte_order.h"
#include "videodriver/jpeg/jpeg_tables.h"

namespace qm::morvax {

namespace {

constexpr std::uint32_t kLargestDimension = 0xFFFF;

// Appends to a buffer whose size the caller has already checked against
// the header's fixed length.
class HeaderWriter {
public:
    explicit HeaderWriter(std::uint8_t* out) : out_(out) {}

    void byte(std::uint8_t value) { out_[at_++] = value; }
    void word(std::uint16_t value)
    {
        sys::writeBe16(out_ + at_, value);
        at_ += 2;
    }
    void dword(std::uint32_t value)
    {
        sys::writeBe32(out_ + at_, value);
        at_ += 4;
    }
    void bytes(std::span<const std::uint8_t> data)
    {
        std::copy(data.begin(), data.end(), out_ + at_);
        at_ += data.size();
    }
    void marker(std::uint8_t code, std::uint16_t length)
    {
        byte(0xFF);
        byte(code);
        word(length);
    }
    std::size_t length() const { return at_; }

private:
    std::uint8_t* out_;
    std::size_t at_ = 0;
};

std::uint8_t lumaSampling(unsigned samplingType)
{
    switch (samplingType) {
    case kSampling411:
        return 0x41;
    case kSampling2x1:
        return 0x21;
    default:
        return 0x11;
    }
}

bool sizeExpressible(std::uint32_t height, std::uint32_t width)
{
    return height != 0 && width != 0 && height <= kLargestDimension && width <= kLargestDimension;
}

// The field size covers the header and the scan data behind it. Readers of
// the AVI1 segment take it as a 32-bit number, so all of it is written.
std::uint32_t fieldSize(std::uint32_t dataLength, std::size_t headerLength)
{
    const std::uint64_t total = std::uint64_t(dataLength) + headerLength;
    return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : std::uint32_t(total);
}

void writeAvi1(HeaderWriter& out, std::uint32_t fieldBytes)
{
    static constexpr std::uint8_t kAvi1[] = {'A', 'V', 'I', '1'};
    out.marker(0xE0, 22);
    out.bytes(kAvi1);
    out.byte(0);  // polarity: a whole frame, not interlaced
    out.byte(0);
    out.dword(fieldBytes);
    out.dword(0);  // the frame paths put the quality byte at offset 19
    out.word(0);   // still picture count
    out.word(0);   // still picture number
    out.word(0);
}

void writeHuffmanTable(HeaderWriter& out, const HuffmanTableLayout& table)
{
    out.byte(table.classAndId);
    out.bytes(table.counts);
    out.bytes(table.values);
}

std::uint16_t huffmanSegmentLength(std::span<const HuffmanTableLayout> tables)
{
    std::size_t bytes = 2;
    for (const auto& table : tables)
        bytes += table.segmentBytes();
    return std::uint16_t(bytes);
}

std::size_t writeColourHeader(std::uint8_t* buffer, std::uint32_t height, std::uint32_t width, unsigned quality,
                              std::uint32_t dataLength, unsigned samplingType)
{
    HeaderWriter out(buffer);
    out.byte(0xFF);
    out.byte(0xD8);
    writeAvi1(out, fieldSize(dataLength, kJpegTemplateSize));

    out.marker(0xDB, 2 + 2 * 65);
    out.byte(0);
    out.bytes(scaleQuantTable(kLuminanceQuantBase, quality));
    out.byte(1);
    out.bytes(scaleQuantTable(kChrominanceQuantBase, quality));

    out.marker(0xC0, 17);
    out.byte(8);
    out.word(std::uint16_t(height));
    out.word(std::uint16_t(width));
    out.byte(3);
    const std::uint8_t components[] = {1, lumaSampling(samplingType), 0, 2, 0x11, 1, 3, 0x11, 1};
    out.bytes(components);

    out.marker(0xC4, huffmanSegmentLength(kStandardHuffmanTables));
    for (const auto& table : kStandardHuffmanTables)
        writeHuffmanTable(out, table);

    out.marker(0xDA, 12);
    const std::uint8_t scan[] = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00};
    out.bytes(scan);
    return out.length();
}

std::size_t writeGreyHeader(std::uint8_t* buffer, std::uint32_t height, std::uint32_t width, unsigned quality,
                            std::uint32_t dataLength)
{
    HeaderWriter out(buffer);
    out.byte(0xFF);
    out.byte(0xD8);
    writeAvi1(out, fieldSize(dataLength, kJpegGreyHeaderSize));

    out.marker(0xDB, 2 + 65);
    out.byte(0);
    out.bytes(scaleQuantTable(kLuminanceQuantBase, quality));

    out.marker(0xC0, 11);
    out.byte(8);
    out.word(std::uint16_t(height));
    out.word(std::uint16_t(width));
    out.byte(1);
    const std::uint8_t component[] = {1, 0x11, 0};
    out.bytes(component);

    const std::span<const HuffmanTableLayout> luminance(kStandardHuffmanTables.data(), 2);
    out.marker(0xC4, huffmanSegmentLength(luminance));
    for (const auto& table : luminance)
        writeHuffmanTable(out, table);

    out.marker(0xDA, 8);
    const std::uint8_t scan[] = {1, 1, 0x00, 0x00, 0x3F, 0x00};
    out.bytes(scan);
    return out.length();
}

}  // namespace

bool generateJPEGHeader(std::span<std::uint8_t> buffer, std::uint32_t* headerLength, std::uint32_t height,
                        std::uint32_t width, bool oneComponent, unsigned quality, std::uint32_t dataLength,
                        unsigned samplingType)
{
    const std::size_t needed = oneComponent ? kJpegGreyHeaderSize : kJpegTemplateSize;
    if (buffer.size() < needed || !sizeExpressible(height, width))
        return false;
    const std::size_t written = oneComponent
                                    ? writeGreyHeader(buffer.data(), height, width, quality, dataLength)
                                    : writeColourHeader(buffer.data(), height, width, quality, dataLength,
                                                        samplingType);
    if (headerLength != nullptr)
        *headerLength = std::uint32_t(written);
    return true;
}

bool ModifyJPEGHeader(std::span<std::uint8_t> header, std::uint32_t height, std::uint32_t width, unsigned quality,
                      std::uint32_t dataLength, unsigned samplingType)
{
    if (header.size() < kJpegTemplateSize || !sizeExpressible(height, width))
        return false;
    std::uint8_t* h = header.data();
    sys::writeBe32(h + kAvi1FieldSizeOffset, fieldSize(dataLength, kJpegTemplateSize));
    const QuantTable luminance = scaleQuantTable(kLuminanceQuantBase, quality);
    const QuantTable chrominance = scaleQuantTable(kChrominanceQuantBase, quality);
    std::copy(luminance.begin(), luminance.end(), h + kLuminanceTableOffset);
    std::copy(chrominance.begin(), chrominance.end(), h + kChrominanceTableOffset);
    // Written for every size, so a header patched once for another size is
    // right again for 640 x 480 as well.
    sys::writeBe16(h + kFrameHeightOffset, std::uint16_t(height));
    sys::writeBe16(h + kFrameWidthOffset, std::uint16_t(width));
    h[kLumaSamplingOffset] = lumaSampling(samplingType);
    return true;
}

bool generateJpegHeaderTemplate(std::span<std::uint8_t> header)
{
    return generateJPEGHeader(header, nullptr, kTemplateHeight, kTemplateWidth, false, kTemplateQuality,
                              kTemplateDataLength, kSampling411);
}

void setJpegHeaderQuality(std::span<std::uint8_t> header, std::uint8_t quality)
{
    if (header.size() >= kJpegTemplateSize)
        header[kAvi1QualityOffset] = quality;
}

void setJpegHeaderPicture(std::span<std::uint8_t> header, std::uint16_t pictureCount, std::uint16_t pictureNumber)
{
    if (header.size() < kJpegTemplateSize)
        return;
    sys::writeBe16(header.data() + kAvi1PictureCountOffset, pictureCount);
    sys::writeBe16(header.data() + kAvi1PictureNumberOffset, pictureNumber);
}

}  // namespace qm::morvax
