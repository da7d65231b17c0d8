// The luminance the loop works on: the camera's 8 x 8 grid of cell
// averages (80 x 60 output pixels each), weighted towards the middle and
// bottom of the picture, where the subject usually is.
#include "videodriver/camera/register_shadow.h"
#include "videodriver/exposure/auto_exposure.h"
#include "videodriver/exposure/exposure_registers.h"

namespace qm::morvax {

namespace {

// Cells this bright count as no brighter: a lamp in the picture must not
// darken everything else.
constexpr ULONG kCellCeiling = 0x90;
constexpr ULONG kGridSide = 8;
// The weighted sums are scaled so that cells of 75 average to 128.
constexpr ULONG kCellScale = 75;

// The top-left 4 x 4 cells cover 320 x 240 and 352 x 288 frames.
constexpr UCHAR kSifWeights[4][4] = {{1, 6, 6, 1}, {6, 11, 11, 6}, {6, 12, 12, 6}, {10, 12, 12, 10}};
constexpr UCHAR kVgaWeights[8][8] = {
    {0, 0, 1, 1, 1, 1, 0, 0}, {0, 1, 2, 2, 2, 2, 1, 0}, {1, 2, 2, 3, 3, 2, 2, 1}, {1, 2, 3, 3, 3, 3, 2, 1},
    {1, 2, 3, 3, 3, 3, 2, 1}, {1, 2, 3, 3, 3, 3, 2, 1}, {2, 2, 3, 3, 3, 3, 2, 2}, {3, 3, 3, 3, 3, 3, 3, 3},
};

template <ULONG Side>
ULONG weightedAverage(const ULONG (&cells)[kGridSide][kGridSide], const UCHAR (&weights)[Side][Side])
{
    ULONG sum = 0;
    ULONG weightSum = 0;
    for (ULONG row = 0; row < Side; ++row)
        for (ULONG column = 0; column < Side; ++column) {
            sum += cells[row][column] * weights[row][column];
            weightSum += weights[row][column];
        }
    return sum * 128 / (weightSum * kCellScale);
}

}  // namespace

BOOLEAN getLumAverage(MorvaxContext* context, PULONG average)
{
    if (!NT_SUCCESS(DR_ReadRegister(context, kLuminanceGridRegister, kLuminanceGridCells)))
        return FALSE;
    ULONG cells[kGridSide][kGridSide];
    for (ULONG i = 0; i < kLuminanceGridCells; ++i) {
        const ULONG cell = DR_GetRegister(USHORT(kLuminanceGridRegister + i));
        cells[i / kGridSide][i % kGridSide] = cell < kCellCeiling ? cell : kCellCeiling;
    }
    switch (context->Width) {
    case 160:
    case 176:
        // Small frames fill only the top-left 2 x 2 cells.
        *average = (cells[0][0] + cells[0][1] + cells[1][0] + cells[1][1]) * 32 / kCellScale;
        break;
    case 320:
    case 352:
        *average = weightedAverage(cells, kSifWeights);
        break;
    default:
        *average = weightedAverage(cells, kVgaWeights);
        break;
    }
    return TRUE;
}

}  // namespace qm::morvax
