// Screenshots as PNG files, written atomically.
#include <png.h>

#include <cstdlib>
#include <memory>

#include "platform/system/files.h"
#include "platform/ui/automation/automation.h"

namespace qm::ui::automation {

bool writePng(const Image& image, const std::string& pngPath)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != std::size_t(image.width) * std::size_t(image.height) * 3)
        return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.rgb.data(), 0, nullptr) || size == 0)
        return false;
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgb.data(), 0, nullptr))
        return false;
    bytes.resize(size);
    return qm::sys::writeFileAtomically(pngPath, bytes);
}

}  // namespace qm::ui::automation
