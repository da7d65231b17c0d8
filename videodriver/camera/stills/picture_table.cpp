// The picture table: one 16-bit entry per stored picture, read through a
// window at 1052 twenty entries at a time. Its size probe also tells the
// two command layouts apart: the new layout answers code 07 with the size,
// the old one does not know the code and leaves what was written, 00 07.
// A new-layout camera holding exactly seven pictures answers 00 07 too and
// is taken for an old one until the table is read again at another count;
// its numbered commands then name pictures 768 and up, which it does not
// have, so nothing is lost (docs/HARDENING.md).
#include "videodriver/camera/register_shadow.h"
#include "videodriver/camera/stills/command_interface.h"
#include "videodriver/camera/stills/still_camera.h"

namespace qm::morvax {

namespace {

constexpr USHORT kTableWindow = 0x1052;
constexpr ULONG kEntriesPerChunk = 20;
constexpr ULONG kTriesPerChunk = 3;
constexpr UCHAR kSizeProbeCode = 0x07;
// The most entries either layout can report.
constexpr ULONG kMostEntries = 0x0FFF;

ULONG probe(MorvaxContext* context, UCHAR (&answer)[2])
{
    return sendTwoByteCommand(context, 0x00, kSizeProbeCode) && DF_PollingREGMSTR(context) &&
           readStillResult(context, answer);
}

ULONG readChunk(MorvaxContext* context, ULONG first, ULONG entries)
{
    for (ULONG attempt = 0; attempt < kTriesPerChunk; ++attempt) {
        if (!sendNumberedCommand(context, StillCommand::PictureTable, first) || !DF_PollingREGMSTR(context))
            continue;
        UCHAR bytes[kEntriesPerChunk * 2];
        if (!DF_ReadBytes(context, kTableWindow, bytes, entries * 2))
            continue;
        bool complete = true;
        for (ULONG i = 0; i < entries; ++i) {
            const USHORT entry = USHORT(bytes[2 * i] | bytes[2 * i + 1] << 8);
            complete = complete && entry != 0;
            context->PictureTable[first + i] = entry;
        }
        if (complete)
            return 1;
    }
    return 0;
}

VOID freeTable(MorvaxContext* context)
{
    if (context->PictureTable != nullptr)
        freePool(context->PictureTable);
    context->PictureTable = nullptr;
    context->PictureTableSize = 0;
}

}  // namespace

ULONG ensureFlashLayout(MorvaxContext* context)
{
    if (!context->FlashLayoutKnown)
        DF_GetPicTableSize(context);
    return context->FlashLayoutKnown;
}

ULONG DF_GetPicTableSize(MorvaxContext* context)
{
    UCHAR answer[2];
    if (!probe(context, answer))
        return 0;
    if (answer[0] == 0x00 && answer[1] == kSizeProbeCode) {
        context->NewFlashLayout = 0;
        context->FlashLayoutKnown = 1;
        UCHAR size[2];
        if (!sendOneByteCommand(context, kOldTableSizeCode) || !DF_PollingREGMSTR(context) ||
            !readStillResult(context, size))
            return 0;
        return ULONG(size[0] / 64) * 256 + size[1];
    }
    context->NewFlashLayout = 1;
    context->FlashLayoutKnown = 1;
    return ULONG(answer[0] / 16) * 256 + answer[1];
}

ULONG DF_GetPicTable(MorvaxContext* context)
{
    // Pictures taken or deleted since the last read change the size.
    if (context->PictureTableStale)
        freeTable(context);
    if (context->PictureTableSize == 0) {
        const ULONG size = DF_GetPicTableSize(context);
        if (size == 0 || size > kMostEntries)
            return 0;
        context->PictureTable = static_cast<PUSHORT>(allocatePool(size * sizeof(USHORT)));
        if (context->PictureTable == nullptr)
            return 0;
        context->PictureTableSize = size;
        context->PictureTableStale = 0;
    }
    const ULONG size = context->PictureTableSize;
    for (ULONG first = 0; first < size; first += kEntriesPerChunk) {
        const ULONG entries = size - first < kEntriesPerChunk ? size - first : kEntriesPerChunk;
        if (!readChunk(context, first, entries))
            return 0;
    }
    return 1;
}

}  // namespace qm::morvax
