#include "simulators/dualcam/scan_encoder.h"

#include "platform/system/byte_order.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace qm::dualcam {

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void onFatalError(j_common_ptr cinfo)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    std::longjmp(trap->jump, 1);
}

void onMessage(j_common_ptr) {}

void installTable(jpeg_compress_struct& cinfo, int slot, const QuantTable& zigzag)
{
    unsigned int natural[64];
    for (int k = 0; k < 64; ++k)
        natural[kZigzagToNatural[std::size_t(k)]] = zigzag[std::size_t(k)];
    // Scale 100 keeps the entries as they are; baseline keeps them 8-bit.
    jpeg_add_quant_table(&cinfo, slot, natural, 100, TRUE);
}

// Compresses into a malloc'd buffer owned by the caller. Kept free of C++
// objects with destructors because a libjpeg error unwinds with longjmp.
bool compress(const YCbCrImage& image, int quality, Sampling sampling, unsigned char** out, unsigned long* outSize)
{
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onFatalError;
    trap.manager.output_message = onMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCbCr);
    cinfo.write_JFIF_header = FALSE;
    cinfo.optimize_coding = FALSE;
    cinfo.dct_method = JDCT_ISLOW;
    installTable(cinfo, 0, scaleQuantTable(kLuminanceBase, quality));
    installTable(cinfo, 1, scaleQuantTable(kChrominanceBase, quality));
    cinfo.comp_info[0].h_samp_factor = int(sampling);
    cinfo.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    const JDIMENSION stride = JDIMENSION(image.width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(image.pixels.data() + std::size_t(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

std::optional<std::span<const std::uint8_t>> findScanData(std::span<const std::uint8_t> jpeg)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return std::nullopt;
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = jpeg[pos + 1];
        const std::size_t length = sys::readBe16(&jpeg[pos + 2]);
        if (length < 2 || pos + 2 + length > jpeg.size())
            return std::nullopt;
        pos += 2 + length;
        if (marker == 0xDA)
            return jpeg.subspan(pos);
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> encodeScan(const YCbCrImage& image, int quality, Sampling sampling)
{
    const int mcuWidth = 8 * int(sampling);
    if (image.width <= 0 || image.height <= 0 || image.width % mcuWidth != 0 || image.height % 8 != 0 ||
        image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 3)
        return std::nullopt;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = compress(image, quality, sampling, &buffer, &size);
    std::vector<std::uint8_t> scan;
    if (ok && buffer) {
        if (auto data = findScanData({buffer, std::size_t(size)}); data && data->size() >= 2)
            scan.assign(data->begin(), data->end());
    }
    std::free(buffer);
    if (scan.empty())
        return std::nullopt;
    return scan;
}

}  // namespace qm::dualcam
