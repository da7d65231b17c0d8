#include "videodriver/camera/video_formats.h"

#include <array>

#include "videodriver/camera/device_properties.h"

namespace qm::morvax {

namespace {

constexpr LONGLONG kFastestFrameInterval = 333667;     // 100-ns units: 29.97 frames per second
constexpr LONGLONG kSlowestFrameInterval = 640000000;  // 64 seconds
constexpr LONG kFramesPerSecond = 30;

struct FrameSize {
    LONG width;
    LONG height;
};
constexpr std::array<FrameSize, kSizeCount> kFrameSizes = {{{160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}}};

KS_DATARANGE_VIDEO makeFormat(const GUID& subtype, DWORD compression, WORD bitCount, FrameSize size)
{
    const ULONG imageSize = ULONG(size.width * size.height * 3);
    KS_DATARANGE_VIDEO range{};
    range.DataRange.FormatSize = sizeof(KS_DATARANGE_VIDEO);
    range.DataRange.Flags = 0;
    range.DataRange.SampleSize = imageSize;
    range.DataRange.MajorFormat = KSDATAFORMAT_TYPE_VIDEO;
    range.DataRange.SubFormat = subtype;
    range.DataRange.Specifier = KSDATAFORMAT_SPECIFIER_VIDEOINFO;
    range.bFixedSizeSamples = TRUE;
    range.bTemporalCompression = TRUE;
    range.StreamDescriptionFlags = 0;
    range.MemoryAllocationFlags = 0;

    KS_VIDEO_STREAM_CONFIG_CAPS& caps = range.ConfigCaps;
    caps.guid = KSDATAFORMAT_SPECIFIER_VIDEOINFO;
    caps.VideoStandard = KS_AnalogVideo_None;
    caps.InputSize = {size.width, size.height};
    caps.MinCroppingSize = caps.MaxCroppingSize = caps.InputSize;
    caps.CropGranularityX = 16;
    caps.CropGranularityY = 1;
    caps.MinOutputSize = caps.MaxOutputSize = caps.InputSize;
    caps.OutputGranularityX = 16;
    caps.OutputGranularityY = 1;
    caps.MinFrameInterval = kFastestFrameInterval;
    caps.MaxFrameInterval = kSlowestFrameInterval;
    caps.MinBitsPerSecond = caps.MaxBitsPerSecond = size.width * size.height * 24 * kFramesPerSecond;

    KS_VIDEOINFOHEADER& info = range.VideoInfoHeader;
    info.dwBitRate = DWORD(imageSize * kFramesPerSecond);
    info.dwBitErrorRate = 0;
    info.AvgTimePerFrame = kFastestFrameInterval;
    info.bmiHeader.biSize = sizeof(KS_BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = compression;
    info.bmiHeader.biSizeImage = imageSize;
    return range;
}

std::array<KS_DATARANGE_VIDEO, kCaptureFormatCount> makeFormatTable()
{
    std::array<KS_DATARANGE_VIDEO, kCaptureFormatCount> table{};
    for (ULONG size = 0; size < kSizeCount; ++size) {
        table[size] = makeFormat(MEDIASUBTYPE_RGB24, KS_BI_RGB, 24, kFrameSizes[size]);
        table[kSizeCount + size] = makeFormat(MEDIASUBTYPE_MJPG, kCompressionMjpg, 16, kFrameSizes[size]);
    }
    return table;
}

std::array<KS_DATARANGE_VIDEO, kCaptureFormatCount> g_formatTable = makeFormatTable();

PKSDATAFORMAT formatEntry(ULONG index) { return &g_formatTable[index].DataRange; }

// Stream 0's list is rebuilt from the table at every stream-information request.
std::array<PKSDATAFORMAT, kCaptureFormatCount> g_captureFormats = [] {
    std::array<PKSDATAFORMAT, kCaptureFormatCount> list{};
    for (ULONG i = 0; i < kCaptureFormatCount; ++i)
        list[i] = formatEntry(i);
    return list;
}();
std::array<PKSDATAFORMAT, kStillFormatCount> g_stillFormats = {formatEntry(kSizeCount + kSize640x480)};

// The two stream property sets: allocator framing and dropped frames.
constexpr KSPROPERTY_ITEM kConnectionProperties[] = {
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_CONNECTION_ALLOCATORFRAMING, TRUE, sizeof(KSPROPERTY),
                           sizeof(KSALLOCATOR_FRAMING), FALSE),
};
constexpr KSPROPERTY_ITEM kDroppedFramesProperties[] = {
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_DROPPEDFRAMES_CURRENT, TRUE, sizeof(KSPROPERTY_DROPPEDFRAMES_CURRENT_S),
                           sizeof(KSPROPERTY_DROPPEDFRAMES_CURRENT_S), FALSE),
};
constexpr KSPROPERTY_SET kStreamPropertySets[] = {
    DEFINE_KSPROPERTY_SET(&KSPROPSETID_Connection, 1, kConnectionProperties),
    DEFINE_KSPROPERTY_SET(&PROPSETID_VIDCAP_DROPPEDFRAMES, 1, kDroppedFramesProperties),
};
constexpr ULONG kStreamPropertySetCount = 2;

constexpr GUID kCategories[] = {KSCATEGORY_VIDEO, KSCATEGORY_CAPTURE};
constexpr KSTOPOLOGY kTopology = {2, kCategories, 0, nullptr, 0, nullptr, nullptr, 0};

const KSPIN_MEDIUM kStandardMedium = [] {
    KSPIN_MEDIUM medium{};
    medium.Set = KSMEDIUMSETID_Standard;
    medium.Id = 0;
    medium.Flags = 0;
    return medium;
}();

void fillStreamInformation(HW_STREAM_INFORMATION* info, ULONG streamNumber)
{
    *info = HW_STREAM_INFORMATION{};
    info->NumberOfPossibleInstances = 1;
    info->DataFlow = KSPIN_DATAFLOW_OUT;
    info->DataAccessible = TRUE;
    info->StreamFormatsArray = streamFormats(streamNumber, &info->NumberOfFormatArrayEntries);
    info->NumStreamPropArrayEntries = kStreamPropertySetCount;
    info->StreamPropertiesArray = kStreamPropertySets;
    info->NumStreamEventArrayEntries = 0;
    info->StreamEventsArray = nullptr;
    info->Category = streamNumber == kCaptureStream ? &PINNAME_VIDEO_CAPTURE : &PINNAME_VIDEO_STILL;
    info->Name = info->Category;
    info->MediumsCount = 1;
    info->Mediums = &kStandardMedium;
    info->BridgeStream = FALSE;
}

}  // namespace

