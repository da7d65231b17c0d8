// Stand-in for the still-camera functions while videodriver/camera/stills is
// not part of the build: no picture command, only the start strobe, so a
// camera that has no download armed sends nothing. The stills folder
// replaces this file (CMakeLists.txt leaves it out once that folder exists).
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/still_hooks.h"

namespace qm::morvax {

ULONG DF_SendPictureRequest(MorvaxContext* context)
{
    constexpr UCHAR kStillStart = 0xD6;
    constexpr UCHAR kStillDownloadStrobe = 0x26;
    context->StillDownloadFailed = 0;
    return DF_WriteRegister(context, 0x041B, kStillStart) && DF_WriteRegister(context, 0x0410, kStillDownloadStrobe);
}

}  // namespace qm::morvax
