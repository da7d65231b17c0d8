// A plain per-pixel statement of the 4:1:1 conversion, for checking the
// table-driven row converter: chroma interpolated from the group's own and
// the next group's sample, then the BT.601 studio-range products, each
// floored, saturated and stored B, G, R.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm::morvax::test {

inline std::int64_t floorShift16(std::int64_t value)
{
    // Floor division by 65,536, written without relying on shifts.
    return value >= 0 ? value / 65536 : -((-value + 65535) / 65536);
}

inline std::vector<std::uint8_t> referenceYuv411Row(const std::vector<std::uint8_t>& y,
                                                    const std::vector<std::uint8_t>& cb,
                                                    const std::vector<std::uint8_t>& cr, std::size_t width)
{
    std::vector<std::uint8_t> bgr(width * 3);
    const std::size_t groups = (width + 3) / 4;
    for (std::size_t x = 0; x < width; ++x) {
        const std::size_t g = x / 4;
        const std::size_t next = std::min(g + 1, groups - 1);
        const int weightNext = int(x % 4);  // quarters of the way to the next group
        auto chroma = [&](const std::vector<std::uint8_t>& plane) {
            // (own x (4 - w) + next x w) / 4, rounded half up
            const int sum = plane[g] * (4 - weightNext) + plane[next] * weightNext;
            return (sum + 2) / 4;
        };
        const std::int64_t u = chroma(cb), v = chroma(cr);
        const std::int64_t luma = floorShift16(76283LL * y[x] - 1220528);
        const std::int64_t r = luma + floorShift16(104595 * v - 13388160);
        const std::int64_t gr = luma - floorShift16(25690 * u - 3288320) - floorShift16(53280 * v - 6819840);
        const std::int64_t b = luma + floorShift16(132186 * u - 16919808);
        auto clamp = [](std::int64_t c) { return std::uint8_t(std::clamp<std::int64_t>(c, 0, 255)); };
        bgr[x * 3] = clamp(b);
        bgr[x * 3 + 1] = clamp(gr);
        bgr[x * 3 + 2] = clamp(r);
    }
    return bgr;
}

}  // namespace qm::morvax::test
