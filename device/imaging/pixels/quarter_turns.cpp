#include "device/imaging/pixels/quarter_turns.h"

#include <algorithm>
#include <cstring>

namespace qm::device::imaging {

namespace {

// Tiles keep both the rows read and the rows written in the cache.
constexpr int kTile = 32;

inline void copyPixel(const std::uint8_t* from, std::uint8_t* to)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Copies a pixel as four bytes: the fourth lands where the next pixel of the
// row goes, which is written after it. Needs one readable byte after `from`.
inline void copyPixelWide(const std::uint8_t* from, std::uint8_t* to)
{
    std::uint32_t word;
    std::memcpy(&word, from, 4);
    std::memcpy(to, &word, 4);
}

}  // namespace

void turnPixels(const std::uint8_t* source, std::size_t sourceStride, int width, int height, int turns,
                std::uint8_t* targetFirst, std::ptrdiff_t targetStep)
{
    const auto at = [&](int x, int y) { return source + std::size_t(y) * sourceStride + std::size_t(x) * 3; };
    const auto row = [&](int y) { return targetFirst + std::ptrdiff_t(y) * targetStep; };
    switch (turns & 3) {
    case 0:
        for (int y = 0; y < height; ++y)
            std::memcpy(row(y), at(0, y), std::size_t(width) * 3);
        return;
    case 2:
        for (int y = 0; y < height; ++y) {
            std::uint8_t* out = row(y);
            const std::uint8_t* in = at(width - 1, height - 1 - y);
            for (int x = 0; x < width; ++x, out += 3, in -= 3)
                copyPixel(in, out);
        }
        return;
    default:
        break;
    }
    // A quarter turn: the target is height wide and width high. Pixels go
    // out four bytes wide except the last of each row, whose fourth byte
    // would land outside the row.
    const bool right = (turns & 3) == 1;
    // Along a target row the source steps a row up (right turn) or down.
    const std::ptrdiff_t sourceStep = right ? -std::ptrdiff_t(sourceStride) : std::ptrdiff_t(sourceStride);
    const auto sourceOf = [&](int x, int y) { return right ? at(y, height - 1 - x) : at(width - 1 - y, x); };
    for (int ty = 0; ty < width; ty += kTile)
        for (int tx = 0; tx < height; tx += kTile) {
            const int xEnd = std::min(tx + kTile, height);
            const int wideEnd = std::min(xEnd, height - 1);
            for (int y = ty; y < std::min(ty + kTile, width); ++y) {
                std::uint8_t* out = row(y) + std::size_t(tx) * 3;
                const std::uint8_t* in = sourceOf(tx, y);
                for (int x = tx; x < wideEnd; ++x, out += 3, in += sourceStep)
                    copyPixelWide(in, out);
                if (wideEnd < xEnd)
                    copyPixel(in, out);
            }
        }
}

}  // namespace qm::device::imaging
