// Drawing device-independent bitmaps held by the caller.
#include <cstring>

#include "platform/ui/core/window_system.h"
#include "platform/ui/gdi/bmp_codec.h"
#include "platform/ui/gdi/gdi_internal.h"

namespace qm::ui {

using namespace detail;

int StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, std::size_t bitsSize, const BITMAPINFO* info, UINT, DWORD rop)
{
    if (bits == nullptr || info == nullptr)
        return 0;
    UiLock lock;
    auto t = drawTarget(hdc);
    if (!t)
        return 0;
    // The header and its colour table are read through the checked parser;
    // the colour table follows the header in the caller's BITMAPINFO.
    const auto* header = reinterpret_cast<const std::uint8_t*>(info);
    const std::size_t paletteBytes = info->bmiHeader.biBitCount <= 8 ? (std::size_t(1) << info->bmiHeader.biBitCount) * 4 : 0;
    auto layout = parseDibHeader(header, sizeof(BITMAPINFOHEADER) + paletteBytes);
    if (!layout)
        return 0;
    auto source = decodeDib(*layout, static_cast<const std::uint8_t*>(bits), bitsSize);
    if (!source)
        return 0;
    // Source coordinates count from the picture's top-left corner.
    blitScaled(*t, {xDest, yDest, xDest + wDest, yDest + hDest}, *source, {xSrc, ySrc, xSrc + wSrc, ySrc + hSrc},
               rop);
    markDrawn(hdc);
    return layout->height;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, const void* bits,
                      std::size_t bitsSize, const BITMAPINFO* info, UINT usage)
{
    return StretchDIBits(hdc, xDest, yDest, int(w), int(h), xSrc, ySrc, int(w), int(h), bits, bitsSize, info, usage,
                         SRCCOPY);
}

int drawPackedDib(HDC hdc, int x, int y, const void* dib, std::size_t size)
{
    if (dib == nullptr)
        return 0;
    UiLock lock;
    auto t = drawTarget(hdc);
    const auto* data = static_cast<const std::uint8_t*>(dib);
    auto layout = parseDibHeader(data, size);
    if (!t || !layout)
        return 0;
    auto source = decodeDib(*layout, data + layout->headerBytes, size - layout->headerBytes);
    if (!source)
        return 0;
    blitScaled(*t, {x, y, x + layout->width, y + layout->height}, *source, {0, 0, layout->width, layout->height},
               SRCCOPY);
    markDrawn(hdc);
    return layout->height;
}

}  // namespace qm::ui
