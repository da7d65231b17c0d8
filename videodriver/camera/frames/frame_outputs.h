// What one finished frame becomes: a 24-bit bottom-up bitmap (the RGB24
// formats), a complete JPEG file (the MJPG formats) or a stored picture as
// a JPEG file (the still pin). Each returns the bytes it put in the output
// buffer, 0 when the frame yields nothing. Passive level, one frame at a
// time (the engine's channel semaphore).
#pragma once

#include "videodriver/camera/frames/raw_frame.h"

namespace qm::morvax {

// The output buffer the engine gives a frame.
struct FrameOutput {
    PUCHAR buffer = nullptr;
    ULONG size = 0;
};

// The read's own raw buffer: the RGB24 path assembles its JPEG there, in
// the 609 bytes reserved in front of the raw data pointer.
struct RawBuffer {
    PUCHAR start = nullptr;
    ULONG size = 0;
};

ULONG rgb24Output(MorvaxContext* context, const RawFrame& frame, const RawBuffer& raw, const FrameOutput& out,
                  ULONG samplingType);
ULONG mjpgOutput(MorvaxContext* context, const RawFrame& frame, const FrameOutput& out, ULONG samplingType);
ULONG stillOutput(MorvaxContext* context, const RawFrame& frame, const FrameOutput& out);

// Marks a decoded RGB24 frame while the snapshot button was seen (bit 0 of
// its first byte, three frames long) and then records the press.
void markSnapshotButton(MorvaxContext* context, const FrameOutput& out);

// The exposure and white-balance schedule, once per video frame.
void runFrameSchedule(MorvaxContext* context);

}  // namespace qm::morvax
