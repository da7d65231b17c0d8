// The engine's side of the camera's frame format. A frame arrives as
//
//   [512-byte FF E1 segment]  Q  P[L-1]  P[L-2]  0  payload ...  n (16-bit)
//
// where the 16-bit trailer displaced the payload's last two bytes into the
// frame header. The fix-up puts them back over the trailer and writes the
// frame length L into header bytes 1..3, so the camera layer finds
// "Q, L (24-bit little-endian), scan data" at the header.
#pragma once

#include "platform/kernel/nt_types.h"

namespace qm::morvax {

using namespace qm::kernel;

inline constexpr ULONG kFrameHeaderBytes = 4;
inline constexpr ULONG kAppSegmentBytes = 512;
// Lengths of 614,400 bytes or more are flagged with FF in header byte 1.
inline constexpr ULONG kOversizeFrameLength = 614400;

// Offset of the frame header: 512 when the frame begins with an FF E1
// segment, else 0.
ULONG frameHeaderOffset(const UCHAR* raw, ULONG bytesReceived);

// Fixes up a frame of `frameLength` bytes of which `bytesReceived` are in
// `raw`. Refuses (FALSE, nothing written) a frame whose length does not
// match what arrived or that is too short to hold its header, so a bad
// length from the camera can never make it write outside the frame.
BOOLEAN fixUpFrameHeader(PUCHAR raw, ULONG bytesReceived, ULONG frameLength);

}  // namespace qm::morvax