const KS_DATARANGE_VIDEO& videoFormat(ULONG index) { return g_formatTable[index]; }

PKSDATAFORMAT* streamFormats(ULONG streamNumber, PULONG count)
{
    switch (streamNumber) {
    case kCaptureStream:
        *count = kCaptureFormatCount;
        return g_captureFormats.data();
    case kStillStream:
        *count = kStillFormatCount;
        return g_stillFormats.data();
    default:
        *count = 0;
        return nullptr;
    }
}

void applyDefaultFormatOrder(ULONG defaultVidFormat)
{
    const ULONG first = defaultVidFormat < kSizeCount ? defaultVidFormat : kSize640x480;
    for (ULONG group = 0; group < kCaptureFormatCount; group += kSizeCount) {
        ULONG slot = group;
        g_captureFormats[slot++] = formatEntry(group + first);
        for (ULONG size = 0; size < kSizeCount; ++size)
            if (size != first)
                g_captureFormats[slot++] = formatEntry(group + size);
    }
}

void MORVAX_AdapterStreamInfo(PHW_STREAM_REQUEST_BLOCK srb, MorvaxContext* context)
{
    applyDefaultFormatOrder(context->DefaultVidFormat);
    PHW_STREAM_DESCRIPTOR descriptor = srb->CommandData.StreamBuffer;
    HW_STREAM_HEADER& header = descriptor->StreamHeader;
    header = HW_STREAM_HEADER{};
    header.NumberOfStreams = kStreamCount;
    header.SizeOfHwStreamInformation = sizeof(HW_STREAM_INFORMATION);
    header.NumDevPropArrayEntries = AdapterGetNumberOfPropertySet();
    header.DevicePropertiesArray = AdapterGetPropertyTable();
    header.Topology = &kTopology;

    // The stream records follow the header one after the other.
    auto* records = reinterpret_cast<PUCHAR>(&descriptor->StreamInfo);
    for (ULONG stream = 0; stream < kStreamCount; ++stream)
        fillStreamInformation(reinterpret_cast<HW_STREAM_INFORMATION*>(records + stream * sizeof(HW_STREAM_INFORMATION)),
                              stream);
    srb->Status = STATUS_SUCCESS;
}

}  // namespace qm::morvax
