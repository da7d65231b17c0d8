#include "panel/resources/art/bmp_file.h"

#include "platform/system/byte_order.h"

namespace qm::panel::art {

std::vector<std::uint8_t> encodeBmp(const Canvas& canvas)
{
    constexpr std::size_t kFileHeader = 14;
    constexpr std::size_t kInfoHeader = 40;
    const int width = canvas.width(), height = canvas.height();
    const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t(3);
    const std::size_t imageBytes = stride * std::size_t(height);
    std::vector<std::uint8_t> out(kFileHeader + kInfoHeader + imageBytes, 0);

    std::uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    sys::writeLe32(p + 2, std::uint32_t(out.size()));
    sys::writeLe32(p + 10, std::uint32_t(kFileHeader + kInfoHeader));
    std::uint8_t* info = p + kFileHeader;
    sys::writeLe32(info, kInfoHeader);
    sys::writeLe32(info + 4, std::uint32_t(width));
    sys::writeLe32(info + 8, std::uint32_t(height));  // positive: bottom row first
    sys::writeLe16(info + 12, 1);                      // planes
    sys::writeLe16(info + 14, 24);                     // bits per pixel
    sys::writeLe32(info + 20, std::uint32_t(imageBytes));
    sys::writeLe32(info + 24, 2835);  // 72 dpi
    sys::writeLe32(info + 28, 2835);

    std::uint8_t* bits = info + kInfoHeader;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + std::size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = canvas.pixel(x, y);
            row[x * 3] = ui::GetBValue(c);
            row[x * 3 + 1] = ui::GetGValue(c);
            row[x * 3 + 2] = ui::GetRValue(c);
        }
    }
    return out;
}

}  // namespace qm::panel::art
