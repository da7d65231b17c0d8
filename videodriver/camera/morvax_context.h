// MorvaxContext: the camera layer's per-device state. It sits in the device
// extension right behind the engine's DeviceExtension; the engine hands a
// pointer to it to every camera callback. The stream class allocates it
// zero-filled; MORVAX_Configure gives the fields their working defaults
// (morvaxSetDefaults). Every later part of the camera layer (frames,
// exposure, colour, properties, still pictures) keeps its state here.
//
// All fields are 32 bits wide unless a width is given.
#pragma once

#include <type_traits>

#include "videodriver/engine/driver_platform.h"

namespace qm::morvax {


// "MRVX" in memory order.
inline constexpr ULONG kMorvaxContextSignature = 0x5856524D;

// Settings path and identification string lengths, in characters.
inline constexpr ULONG kRegistryPathChars = 96;
inline constexpr ULONG kDeviceIdChars = 20;

// Buffer sizes of the frame paths.
inline constexpr ULONG kJpegHeaderSize = 613;  // the template of videodriver/jpeg/jpeg_header.h
inline constexpr ULONG kLastFrameSize = 614400;
inline constexpr ULONG kDecodeScratchSize = 1228800;

// Output compression codes.
inline constexpr ULONG kCompressionRgb24 = 0;
inline constexpr ULONG kCompressionMjpg = 0x47504A4D;  // 'MJPG' as a FourCC

inline constexpr ULONG kLightSources = 3;  // office, home, outdoors

struct MorvaxContext {
    ULONG Signature;

    // --- identity ---
    PUSBD_INTERFACE_INFORMATION InterfaceInformation;  // pool copy, freed at uninitialise
    WCHAR RegistryPath[kRegistryPathChars];            // settings key
    WCHAR DeviceId[kDeviceIdChars];                    // "VID_0000&PID_0000"
    USHORT VendorId;
    USHORT ProductId;
    UCHAR RegistryPathFound;
    UCHAR NewFlashLayout;

    // --- stream ---
    ULONG Width;
    ULONG Height;
    ULONG FrameRateIndex;     // 0..7
    ULONG OutputCompression;  // kCompressionMjpg or kCompressionRgb24
    UCHAR StillMode;          // 1 while the still pin is open
    UCHAR StreamOpened;
    ULONG AlternateSetting;   // the last bandwidth grant

    // --- buffers (non-paged pool) ---
    PUCHAR JpegHeader;     // kJpegHeaderSize
    PUCHAR LastFrame;      // kLastFrameSize
    ULONG LastFrameLength; // bytes of the JPEG kept in LastFrame (0: none)
    PUCHAR DecodeScratch;  // kDecodeScratchSize

    // --- frame statistics ---
    ULONG EndOfFrame;      // the previous packet ended a frame
    ULONG FrameValid;
    ULONG BadPacketCount;
    ULONG RunningTotal;    // bytes of the frame being received
    ULONG AnnouncedSize;   // 4n + 2 from the trailer, 0 for a rejected frame
    ULONG GoodFrames;
    ULONG DeliveredFrames;
    ULONG BadFrames;

    // --- sensor ---
    ULONG CCDType;  // 0..3
    ULONG CDSType;  // 0..8
    ULONG GPIOState;
    PUCHAR DefaultRegTable;  // the driver-wide default image in use (register_shadow.h)

    // --- picture ---
    ULONG Saturation;
    ULONG Contrast;
    ULONG Sharpness;
    ULONG Hue;
    ULONG GammaIndex;
    ULONG Brightness;
    ULONG RedGain;
    ULONG GreenGain;
    ULONG BlueGain;
    UCHAR Mirror;
    UCHAR Flip;
    ULONG RGBUpperBound;

    // --- white balance ---
    ULONG AWBEnable;
    ULONG AWBRate;
    ULONG AWBFrameCounter;
    ULONG AWBWindowMode;
    ULONG LightSource;                        // 0 office, 1 home, 2 outdoors
    ULONG ColorTemperature[kLightSources];    // red factor << 16 | blue factor
    ULONG AWBRedUpperBound;
    ULONG AWBRedLowerBound;
    ULONG AWBBlueUpperBound;
    ULONG AWBBlueLowerBound;
    UCHAR AWBHistory[8];                      // red h0..h3, blue h0..h3

    // --- exposure ---
    ULONG AEEnable;
    ULONG AESettleCounter;
    ULONG AERate;
    ULONG AEFrameCounter;
    ULONG AEActive;
    ULONG LuminanceAverage;
    ULONG AEThresholdWide;
    ULONG AEThresholdNarrow;
    LONG EvOffset;
    LONG Shutter;
    ULONG SmallStep;
    ULONG BigStep;
    LONG Gain;
    LONG GainMin;
    LONG GainMax;
    ULONG YGain;
    ULONG YGainCeiling;
    ULONG BrightnessMin;
    ULONG BrightnessMax;
    ULONG Flickerless;
    ULONG AGCEnable;
    ULONG OBLeakMax;
    ULONG OBLeakMin;
    USHORT AETarget;
    UCHAR GainMode;
    UCHAR BackLight;

    // --- properties and persisted settings ---
    ULONG DefaultVidFormat;  // size index 0..4
    ULONG MinFrameRate[5];   // MinFRQSIF, MinFRQCIF, MinFRSIF, MinFRCIF, MinFRVGA by size index
    ULONG FirstAltSetting;
    UCHAR FirstSave;         // no power-up since configure
    UCHAR CameraMode;        // still-camera mode switch used at capture start

    // --- still camera ---
    UCHAR ManualGamma;
    UCHAR HardwareSnapshot;       // the snapshot button was seen
    UCHAR SoftwareSnapshot;       // a snapshot of the live video is requested
    UCHAR StillDownloadFailed;
    ULONG SnapshotFrameCounter;
    ULONG PictureCount;
    ULONG CurrentPicture;
    ULONG RequestedPicture;
    UCHAR DownloadByNumber;
    UCHAR PictureTableValid;
    ULONG PictureTableSize;       // entries
    PUSHORT PictureTable;         // pool, PictureTableSize entries
    ULONG FlashMemSize;           // megabytes
    ULONG QFactor[5];             // JPEG quality overrides by size index (QFactor160 .. QFactor640)
    UCHAR PictureTableStale;      // pictures were taken or deleted since the table was read
    UCHAR FlashLayoutKnown;       // the command layout was probed (NewFlashLayout holds it)
};

// The camera's part of every read: whether the frame it received was
// whole. Frames are checked when they end but converted later, by which
// time the packets of the next frame may have changed the context's flag.
struct MorvaxFrameContext {
    ULONG FrameValid;
};
inline constexpr ULONG kFrameContextSize = sizeof(MorvaxFrameContext);

// The stream class hands out raw zero-filled memory: no constructors.
static_assert(std::is_trivial_v<MorvaxContext> && std::is_standard_layout_v<MorvaxContext>);

// Size indices of the five frame sizes (the format table's order).
enum SizeIndex : ULONG { kSize160x120 = 0, kSize176x144 = 1, kSize320x240 = 2, kSize352x288 = 3, kSize640x480 = 4 };
inline constexpr ULONG kSizeCount = 5;

// The defaults MORVAX_Configure starts from; buffers and the interface copy
// are left alone.
void morvaxSetDefaults(MorvaxContext* context);

}  // namespace qm::morvax
