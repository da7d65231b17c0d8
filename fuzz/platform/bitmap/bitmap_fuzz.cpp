// Fuzzes the bitmap reader of the user-interface platform: the input is a
// BMP file, and the same bytes after the file header are also read as a
// packed device-independent bitmap (as bitmaps handed over in memory are).
// A decoded bitmap has the size its header announced.
#include <cstdint>
#include <cstdlib>

#include "platform/ui/gdi/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qm::ui::detail;
    if (auto surface = decodeBmpFile(data, size)) {
        const auto layout = parseDibHeader(data + 14, size - 14);
        if (!layout || surface->width() != layout->width || surface->height() != layout->height)
            std::abort();
    }
    if (size > 14) {
        const std::uint8_t* dib = data + 14;
        const std::size_t dibSize = size - 14;
        if (auto layout = parseDibHeader(dib, dibSize)) {
            if (layout->headerBytes > dibSize)
                std::abort();
            static_cast<void>(decodeDib(*layout, dib + layout->headerBytes, dibSize - layout->headerBytes));
        }
    }
    return 0;
}
