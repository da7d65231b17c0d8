// Matching proposed formats and ranges against the published formats.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// TRUE when major format, subformat and specifier agree and, when asked,
// the format sizes too.
BOOLEAN AdapterCompareGUIDsAndFormatSize(const KSDATARANGE* range, const KSDATAFORMAT* candidate,
                                         BOOLEAN compareFormatSize);

// TRUE when some format of the stream has the proposed format's GUIDs and
// the proposal is a VIDEOINFO format. Reports whether the proposed bitmap
// header's biClrImportant is 1.
BOOLEAN AdapterVerifyFormat(const KS_DATAFORMAT_VIDEOINFOHEADER* format, ULONG streamNumber,
                            PBOOLEAN clrImportantIsOne);

// SRB_GET_DATA_INTERSECTION: the format for a caller's range, or its size.
NTSTATUS AdapterFormatFromRange(PHW_STREAM_REQUEST_BLOCK srb);

// Bytes of a VIDEOINFO format for a range whose bitmap header is biSize long.
inline constexpr ULONG kVideoInfoPrefixBytes = offsetof(KS_VIDEOINFOHEADER, bmiHeader);

}  // namespace qm::morvax
