// Finished frames as the engine hands them to MORVAX_ProcessRawVideoFrame:
// the camera's bytes for one frame in a read's raw buffer (609 bytes in),
// with the engine's header fix-up applied.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax::test {

inline constexpr ULONG kRawBufferSize = 614400;
inline constexpr ULONG kRawReserve = 609;

struct RawRead {
    std::vector<UCHAR> buffer = std::vector<UCHAR>(kRawBufferSize, 0xEE);
    ULONG received = 0;

    PUCHAR data() { return buffer.data() + kRawReserve; }
};

// The frame of a video scan (or a stored picture, with or without the
// camera's FF E1 segment and its table index) after the engine's fix-up.
RawRead videoFrame(std::uint8_t quality, std::span<const std::uint8_t> scan);
RawRead stillFrame(std::uint8_t quality, std::span<const std::uint8_t> scan, bool appSegment,
                   std::uint16_t pictureIndex);

// Runs the frame through MORVAX_ProcessRawVideoFrame into `output`.
struct Converted {
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    ULONG bytes = 0;
};
Converted convertFrame(MorvaxContext* context, RawRead& read, std::vector<UCHAR>& output, ULONG frameValid = 1);

}  // namespace qm::morvax::test
