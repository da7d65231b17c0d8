// Video formats, frame information and the video capture property sets.
#pragma once

#include "platform/streamclass/ks.h"

namespace qm::streamclass {

constexpr DWORD MAKEFOURCC(char a, char b, char c, char d)
{
    return DWORD(UCHAR(a)) | DWORD(UCHAR(b)) << 8 | DWORD(UCHAR(c)) << 16 | DWORD(UCHAR(d)) << 24;
}

inline constexpr DWORD KS_BI_RGB = 0;

inline constexpr GUID KSDATAFORMAT_TYPE_VIDEO{0x73646976, 0x0000, 0x0010,
                                             {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID KSDATAFORMAT_SPECIFIER_VIDEOINFO{0x05589F80, 0xC356, 0x11CE,
                                                      {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
inline constexpr GUID MEDIASUBTYPE_RGB24{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID PINNAME_VIDEO_CAPTURE{0xFB6C4281, 0x0353, 0x11D1,
                                           {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PINNAME_VIDEO_STILL{0xFB6C428A, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PROPSETID_VIDCAP_VIDEOPROCAMP{0xC6E13360, 0x30AC, 0x11D0,
                                                   {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr GUID PROPSETID_VIDCAP_CAMERACONTROL{0xC6E13370, 0x30AC, 0x11D0,
                                                    {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr GUID PROPSETID_VIDCAP_VIDEOCONTROL{0x6A2E0670, 0x28E4, 0x11D0,
                                                   {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
inline constexpr GUID PROPSETID_VIDCAP_DROPPEDFRAMES{0xC6E13344, 0x30AC, 0x11D0,
                                                    {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};

struct KS_BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(KS_BITMAPINFOHEADER) == 40);

struct KS_VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    LONGLONG AvgTimePerFrame;  // 100-ns units
    KS_BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(KS_VIDEOINFOHEADER) == 88);
static_assert(offsetof(KS_VIDEOINFOHEADER, bmiHeader) == 48);
using PKS_VIDEOINFOHEADER = KS_VIDEOINFOHEADER*;

struct KS_VIDEO_STREAM_CONFIG_CAPS {
    GUID guid;
    ULONG VideoStandard;
    SIZE InputSize;
    SIZE MinCroppingSize;
    SIZE MaxCroppingSize;
    int CropGranularityX;
    int CropGranularityY;
    int CropAlignX;
    int CropAlignY;
    SIZE MinOutputSize;
    SIZE MaxOutputSize;
    int OutputGranularityX;
    int OutputGranularityY;
    int StretchTapsX;
    int StretchTapsY;
    int ShrinkTapsX;
    int ShrinkTapsY;
    LONGLONG MinFrameInterval;
    LONGLONG MaxFrameInterval;
    LONG MinBitsPerSecond;
    LONG MaxBitsPerSecond;
};
static_assert(sizeof(KS_VIDEO_STREAM_CONFIG_CAPS) == 128);

struct KS_DATARANGE_VIDEO {
    KSDATARANGE DataRange;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    DWORD StreamDescriptionFlags;
    DWORD MemoryAllocationFlags;
    KS_VIDEO_STREAM_CONFIG_CAPS ConfigCaps;
    KS_VIDEOINFOHEADER VideoInfoHeader;  // the bitmap header may run on (biSize)
};
static_assert(sizeof(KS_DATARANGE_VIDEO) == 296);
static_assert(offsetof(KS_DATARANGE_VIDEO, ConfigCaps) == 80);
using PKS_DATARANGE_VIDEO = KS_DATARANGE_VIDEO*;

struct KS_DATAFORMAT_VIDEOINFOHEADER {
    KSDATAFORMAT DataFormat;
    KS_VIDEOINFOHEADER VideoInfoHeader;
};
static_assert(sizeof(KS_DATAFORMAT_VIDEOINFOHEADER) == 152);
using PKS_DATAFORMAT_VIDEOINFOHEADER = KS_DATAFORMAT_VIDEOINFOHEADER*;

// What a video frame's extended stream header says about it.
struct KS_FRAME_INFO {
    ULONG ExtendedHeaderSize;
    DWORD dwFrameFlags;
    LONGLONG PictureNumber;
    LONGLONG DropCount;
    HANDLE hDirectDraw;
    HANDLE hSurfaceHandle;
    RECT DirectDrawRect;
    DWORD Reserved1;
    DWORD Reserved2;
    DWORD Reserved3;
    DWORD Reserved4;
};
using PKS_FRAME_INFO = KS_FRAME_INFO*;

inline constexpr DWORD KS_VIDEO_FLAG_FRAME = 0x0000;
inline constexpr DWORD KS_VIDEO_FLAG_FIELD1 = 0x0001;
inline constexpr DWORD KS_VIDEO_FLAG_FIELD2 = 0x0002;
inline constexpr DWORD KS_VIDEO_FLAG_I_FRAME = 0x0000;
inline constexpr DWORD KS_VIDEO_FLAG_P_FRAME = 0x0010;
inline constexpr DWORD KS_VIDEO_FLAG_B_FRAME = 0x0020;

inline constexpr ULONG KS_AnalogVideo_None = 0;

// VideoProcAmp.
enum KSPROPERTY_VIDCAP_VIDEOPROCAMP : ULONG {
    KSPROPERTY_VIDEOPROCAMP_BRIGHTNESS = 0,
    KSPROPERTY_VIDEOPROCAMP_CONTRAST = 1,
    KSPROPERTY_VIDEOPROCAMP_HUE = 2,
    KSPROPERTY_VIDEOPROCAMP_SATURATION = 3,
    KSPROPERTY_VIDEOPROCAMP_SHARPNESS = 4,
    KSPROPERTY_VIDEOPROCAMP_GAMMA = 5,
    KSPROPERTY_VIDEOPROCAMP_COLORENABLE = 6,
    KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE = 7,
    KSPROPERTY_VIDEOPROCAMP_BACKLIGHT_COMPENSATION = 8,
    KSPROPERTY_VIDEOPROCAMP_GAIN = 9,
};
inline constexpr ULONG KSPROPERTY_VIDEOPROCAMP_FLAGS_AUTO = 0x0001;
inline constexpr ULONG KSPROPERTY_VIDEOPROCAMP_FLAGS_MANUAL = 0x0002;

struct KSPROPERTY_VIDEOPROCAMP_S {
    KSPROPERTY Property;
    LONG Value;
    ULONG Flags;
    ULONG Capabilities;
};
static_assert(sizeof(KSPROPERTY_VIDEOPROCAMP_S) == 40);

// CameraControl.
inline constexpr ULONG KSPROPERTY_CAMERACONTROL_FLAGS_AUTO = 0x0001;
inline constexpr ULONG KSPROPERTY_CAMERACONTROL_FLAGS_MANUAL = 0x0002;

struct KSPROPERTY_CAMERACONTROL_S {
    KSPROPERTY Property;
    LONG Value;
    ULONG Flags;
    ULONG Capabilities;
};
static_assert(sizeof(KSPROPERTY_CAMERACONTROL_S) == 40);

// VideoControl.
enum KSPROPERTY_VIDCAP_VIDEOCONTROL : ULONG {
    KSPROPERTY_VIDEOCONTROL_CAPS = 0,
    KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE = 1,
    KSPROPERTY_VIDEOCONTROL_FRAME_RATES = 2,
    KSPROPERTY_VIDEOCONTROL_MODE = 3,
};
inline constexpr LONG KS_VideoControlFlag_FlipHorizontal = 0x0001;
inline constexpr LONG KS_VideoControlFlag_FlipVertical = 0x0002;

struct KSPROPERTY_VIDEOCONTROL_CAPS_S {
    KSPROPERTY Property;
    ULONG StreamIndex;
    ULONG VideoControlCaps;
};
static_assert(sizeof(KSPROPERTY_VIDEOCONTROL_CAPS_S) == 32);

struct KSPROPERTY_VIDEOCONTROL_MODE_S {
    KSPROPERTY Property;
    ULONG StreamIndex;
    LONG Mode;
};
static_assert(sizeof(KSPROPERTY_VIDEOCONTROL_MODE_S) == 32);

struct KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE_S {
    KSPROPERTY Property;
    ULONG StreamIndex;
    ULONG RangeIndex;
    SIZE Dimensions;
    LONGLONG CurrentActualFrameRate;
    LONGLONG CurrentMaxAvailableFrameRate;
};
static_assert(sizeof(KSPROPERTY_VIDEOCONTROL_ACTUAL_FRAME_RATE_S) == 56);

struct KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S {
    KSPROPERTY Property;
    ULONG StreamIndex;
    ULONG RangeIndex;
    SIZE Dimensions;
};
static_assert(sizeof(KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S) == 40);

// Dropped frames.
enum KSPROPERTY_VIDCAP_DROPPEDFRAMES : ULONG { KSPROPERTY_DROPPEDFRAMES_CURRENT = 0 };

struct KSPROPERTY_DROPPEDFRAMES_CURRENT_S {
    KSPROPERTY Property;
    LONGLONG PictureNumber;
    LONGLONG DropCount;
    ULONG AverageFrameSize;
};
static_assert(sizeof(KSPROPERTY_DROPPEDFRAMES_CURRENT_S) == 48);

}  // namespace qm::streamclass
