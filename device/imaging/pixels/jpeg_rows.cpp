#include "device/imaging/pixels/jpeg_rows.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace qm::device::imaging {

namespace {

// Errors unwind to the setjmp of the call; messages are not printed.
struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf unwind;
};

void unwindOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->unwind, 1);
}

// Warnings are still counted (the default message handler does that); they
// are only not printed.
void stayQuiet(j_common_ptr) {}

// A decompressor over `data` whose errors unwind; destroyed with the object.
class Decompressor {
public:
    explicit Decompressor(std::span<const std::uint8_t> data)
    {
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = unwindOnError;
        errors_.manager.output_message = stayQuiet;
        jpeg_create_decompress(&info_);
        jpeg_mem_src(&info_, data.data(), static_cast<unsigned long>(data.size()));
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& info() { return info_; }
    std::jmp_buf& unwind() { return errors_.unwind; }

private:
    ErrorManager errors_{};
    jpeg_decompress_struct info_{};
};

int pixelsPerInch(const jpeg_decompress_struct& info)
{
    if (info.density_unit == 1)
        return info.X_density;
    if (info.density_unit == 2)
        return int(float(info.X_density) * 2.54 + 0.5);
    return 0;
}

}  // namespace

bool readJpegLayout(std::span<const std::uint8_t> data, JpegLayout& layout)
{
    if (data.empty())
        return false;
    Decompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.info();
    if (setjmp(decompressor.unwind()) != 0)
        return false;
    jpeg_read_header(&info, TRUE);
    layout = {int(info.image_width), int(info.image_height), pixelsPerInch(info)};
    return true;
}

JpegRowsResult decodeJpegRows(std::span<const std::uint8_t> data, std::uint8_t* firstRow, std::ptrdiff_t rowStep)
{
    if (data.empty())
        return JpegRowsResult::Failed;
    Decompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.info();
    // Nothing below owns memory the unwinding would leak.
    if (setjmp(decompressor.unwind()) != 0)
        return JpegRowsResult::Failed;
    jpeg_read_header(&info, TRUE);
    if (info.num_components != 1 && info.num_components != 3)
        return JpegRowsResult::Unsupported;
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_components != 3)
        return JpegRowsResult::Unsupported;

    constexpr int kRowsAtOnce = 16;
    JSAMPROW rows[kRowsAtOnce];
    while (info.output_scanline < info.output_height) {
        const int wanted = std::min<int>(kRowsAtOnce, int(info.output_height - info.output_scanline));
        for (int i = 0; i < wanted; ++i)
            rows[i] = firstRow + (std::ptrdiff_t(info.output_scanline) + i) * rowStep;
        const JDIMENSION read = jpeg_read_scanlines(&info, rows, JDIMENSION(wanted));
        // The imaging library gives up at the first warning about the data.
        if (read == 0 || info.err->num_warnings > 0)
            return JpegRowsResult::Failed;
    }
    jpeg_finish_decompress(&info);
    return JpegRowsResult::Decoded;
}

}  // namespace qm::device::imaging
