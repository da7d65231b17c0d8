// The dual-mode camera's still-camera functions: the pictures in its flash
// memory (count, free room, table, delete, take, download), its status and
// mode, firmware version and flash chip, and the snapshots of the live
// video. Each returns 1 on success and 0 on failure unless it says
// otherwise. Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// --- commands (command_interface.h has the ready handling) ---
ULONG DF_FlashReadID(MorvaxContext* context);
ULONG DF_FlashWriteID(MorvaxContext* context);
ULONG DF_FlashDeletePic(MorvaxContext* context, ULONG picture);
// The picture count into context->PictureCount; the default register
// image is loaded again afterwards.
ULONG DF_GetTotalPictures(MorvaxContext* context);
// The firmware version (0 when it cannot be read).
ULONG DF_GetFwVersion(MorvaxContext* context);
ULONG DF_TakeSnapshot(MorvaxContext* context);
ULONG DF_SetDSCStatus(MorvaxContext* context, UCHAR status);
ULONG DF_GetDSCStatus(MorvaxContext* context, PUCHAR status);
ULONG DF_GetFreePictures(MorvaxContext* context, PULONG freePictures);
ULONG DF_SetDSCMode(MorvaxContext* context);

// --- the picture table (picture_table.cpp) ---
// Probes the table's size and the camera's command layout; the size in
// entries, 0 on failure.
ULONG DF_GetPicTableSize(MorvaxContext* context);
// Reads the whole table into the context; 1 when every entry arrived.
ULONG DF_GetPicTable(MorvaxContext* context);

// --- flash memory (flash_memory.cpp) ---
// Reads the flash chip's identification and records its size (megabytes)
// in the context and as FlashMemSize in the settings key.
ULONG UpdateFlashMemSize(MorvaxContext* context);

// --- downloads through the still pin (still_download.cpp) ---
// Picture download mode: by number (`byNumber`) or in sequence from
// picture 1. Refreshes the flash size and reads the picture table; 1 when
// the table was read.
ULONG setPictureDownloadMode(MorvaxContext* context, BOOLEAN byNumber);
// The picture to download (by number), which is also the current one.
VOID selectPicture(MorvaxContext* context, ULONG picture);
// (Capture start on the still pin asks for the picture(s) with
// DF_SendPictureRequest, still_hooks.h.)

// --- snapshots (snapshots.cpp) ---
// Records whether the snapshot button was seen (SnapShot in the settings key).
VOID SetHWSnapshotReg(MorvaxContext* context, BOOLEAN on);
// Asks the video path for a copy of its next good frame and waits until it
// is taken, up to kSoftwareSnapshotWaitMs; STATUS_INVALID_DEVICE_STATE while no
// video stream is open, STATUS_IO_DEVICE_ERROR when no frame came in time.
NTSTATUS requestSoftwareSnapshot(MorvaxContext* context);
inline constexpr ULONG kSoftwareSnapshotWaitMs = 5000;
// The last snapshot as a packed bitmap (40-byte header, bottom-up rows of
// B, G, R) into `destination`, which holds `capacity` bytes. Sets
// *written; STATUS_BUFFER_TOO_SMALL (nothing written) when it does not
// fit, STATUS_NO_DATA_DETECTED when there is no snapshot, STATUS_DEVICE_DATA_ERROR
// when it does not decode.
NTSTATUS SaveSWSnapshot(MorvaxContext* context, PUCHAR destination, ULONG capacity, PULONG written);

}  // namespace qm::morvax
