#include "device/imaging/pixels/resample.h"

#include <algorithm>

#include "device/imaging/pixels/resample_rows.h"
#include "device/imaging/simd/code_path.h"

namespace qm::device::imaging {

namespace {

constexpr std::size_t kGroupBytes = 8;
constexpr std::uint8_t kZeroLane = 0x80;

}  // namespace

std::vector<Taps> interpolationTaps(int sourceSize, int targetSize)
{
    std::vector<Taps> taps(std::size_t(std::max(targetSize, 0)));
    if (sourceSize <= 0 || targetSize <= 0)
        return taps;
    const auto scale = float(16. * double(float(sourceSize)) / double(float(targetSize)));
    for (int i = 0; i < targetSize; ++i) {
        const int position = int(scale * float(i));
        const int whole = std::min(position >> 4, sourceSize - 1);
        const int fraction = position & 0x0f;
        taps[std::size_t(i)] = {whole, whole < sourceSize - 1 ? whole + 1 : whole, 16 - fraction, fraction};
    }
    return taps;
}

RowTables RowTables::from(const std::vector<Taps>& columnTaps)
{
    RowTables tables;
    tables.columns = columnTaps;
    tables.targetBytes = columnTaps.size() * 3;
    const std::size_t groups = (tables.targetBytes + 2 * kGroupBytes - 1) / (2 * kGroupBytes) * 2;
    tables.base.assign(groups, 0);
    tables.firstMask.assign(groups * 16, kZeroLane);
    tables.secondMask.assign(groups * 16, kZeroLane);
    tables.firstWeight.assign(groups * kGroupBytes, 0);
    tables.secondWeight.assign(groups * kGroupBytes, 0);
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t firstByte = g * kGroupBytes;
        const std::size_t lastByte = std::min(firstByte + kGroupBytes, tables.targetBytes);
        if (firstByte >= lastByte)
            continue;
        std::size_t low = SIZE_MAX, high = 0;
        for (std::size_t b = firstByte; b < lastByte; ++b) {
            const Taps& t = columnTaps[b / 3];
            const std::size_t channel = b % 3;
            low = std::min({low, std::size_t(t.first) * 3 + channel, std::size_t(t.second) * 3 + channel});
            high = std::max({high, std::size_t(t.first) * 3 + channel, std::size_t(t.second) * 3 + channel});
        }
        if (high - low >= 16) {
            tables.vectorFits = false;
            continue;
        }
        tables.base[g] = std::uint32_t(low);
        for (std::size_t b = firstByte; b < lastByte; ++b) {
            const Taps& t = columnTaps[b / 3];
            const std::size_t channel = b % 3, lane = b - firstByte;
            tables.firstMask[g * 16 + 2 * lane] = std::uint8_t(std::size_t(t.first) * 3 + channel - low);
            tables.secondMask[g * 16 + 2 * lane] = std::uint8_t(std::size_t(t.second) * 3 + channel - low);
            tables.firstWeight[g * kGroupBytes + lane] = std::uint16_t(t.firstWeight);
            tables.secondWeight[g * kGroupBytes + lane] = std::uint16_t(t.secondWeight);
        }
    }
    return tables;
}

void interpolateRowScalar(const std::uint8_t* row, const RowTables& tables, std::uint16_t* out)
{
    for (std::size_t x = 0; x < tables.columns.size(); ++x) {
        const Taps& t = tables.columns[x];
        const std::uint8_t* first = row + std::size_t(t.first) * 3;
        const std::uint8_t* second = row + std::size_t(t.second) * 3;
        for (std::size_t c = 0; c < 3; ++c)
            out[3 * x + c] = std::uint16_t(t.firstWeight * first[c] + t.secondWeight * second[c]);
    }
}

void blendRowsScalar(const std::uint16_t* first, const std::uint16_t* second, int firstWeight, int secondWeight,
                     std::uint8_t* out, std::size_t bytes)
{
    for (std::size_t b = 0; b < bytes; ++b)
        out[b] = std::uint8_t((firstWeight * first[b] + secondWeight * second[b] + 128) >> 8);
}

#if !defined(__x86_64__)
void interpolateRowAvx2(const std::uint8_t* row, const RowTables& tables, std::uint16_t* out)
{
    interpolateRowScalar(row, tables, out);
}
void blendRowsAvx2(const std::uint16_t* first, const std::uint16_t* second, int firstWeight, int secondWeight,
                   std::uint8_t* out, std::size_t bytes)
{
    blendRowsScalar(first, second, firstWeight, secondWeight, out, bytes);
}
#endif

void resample(const std::uint8_t* source, std::size_t sourceStride, const std::vector<Taps>& columnTaps,
              const std::vector<Taps>& rowTaps, std::uint8_t* targetFirst, std::ptrdiff_t targetStep)
{
    const RowTables tables = RowTables::from(columnTaps);
    const bool vector = activeCodePath() == CodePath::Avx2;
    const auto interpolate = vector && tables.vectorFits ? interpolateRowAvx2 : interpolateRowScalar;
    const auto blend = vector ? blendRowsAvx2 : blendRowsScalar;

    // Two interpolated source rows, kept while consecutive target rows use them.
    const std::size_t width = tables.groups() * kGroupBytes;
    std::vector<std::uint16_t> rows(2 * width);
    int held[2] = {-1, -1};
    const auto slotOf = [&](int sourceRow) { return held[0] == sourceRow ? 0 : held[1] == sourceRow ? 1 : -1; };
    const auto fill = [&](int slot, int sourceRow) {
        held[slot] = sourceRow;
        interpolate(source + std::size_t(sourceRow) * sourceStride, tables, rows.data() + std::size_t(slot) * width);
    };

    for (std::size_t y = 0; y < rowTaps.size(); ++y) {
        const Taps& t = rowTaps[y];
        int first = slotOf(t.first);
        if (first < 0) {
            first = slotOf(t.second) == 0 ? 1 : 0;
            fill(first, t.first);
        }
        int second = slotOf(t.second);
        if (second < 0) {
            second = 1 - first;
            fill(second, t.second);
        }
        blend(rows.data() + std::size_t(first) * width, rows.data() + std::size_t(second) * width, t.firstWeight,
              t.secondWeight, targetFirst + std::ptrdiff_t(y) * targetStep, tables.targetBytes);
    }
}

}  // namespace qm::device::imaging
