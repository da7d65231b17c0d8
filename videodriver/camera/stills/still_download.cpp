// Pictures through the still pin: capture start asks the camera for one
// picture by number or for all of them from the current one on; the
// camera then sends each like a video frame (the frame path names each
// one from the picture table).
#include "videodriver/camera/still_hooks.h"
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax {

namespace {

constexpr USHORT kStillStart = 0x041B;
constexpr USHORT kMaster = 0x0410;
constexpr UCHAR kStillStartByte = 0xD6;
constexpr UCHAR kStillStrobe = 0x26;  // execute and run, still mode

}  // namespace

ULONG setPictureDownloadMode(MorvaxContext* context, BOOLEAN byNumber)
{
    UpdateFlashMemSize(context);
    context->DownloadByNumber = byNumber ? 1 : 0;
    if (!byNumber)
        context->CurrentPicture = 1;
    context->PictureTableValid = 0;
    context->PictureTableValid = UCHAR(DF_GetPicTable(context));
    return context->PictureTableValid;
}

VOID selectPicture(MorvaxContext* context, ULONG picture)
{
    context->RequestedPicture = picture;
    context->CurrentPicture = picture;
}

ULONG DF_SendPictureRequest(MorvaxContext* context)
{
    context->StillDownloadFailed = 0;
    ULONG sent;
    if (context->DownloadByNumber) {
        context->CurrentPicture = context->RequestedPicture;
        sent = sendNumberedCommand(context, StillCommand::Download, context->CurrentPicture);
    } else {
        sent = sendNumberedCommand(context, StillCommand::DownloadNext, context->CurrentPicture);
    }
    if (!sent)
        return 0;
    return DF_WriteBytes(context, kStillStart, &kStillStartByte, 1) && DF_WriteBytes(context, kMaster, &kStillStrobe, 1);
}

}  // namespace qm::morvax
