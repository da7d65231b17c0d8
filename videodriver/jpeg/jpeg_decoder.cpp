#include "videodriver/jpeg/jpeg_decoder.h"

#include <algorithm>
#include <cstring>

#include "videodriver/jpeg/decoder_state.h"
#include "videodriver/jpeg/kernel_memory.h"
#include "videodriver/jpeg/yuv411_color.h"

namespace qm::morvax {

namespace {

// Rows handed to the library per call on the ordinary path.
constexpr JDIMENSION kRowsPerCall = 4;

void destroyDecoder(JpegDecoder* decoder)
{
    if (decoder == nullptr)
        return;
    for (FieldDecoder& field : decoder->fields)
        jpeg_destroy_decompress(&field.cinfo);  // nothing to do for a field never created
    k_free(decoder);
}

bool failFrame(JpegDecodeDescriptor* descriptor)
{
    destroyDecoder(descriptor->decoder);
    descriptor->decoder = nullptr;
    descriptor->decodeError = true;
    descriptor->outputWidth = 0;
    descriptor->outputHeight = 0;
    return false;
}

bool sameSize(const jpeg_decompress_struct& a, const jpeg_decompress_struct& b)
{
    return a.output_width == b.output_width && a.output_height == b.output_height;
}

// Output row of row `row` of field `field`, counted from the top of the
// picture; the buffer holds the bottom row first.
std::uint8_t* outputRow(const JpegDecodeDescriptor& descriptor, int fieldCount, int field, JDIMENSION row)
{
    const std::size_t fromTop = std::size_t(row) * std::size_t(fieldCount) + std::size_t(field);
    const std::size_t stride = std::size_t(descriptor.outputWidth) * 3;
    return descriptor.output + (descriptor.outputHeight - 1 - fromTop) * stride;
}

// One group of eight rows from the raw planes through the 4:1:1 conversion.
void h4v1_merged_upsample(const JpegDecodeDescriptor& descriptor, int fieldCount, int fieldIndex,
                          FieldDecoder& field, JDIMENSION firstRow)
{
    const jpeg_decompress_struct& cinfo = field.cinfo;
    const JDIMENSION rows = std::min<JDIMENSION>(DCTSIZE, cinfo.output_height - firstRow);
    for (JDIMENSION r = 0; r < rows; ++r)
        yuv411torgbMMX(field.planes[0][r], field.planes[1][r], field.planes[2][r],
                       outputRow(descriptor, fieldCount, fieldIndex, firstRow + r), cinfo.output_width);
}

void decodeField(const JpegDecodeDescriptor& descriptor, int fieldCount, int fieldIndex, FieldDecoder& field)
{
    jpeg_decompress_struct& cinfo = field.cinfo;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        if (field.mergedOutput) {
            if (jpeg_read_raw_data(&cinfo, field.planes, DCTSIZE) == 0)
                break;
            h4v1_merged_upsample(descriptor, fieldCount, fieldIndex, field, first);
            continue;
        }
        JSAMPROW rows[kRowsPerCall];
        const JDIMENSION count = std::min(kRowsPerCall, cinfo.output_height - first);
        for (JDIMENSION r = 0; r < count; ++r)
            rows[r] = outputRow(descriptor, fieldCount, fieldIndex, first + r);
        if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
            break;
    }
}

// Rows wider than the picture (its width rounded up to a multiple of 8) get
// black at their right end.
void clearRowPadding(const JpegDecodeDescriptor& descriptor, JDIMENSION pictureWidth)
{
    const std::size_t stride = std::size_t(descriptor.outputWidth) * 3;
    const std::size_t used = std::size_t(pictureWidth) * 3;
    if (used >= stride)
        return;
    for (std::uint32_t row = 0; row < descriptor.outputHeight; ++row)
        std::memset(descriptor.output + row * stride + used, 0, stride - used);
}

}  // namespace

bool InitJpegDecode(JpegDecodeDescriptor* descriptor)
{
    if (descriptor == nullptr)
        return false;
    descriptor->decoder = nullptr;
    descriptor->decodeError = false;
    descriptor->outputWidth = 0;
    descriptor->outputHeight = 0;
    if (descriptor->input == nullptr || descriptor->output == nullptr)
        return failFrame(descriptor);

    auto* decoder = static_cast<JpegDecoder*>(k_malloc(sizeof(JpegDecoder)));
    if (decoder == nullptr)
        return failFrame(descriptor);
    std::memset(static_cast<void*>(decoder), 0, sizeof *decoder);
    installErrorTrap(decoder->trap);
    descriptor->decoder = decoder;
    if (setjmp(decoder->trap.unwind) != 0)
        return failFrame(descriptor);

    const std::uint8_t* input = descriptor->input;
    const std::size_t length = descriptor->inputLength;
    openField(*decoder, 0, input, length, descriptor->fancyUpsampling);
    decoder->fieldCount = 1;
    if (isTwoFieldPicture(decoder->fields[0].avi1)) {
        const std::size_t offset = decoder->fields[0].avi1.fieldSize;
        if (offset == 0 || offset >= length)
            return failFrame(descriptor);
        openField(*decoder, 1, input + offset, length - offset, descriptor->fancyUpsampling);
        if (!sameSize(decoder->fields[0].cinfo, decoder->fields[1].cinfo))
            return failFrame(descriptor);
        decoder->fieldCount = 2;
    }

    const jpeg_decompress_struct& first = decoder->fields[0].cinfo;
    const std::uint64_t width = (std::uint64_t(first.output_width) + 7) / 8 * 8;
    const std::uint64_t height = std::uint64_t(first.output_height) * std::uint64_t(decoder->fieldCount);
    if (width == 0 || height == 0 || width * 3 * height > descriptor->outputSize)
        return failFrame(descriptor);
    for (int f = 0; f < decoder->fieldCount; ++f)
        startField(decoder->fields[f]);
    descriptor->outputWidth = std::uint32_t(width);
    descriptor->outputHeight = std::uint32_t(height);
    return true;
}

bool DecompressJpeg(JpegDecodeDescriptor* descriptor)
{
    if (descriptor == nullptr || descriptor->decoder == nullptr)
        return false;
    JpegDecoder* decoder = descriptor->decoder;
    if (setjmp(decoder->trap.unwind) != 0) {
        descriptor->decodeError = true;
        return false;
    }
    for (int f = 0; f < decoder->fieldCount; ++f) {
        decodeField(*descriptor, decoder->fieldCount, f, decoder->fields[f]);
        jpeg_finish_decompress(&decoder->fields[f].cinfo);
    }
    clearRowPadding(*descriptor, decoder->fields[0].cinfo.output_width);
    if (decoder->trap.failed) {
        descriptor->decodeError = true;
        return false;
    }
    return true;
}

void FreeJpegDecode(JpegDecodeDescriptor* descriptor)
{
    if (descriptor == nullptr)
        return;
    destroyDecoder(descriptor->decoder);
    descriptor->decoder = nullptr;
}

bool decodeJpegFrame(JpegDecodeDescriptor* descriptor)
{
    const bool decoded = InitJpegDecode(descriptor) && DecompressJpeg(descriptor);
    FreeJpegDecode(descriptor);
    return decoded;
}

}  // namespace qm::morvax
