// The streams and video formats the driver publishes: the capture pin with
// RGB24 and MJPG at five sizes and the still pin with 640 x 480 MJPG.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

inline constexpr ULONG kStreamCount = 2;
inline constexpr ULONG kCaptureStream = 0;
inline constexpr ULONG kStillStream = 1;
inline constexpr ULONG kCaptureFormatCount = 10;
inline constexpr ULONG kStillFormatCount = 1;

inline constexpr GUID MEDIASUBTYPE_MJPG{0x47504A4D, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The format table in its fixed order: RGB24 at the five sizes, then MJPG.
const KS_DATARANGE_VIDEO& videoFormat(ULONG index);

// The formats a stream publishes right now, in order (stream 0 follows the
// default format order); null for a stream that does not exist.
PKSDATAFORMAT* streamFormats(ULONG streamNumber, PULONG count);

// Puts the size named by DefaultVidFormat first in both groups of stream 0.
void applyDefaultFormatOrder(ULONG defaultVidFormat);

// SRB_GET_STREAM_INFO: fills the stream header and both stream records.
void MORVAX_AdapterStreamInfo(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context);

// Bytes the stream class must give the stream descriptor.
inline constexpr ULONG kStreamDescriptorSize =
    ULONG(sizeof(HW_STREAM_HEADER) + kStreamCount * sizeof(HW_STREAM_INFORMATION));

}  // namespace qm::morvax
