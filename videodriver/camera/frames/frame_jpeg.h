// The pieces every output shares: the frame's JPEG header (a copy of the
// device's template, patched for this frame), the decoder call, and the
// copy of a good frame kept for a software snapshot.
#pragma once

#include "videodriver/camera/frames/raw_frame.h"

namespace qm::morvax {

// Writes the 613-byte header for `frame` at `out`; false when the device
// has no template.
bool writeFrameHeader(const MorvaxContext* context, PUCHAR out, const RawFrame& frame, ULONG samplingType);

// Decodes a JPEG of `length` bytes into a bottom-up bitmap of the stream's
// size; false (and the driver's decode-error flag set) for anything else.
bool decodeFrame(const MorvaxContext* context, const UCHAR* jpeg, ULONG length, PUCHAR out, ULONG outSize);

// Keeps `total` bytes of an assembled JPEG (of which `available` are in
// `jpeg`, the rest zeros) as the last frame and answers a pending software
// snapshot; a frame the buffer cannot hold leaves the request pending.
void keepLastFrame(MorvaxContext* context, const UCHAR* jpeg, ULONG available, ULONG total);

}  // namespace qm::morvax
