// The Morvax driver's device properties as applications use them: the
// private ids of the CameraControl set, the driver's own set and the record
// of its snapshot-bitmap request. (The VideoProcAmp and VideoControl ids
// are the platform's, ks_video.h.)
#pragma once

#include "platform/streamclass/ks.h"

namespace qm::morvax {

using qm::kernel::GUID;
using qm::kernel::ULONG;
using qm::kernel::ULONGLONG;
using qm::streamclass::KSPROPERTY;

// {C8C3E780-31FB-11D2-AE0B-00104BC977E9}
inline constexpr GUID PROPSETID_MORVAX_CUSTOM{0xC8C3E780, 0x31FB, 0x11D2,
                                             {0xAE, 0x0B, 0x00, 0x10, 0x4B, 0xC9, 0x77, 0xE9}};

// CameraControl, private ids. Values travel in the 40-byte record's value
// field.
enum MorvaxCameraControl : ULONG {
    kCamSelectRegister = 101,   // set: the register 102 reads and writes (shared with the custom set)
    kCamRegister = 102,         // the selected register's byte
    kCamDeletePicture = 105,    // get: command interface ready; set: delete picture n
    kCamDownloadMode = 106,     // set: 0 in sequence from picture 1, else by number
    kCamPictureCount = 107,     // get
    kCamDownloadPicture = 108,  // set: the picture to download by number
    kCamTakePicture = 109,      // get: ready after waiting; set: take a picture
    kCamStatus = 110,           // the camera's status byte
    kCamFreePictures = 111,     // get
    kCamStillMode = 112,        // set: enter still-camera mode
    kCamFirmwareVersion = 113,  // get
    kCamReady = 114,            // get: command interface ready
    kCamSaturation = 201,
    kCamContrast = 202,
    kCamSharpness = 203,
    kCamGamma = 204,
    kCamAWBEnable = 205,
    kCamRedGain = 206,
    kCamGreenGain = 207,
    kCamBlueGain = 208,
    kCamAEEnable = 209,
    kCamBrightness = 210,
    kCamLightSource = 211,        // 0 office, 1 home, 2 outdoors
    kCamColorTemperature = 212,   // set: store the white point for the light source
    kCamFlickerless = 213,
    kCamAGCEnable = 214,          // set only
    kCamVendorId = 215,           // get
    kCamProductId = 216,          // get
};

// The driver's own set.
enum MorvaxCustomProperty : ULONG {
    kCustomSelectRegister = 101,
    kCustomRegister = 102,
    kCustomCameraMode = 103,
    kCustomSnapshot = 104,        // get: 1 when none is pending; set: take one of the live video and wait
    kCustomSnapshotBitmap = 105,  // set: the last snapshot as a bitmap (SnapshotBitmapRequest)
    kCustomFlashWriteId = 106,
    kCustomFlashReadId = 107,
};

// The value record of custom id 105: where the bitmap goes. The driver
// writes a 40-byte bitmap header and the bottom-up rows behind it, and
// refuses (STATUS_BUFFER_TOO_SMALL) a buffer that cannot hold them all.
struct SnapshotBitmapRequest {
    KSPROPERTY Property;
    ULONGLONG Address;  // the caller's buffer, valid for writing during the request
    ULONG BufferSize;   // its size in bytes
    ULONG BytesWritten;
};
static_assert(sizeof(SnapshotBitmapRequest) == 40);

}  // namespace qm::morvax
