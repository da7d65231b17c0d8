#include "videodriver/jpeg/yuv411_color.h"

#include <algorithm>

namespace qm::morvax {

namespace {

std::uint8_t saturate(std::int32_t value) { return std::uint8_t(std::clamp(value, 0, 255)); }

void putPixel(const Yuv411Tables& t, std::uint8_t y, unsigned cb, unsigned cr, std::uint8_t* bgr)
{
    const std::int32_t luma = t.luma[y];
    bgr[0] = saturate(luma + t.cbToBlue[cb]);
    bgr[1] = saturate(luma - t.cbToGreen[cb] - t.crToGreen[cr]);
    bgr[2] = saturate(luma + t.crToRed[cr]);
}

// The chroma of the four pixels of a group: its own sample, then 3:1, 1:1
// and 1:3 toward the next group's.
struct GroupChroma {
    unsigned value[4];
};

GroupChroma interpolate(unsigned own, unsigned next)
{
    return {{own, (3 * own + next + 2) >> 2, (own + next + 1) >> 1, (own + 3 * next + 2) >> 2}};
}

}  // namespace

void setTableMMX(Yuv411Tables& tables)
{
    // Right shifts of negative products round toward minus infinity.
    for (std::int32_t i = 0; i < 256; ++i) {
        const auto k = std::size_t(i);
        tables.luma[k] = (76283 * i - 1220528) >> 16;
        tables.crToRed[k] = (104595 * i - 13388160) >> 16;
        tables.cbToGreen[k] = (25690 * i - 3288320) >> 16;
        tables.crToGreen[k] = (53280 * i - 6819840) >> 16;
        tables.cbToBlue[k] = (132186 * i - 16919808) >> 16;
    }
}

const Yuv411Tables& yuv411Tables()
{
    static const Yuv411Tables tables = [] {
        Yuv411Tables built{};
        setTableMMX(built);
        return built;
    }();
    return tables;
}

void yuv411torgbMMX(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr,
                    std::uint32_t width)
{
    const Yuv411Tables& t = yuv411Tables();
    const std::uint32_t groups = (width + 3) / 4;
    for (std::uint32_t g = 0; g < groups; ++g) {
        const std::uint32_t next = g + 1 < groups ? g + 1 : g;
        const GroupChroma blue = interpolate(cb[g], cb[next]);
        const GroupChroma red = interpolate(cr[g], cr[next]);
        const std::uint32_t first = g * 4;
        const std::uint32_t count = std::min<std::uint32_t>(4, width - first);
        for (std::uint32_t i = 0; i < count; ++i)
            putPixel(t, y[first + i], blue.value[i], red.value[i], bgr + std::size_t(first + i) * 3);
    }
}

}  // namespace qm::morvax
