// The row kernels of resample(), per code path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/imaging/pixels/resample.h"

namespace qm::device::imaging {

// Tables for interpolating along one row: for every group of 8 target
// bytes, where to load 16 source bytes, which of them feed each target byte
// (as 16-bit lanes) and with what weights.
struct RowTables {
    std::size_t targetBytes = 0;
    bool vectorFits = true;  // every group's sources lie within its 16 bytes
    std::vector<std::uint32_t> base;        // per group
    std::vector<std::uint8_t> firstMask;    // 16 per group
    std::vector<std::uint8_t> secondMask;   // 16 per group
    std::vector<std::uint16_t> firstWeight; // 8 per group
    std::vector<std::uint16_t> secondWeight;
    std::vector<Taps> columns;

    static RowTables from(const std::vector<Taps>& columnTaps);
    std::size_t groups() const { return base.size(); }
};

void interpolateRowScalar(const std::uint8_t* row, const RowTables& tables, std::uint16_t* out);
void blendRowsScalar(const std::uint16_t* first, const std::uint16_t* second, int firstWeight, int secondWeight,
                     std::uint8_t* out, std::size_t bytes);
void interpolateRowAvx2(const std::uint8_t* row, const RowTables& tables, std::uint16_t* out);
void blendRowsAvx2(const std::uint16_t* first, const std::uint16_t* second, int firstWeight, int secondWeight,
                   std::uint8_t* out, std::size_t bytes);

}  // namespace qm::device::imaging
