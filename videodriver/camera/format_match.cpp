#include "videodriver/camera/format_match.h"

#include <cstdlib>

#include "videodriver/camera/video_formats.h"

namespace qm::morvax {

namespace {

bool rangesMatch(const KS_DATARANGE_VIDEO& ours, const KS_DATARANGE_VIDEO& theirs)
{
    return ours.bFixedSizeSamples == theirs.bFixedSizeSamples &&
           ours.bTemporalCompression == theirs.bTemporalCompression &&
           ours.StreamDescriptionFlags == theirs.StreamDescriptionFlags &&
           ours.MemoryAllocationFlags == theirs.MemoryAllocationFlags &&
           RtlCompareMemory(&ours.ConfigCaps, &theirs.ConfigCaps, sizeof(KS_VIDEO_STREAM_CONFIG_CAPS)) ==
               sizeof(KS_VIDEO_STREAM_CONFIG_CAPS);
}

// Bytes of one image row, padded to 32 bits, times the rows.
ULONG imageBytes(const KS_BITMAPINFOHEADER& bitmap)
{
    const ULONG stride = ((ULONG(bitmap.biWidth) * bitmap.biBitCount + 31) / 32) * 4;
    return ULONG(std::labs(bitmap.biHeight)) * stride;
}

}  // namespace

BOOLEAN AdapterCompareGUIDsAndFormatSize(const KSDATARANGE* range, const KSDATAFORMAT* candidate,
                                         BOOLEAN compareFormatSize)
{
    return IsEqualGUID(range->MajorFormat, candidate->MajorFormat) &&
           IsEqualGUID(range->SubFormat, candidate->SubFormat) &&
           IsEqualGUID(range->Specifier, candidate->Specifier) &&
           (!compareFormatSize || range->FormatSize == candidate->FormatSize);
}

BOOLEAN AdapterVerifyFormat(const KS_DATAFORMAT_VIDEOINFOHEADER* format, ULONG streamNumber,
                            PBOOLEAN clrImportantIsOne)
{
    if (clrImportantIsOne != nullptr)
        *clrImportantIsOne = format->VideoInfoHeader.bmiHeader.biClrImportant == 1;
    ULONG count = 0;
    PKSDATAFORMAT* formats = streamFormats(streamNumber, &count);
    if (formats == nullptr)
        return FALSE;
    for (ULONG i = 0; i < count; ++i) {
        if (AdapterCompareGUIDsAndFormatSize(formats[i], &format->DataFormat, FALSE) &&
            IsEqualGUID(format->DataFormat.Specifier, KSDATAFORMAT_SPECIFIER_VIDEOINFO))
            return TRUE;
    }
    return FALSE;
}

NTSTATUS AdapterFormatFromRange(PHW_STREAM_REQUEST_BLOCK srb)
{
    PSTREAM_DATA_INTERSECT_INFO intersect = srb->CommandData.IntersectInfo;
    ULONG count = 0;
    PKSDATAFORMAT* formats = streamFormats(intersect->StreamNumber, &count);
    if (formats == nullptr)
        return STATUS_NOT_IMPLEMENTED;
    const bool sizeOnly = intersect->SizeOfDataFormatBuffer == sizeof(ULONG);
    const KSDATARANGE* theirs = intersect->DataRange;
    if (theirs == nullptr)
        return STATUS_INVALID_PARAMETER;

    const KS_DATARANGE_VIDEO* match = nullptr;
    for (ULONG i = 0; i < count && match == nullptr; ++i) {
        const auto* ours = reinterpret_cast<const KS_DATARANGE_VIDEO*>(formats[i]);
        // Equal format sizes come first, so the rest of the caller's range is there to compare.
        if (AdapterCompareGUIDsAndFormatSize(&ours->DataRange, theirs, TRUE) &&
            rangesMatch(*ours, *reinterpret_cast<const KS_DATARANGE_VIDEO*>(theirs)))
            match = ours;
    }
    if (match == nullptr)
        return STATUS_NO_MATCH;
    if (!IsEqualGUID(match->DataRange.Specifier, KSDATAFORMAT_SPECIFIER_VIDEOINFO))
        return STATUS_NO_MATCH;

    const ULONG bitmapBytes = match->VideoInfoHeader.bmiHeader.biSize;
    const ULONG formatSize = sizeof(KSDATAFORMAT) + kVideoInfoPrefixBytes + bitmapBytes;
    if (sizeOnly) {
        if (intersect->DataFormatBuffer == nullptr)
            return STATUS_INVALID_PARAMETER;
        *static_cast<PULONG>(intersect->DataFormatBuffer) = formatSize;
        srb->ActualBytesTransferred = sizeof(ULONG);
        return STATUS_SUCCESS;
    }
    if (intersect->SizeOfDataFormatBuffer < formatSize || intersect->DataFormatBuffer == nullptr)
        return STATUS_BUFFER_TOO_SMALL;

    auto* format = static_cast<PKS_DATAFORMAT_VIDEOINFOHEADER>(intersect->DataFormatBuffer);
    RtlCopyMemory(&format->DataFormat, &match->DataRange, sizeof(KSDATAFORMAT));
    format->DataFormat.FormatSize = formatSize;
    RtlCopyMemory(&format->VideoInfoHeader, &match->VideoInfoHeader, kVideoInfoPrefixBytes + bitmapBytes);
    KS_BITMAPINFOHEADER& bitmap = format->VideoInfoHeader.bmiHeader;
    bitmap.biSizeImage = imageBytes(bitmap);
    format->DataFormat.SampleSize = bitmap.biSizeImage;
    srb->ActualBytesTransferred = formatSize;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
