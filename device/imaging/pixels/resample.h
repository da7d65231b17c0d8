// The imaging library's linear interpolation of 24-bit pictures, byte for
// byte: every target sample is (w00 p00 + w01 p01 + w10 p10 + w11 p11 + 128)
// >> 8 with weights in sixteenths of a pixel. The weights factor into a
// row tap and a column tap, so the picture is interpolated along its rows
// first and then between two such rows; the integers are the same. Taps
// may run backwards, which turns the picture as it is resized.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::device::imaging {

// One target position: two source positions and their weights (sum 16).
struct Taps {
    int first = 0;
    int second = 0;
    int firstWeight = 16;
    int secondWeight = 0;
};

// Positions of `targetSize` samples scaled from `sourceSize`, computed as
// the imaging library computes them (in sixteenths, single precision; the
// last source sample stands in for the one beyond it).
std::vector<Taps> interpolationTaps(int sourceSize, int targetSize);

// Interpolates target row y from source rows rowTaps[y] and target column x
// from source columns columnTaps[x]. Source rows are `sourceStride` bytes
// apart, and 16 readable bytes must follow the last source row. Target row
// y is written at targetFirst + y * targetStep, exactly columnTaps.size() x 3
// bytes.
void resample(const std::uint8_t* source, std::size_t sourceStride, const std::vector<Taps>& columnTaps,
              const std::vector<Taps>& rowTaps, std::uint8_t* targetFirst, std::ptrdiff_t targetStep);

// Bytes a source buffer needs after its last row for resample().
inline constexpr std::size_t kResampleSlack = 16;

}  // namespace qm::device::imaging
