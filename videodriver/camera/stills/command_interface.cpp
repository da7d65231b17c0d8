#include "videodriver/camera/stills/command_interface.h"

#include "videodriver/camera/register_shadow.h"

namespace qm::morvax {

namespace {

constexpr USHORT kCommandArgument = 0x040B;
constexpr USHORT kCommandCode = 0x040C;
constexpr USHORT kMaster = 0x0410;
constexpr UCHAR kExecute = 0x20;
constexpr UCHAR kReady = 0x80;

constexpr ULONG kReadyPolls = 300;
constexpr LONGLONG kPollInterval = -1000;  // 0.1 ms, relative, in 100 ns units

struct CodeBase {
    UCHAR newLayout;
    UCHAR oldLayout;
};

CodeBase codeBase(StillCommand command)
{
    switch (command) {
    case StillCommand::SetMode: return {0x05, 0x35};
    case StillCommand::PictureTable: return {0x06, 0x36};
    case StillCommand::FreeCount: return {0x08, 0x38};
    case StillCommand::GetStatus: return {0x09, 0x39};
    case StillCommand::SetStatus: return {0x0A, 0x3A};
    case StillCommand::TakePicture: return {0x0B, 0x3B};
    case StillCommand::Download: return {0x0C, 0x3C};
    case StillCommand::DownloadNext: return {0x00, 0x00};
    case StillCommand::FlashWriteId: return {0x0D, 0x3D};
    case StillCommand::FlashReadId: return {0x0E, 0x3E};
    case StillCommand::Delete: return {0x0F, 0x3F};
    }
    return {0x00, 0x00};
}

ULONG execute(MorvaxContext* context)
{
    return DF_WriteBytes(context, kMaster, &kExecute, 1);
}

}  // namespace

ULONG largestCommandNumber(const MorvaxContext* context) { return context->NewFlashLayout ? 0x0FFF : 0x03FF; }

UCHAR stillCommandCode(const MorvaxContext* context, StillCommand command, ULONG number)
{
    const CodeBase base = codeBase(command);
    const ULONG high = (number >> 8) & (context->NewFlashLayout ? 0x0F : 0x03);
    return context->NewFlashLayout ? UCHAR((high << 4) | base.newLayout) : UCHAR((high << 6) | base.oldLayout);
}

ULONG decodeStillCount(const MorvaxContext* context, UCHAR b0, UCHAR b1)
{
    const ULONG shift = context->NewFlashLayout ? 4 : 6;
    return ((ULONG(b0 >> shift) << 8) & 0x0FFF) | b1;
}

ULONG DF_QueryREGMSTR(MorvaxContext* context)
{
    UCHAR master = 0;
    if (!DF_ReadBytes(context, kMaster, &master, 1))
        return 0;
    return (master & kReady) ? 1 : 0;
}

ULONG DF_PollingREGMSTR(MorvaxContext* context)
{
    ULONG ready = 0;
    for (ULONG attempt = 0; attempt < kReadyPolls; ++attempt) {
        ready = DF_QueryREGMSTR(context);
        if (ready)
            break;
        LARGE_INTEGER interval;
        interval.QuadPart = kPollInterval;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
    }
    return ready;
}

ULONG sendOneByteCommand(MorvaxContext* context, UCHAR code)
{
    if (!DF_PollingREGMSTR(context))
        return 0;
    if (!DF_WriteBytes(context, kCommandCode, &code, 1))
        return 0;
    return execute(context);
}

ULONG sendTwoByteCommand(MorvaxContext* context, UCHAR argument, UCHAR code)
{
    if (!DF_PollingREGMSTR(context))
        return 0;
    const UCHAR bytes[2] = {argument, code};
    if (!DF_WriteBytes(context, kCommandArgument, bytes, 2))
        return 0;
    return execute(context);
}

ULONG sendNumberedCommand(MorvaxContext* context, StillCommand command, ULONG number)
{
    // A number the code byte cannot carry would reach another picture.
    if (!ensureFlashLayout(context) || number > largestCommandNumber(context))
        return 0;
    return sendTwoByteCommand(context, UCHAR(number & 0xFF), stillCommandCode(context, command, number));
}

ULONG readStillResult(MorvaxContext* context, UCHAR (&result)[2])
{
    return DF_ReadBytes(context, kCommandArgument, result, 2);
}

}  // namespace qm::morvax
