// A finished frame as the engine hands it to the camera layer, at the read's
// raw data pointer (after the engine's fix-up):
//
//   [512-byte FF E1 segment]   still pictures only
//   Q                          the quality byte the camera used
//   L                          24-bit little-endian: the frame's bytes, the
//                              segment and these four header bytes included
//   scan data                  entropy-coded, up to the end of the frame
//
// The outputs are L + 613 bytes long (the 613-byte header in front of the
// bytes from the header on); the four bytes they take past the frame's end
// are written as zeros, never read from behind the data that arrived.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

struct RawFrame {
    PUCHAR data = nullptr;  // the raw data pointer
    ULONG received = 0;     // bytes that arrived there
    ULONG headerOffset = 0; // 0, or 512 behind an FF E1 segment
    UCHAR quality = 0;      // Q
    ULONG length = 0;       // L, checked against `received`
};

// Reads Q and L and checks them against the bytes that arrived; a frame
// whose header claims more than arrived, or too little to hold anything, is
// refused. FF E1 segments are recognised only in still mode, and their
// first four bytes are then restored to FF E1 01 FE.
bool readRawFrame(PUCHAR data, ULONG received, bool stillMode, RawFrame& frame);

// Copies `count` bytes of the frame from `offset` (relative to the raw data
// pointer) to `out`; bytes past what arrived are written as zeros.
void copyFrameBytes(const RawFrame& frame, ULONG offset, PUCHAR out, ULONG count);

}  // namespace qm::morvax
