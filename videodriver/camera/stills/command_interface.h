// The camera's still-camera command interface: a command's code byte goes
// to 040C (with its argument in 040B for two-byte commands), a write of 20
// to 0410 runs it, and 0410 bit 7 reads 1 once the camera is ready again.
// Results come back in 040B-040C.
//
// Two firmware generations lay the code byte out differently (the context's
// new-layout flag says which one the camera has): the new layout keeps the
// command in the low nibble and bits 8-11 of a picture number in the high
// nibble, the old layout the command in the low six bits and bits 8-9 of
// the number in the top two.
//
// The strobes and results are command traffic, not register settings: they
// go to the camera without passing through the register image. Passive
// level only (the waits sleep).
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

enum class StillCommand : UCHAR {
    SetMode,
    PictureTable,  // the table window from entry n
    FreeCount,
    GetStatus,
    SetStatus,
    TakePicture,
    Download,      // picture n
    DownloadNext,  // pictures n, n + 1, ...
    FlashWriteId,
    FlashReadId,
    Delete,        // picture n
};

inline constexpr UCHAR kFirmwareVersionCode = 0x34;  // the same in both layouts
inline constexpr UCHAR kOldTableSizeCode = 0x37;

// The highest picture number or table entry a code byte can carry.
ULONG largestCommandNumber(const MorvaxContext* context);

// The code byte of a command for picture or entry `number` (bits above
// those the layout carries are not sent: callers check largestCommandNumber).
UCHAR stillCommandCode(const MorvaxContext* context, StillCommand command, ULONG number);

// A count read back as b0 (040B) and b1 (040C).
ULONG decodeStillCount(const MorvaxContext* context, UCHAR b0, UCHAR b1);

// 0410 bit 7 (0 also when the register cannot be read).
ULONG DF_QueryREGMSTR(MorvaxContext* context);
// Asks up to 300 times, 0.1 ms apart; the last answer.
ULONG DF_PollingREGMSTR(MorvaxContext* context);

// Waits for ready, then sends the code byte (and argument) and runs the
// command. 1 when it was sent and run, 0 otherwise.
ULONG sendOneByteCommand(MorvaxContext* context, UCHAR code);
ULONG sendTwoByteCommand(MorvaxContext* context, UCHAR argument, UCHAR code);
// Probes the camera's layout unless that was done (picture_table.cpp): a
// picture number or count read in the wrong layout names another picture.
ULONG ensureFlashLayout(MorvaxContext* context);

// Sends a numbered command (two bytes: the number's low byte and the code)
// once the layout is known; 0 without sending when the number does not fit
// the layout.
ULONG sendNumberedCommand(MorvaxContext* context, StillCommand command, ULONG number);

// 040B-040C after a command.
ULONG readStillResult(MorvaxContext* context, UCHAR (&result)[2]);

}  // namespace qm::morvax
