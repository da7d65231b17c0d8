#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax {

namespace {

constexpr USHORT kMaster = 0x0410;
constexpr UCHAR kEnableBit = bitField(1, 0);

ULONG oneByte(MorvaxContext* context, StillCommand command)
{
    return sendOneByteCommand(context, stillCommandCode(context, command, 0));
}

// The answer of a command that reports a count in 040B-040C (the layout
// was made known before the command went out).
ULONG readCount(MorvaxContext* context, PULONG count)
{
    UCHAR result[2];
    if (!DF_PollingREGMSTR(context) || !readStillResult(context, result))
        return 0;
    *count = decodeStillCount(context, result[0], result[1]);
    return 1;
}

}  // namespace

ULONG DF_FlashReadID(MorvaxContext* context)
{
    return oneByte(context, StillCommand::FlashReadId) ? DF_PollingREGMSTR(context) : 0;
}

ULONG DF_FlashWriteID(MorvaxContext* context)
{
    return oneByte(context, StillCommand::FlashWriteId) ? DF_PollingREGMSTR(context) : 0;
}

ULONG DF_FlashDeletePic(MorvaxContext* context, ULONG picture)
{
    if (!sendNumberedCommand(context, StillCommand::Delete, picture))
        return 0;
    // The pictures behind it moved up: the table must be read again.
    context->PictureTableStale = 1;
    return DF_PollingREGMSTR(context);
}

ULONG DF_GetTotalPictures(MorvaxContext* context)
{
    if (!ensureFlashLayout(context))
        return 0;
    // Enabling the controller makes the camera latch its picture count.
    DR_SetBits(kMaster, kEnableBit, 1);
    if (!NT_SUCCESS(DR_WriteRegister(context, kMaster, 1)))
        return 0;
    ULONG count = 0;
    const ULONG done = readCount(context, &count);
    if (done)
        context->PictureCount = count;
    DR_LoadDefaultTable(context);
    return done;
}

ULONG DF_GetFwVersion(MorvaxContext* context)
{
    UCHAR result[2];
    if (!sendOneByteCommand(context, kFirmwareVersionCode) || !DF_PollingREGMSTR(context) ||
        !readStillResult(context, result))
        return 0;
    const ULONG b0 = result[0];
    const ULONG b1 = result[1];
    return (b0 >> 6) << 16 | (b0 & 0x38) << 5 | (b1 & 0xC0) | (b0 & 0x07);
}

ULONG DF_TakeSnapshot(MorvaxContext* context)
{
    if (!oneByte(context, StillCommand::TakePicture))
        return 0;
    context->PictureTableStale = 1;
    return 1;
}

ULONG DF_SetDSCStatus(MorvaxContext* context, UCHAR status)
{
    const UCHAR code = stillCommandCode(context, StillCommand::SetStatus, 0);
    return sendTwoByteCommand(context, status, code) ? DF_PollingREGMSTR(context) : 0;
}

ULONG DF_GetDSCStatus(MorvaxContext* context, PUCHAR status)
{
    UCHAR result[2];
    if (!oneByte(context, StillCommand::GetStatus) || !DF_PollingREGMSTR(context) ||
        !readStillResult(context, result))
        return 0;
    *status = result[1];
    return 1;
}

ULONG DF_GetFreePictures(MorvaxContext* context, PULONG freePictures)
{
    if (!ensureFlashLayout(context) || !oneByte(context, StillCommand::FreeCount))
        return 0;
    return readCount(context, freePictures);
}

ULONG DF_SetDSCMode(MorvaxContext* context) { return oneByte(context, StillCommand::SetMode); }

}  // namespace qm::morvax
