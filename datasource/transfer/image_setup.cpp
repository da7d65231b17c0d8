// Image information and layout, memory setup, the transfer group and JPEG
// compression: what the application asks before it pulls a picture.
#include "datasource/transfer/picture.h"
#include "datasource/transfer/transfer_handlers.h"
#include "platform/system/byte_order.h"

namespace qm::ds {

TW_UINT16 handleImageInfo(SourceRecord& record, const Triplet& call)
{
    if (record.state != STATE_XFERREADY)
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    if (!querySize(record))
        return fail(record, TWCC_BADPROTOCOL);

    auto* info = static_cast<TW_IMAGEINFO*>(call.data);
    info->XResolution = TW_FIX32{-1, 0};  // not available
    info->YResolution = TW_FIX32{-1, 0};
    info->ImageWidth = record.transfer.width;
    info->ImageLength = record.transfer.height;
    info->SamplesPerPixel = 3;
    info->BitsPerSample[0] = 8;
    info->BitsPerSample[1] = 8;
    info->BitsPerSample[2] = 8;
    info->BitsPerSample[3] = 0;
    info->BitsPerPixel = TW_INT16(record.transfer.bitsPerPixel);
    info->Planar = TW_FALSE;
    info->PixelType = TWPT_RGB;
    info->Compression = TWCP_NONE;
    return TWRC_SUCCESS;
}

TW_UINT16 handleImageLayout(SourceRecord& record, const Triplet& call)
{
    switch (call.message) {
    case MSG_GET:
    case MSG_GETDEFAULT: {
        if (!isSessionOpen(record.state))
            return fail(record, TWCC_BADPROTOCOL);
        if (call.data == nullptr)
            return fail(record, TWCC_BADVALUE);
        // The frame is the whole picture of the last size query, in pixels.
        auto* layout = static_cast<TW_IMAGELAYOUT*>(call.data);
        layout->Frame.Left = TW_FIX32{0, 0};
        layout->Frame.Top = TW_FIX32{0, 0};
        layout->Frame.Right = TW_FIX32{TW_INT16(record.transfer.width), 0};
        layout->Frame.Bottom = TW_FIX32{TW_INT16(record.transfer.height), 0};
        layout->DocumentNumber = 1;
        layout->PageNumber = 1;
        layout->FrameNumber = 1;
        return TWRC_SUCCESS;
    }
    case MSG_SET:
    case MSG_RESET:
        return fail(record, record.state == STATE_OPEN ? TWCC_BADVALUE : TWCC_BADPROTOCOL);
    default:
        return fail(record, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 handleSetupMemoryTransfer(SourceRecord& record, const Triplet& call)
{
    if (!isSessionOpen(record.state))
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    // One row is the least, the whole picture the most, a quarter of it the
    // preferred size.
    const auto oneRow = TW_UINT32(std::uint32_t(record.transfer.width) * record.transfer.bitsPerPixel / 8);
    auto* setup = static_cast<TW_SETUPMEMXFER*>(call.data);
    setup->MinBufSize = oneRow;
    setup->MaxBufSize = oneRow * TW_UINT32(record.transfer.height);
    setup->Preferred = setup->MaxBufSize / 4;
    return TWRC_SUCCESS;
}

TW_UINT16 handleTransferGroup(SourceRecord& record, const Triplet& call)
{
    if (!isSessionOpen(record.state))
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    // Only the low half of the 32-bit value is the source's to write.
    sys::writeLe16(static_cast<std::uint8_t*>(call.data), std::uint16_t(DG_IMAGE));
    return TWRC_SUCCESS;
}

TW_UINT16 handleJpegCompression(SourceRecord& record, const Triplet& call)
{
    if (!isSessionOpen(record.state))
        return fail(record, TWCC_SEQERROR);
    // No JPEG compression is offered; the requests succeed untouched.
    switch (call.message) {
    case MSG_GET:
    case MSG_GETDEFAULT:
    case MSG_SET:
    case MSG_RESET:
        return TWRC_SUCCESS;
    default:
        return fail(record, TWCC_BADPROTOCOL);
    }
}

}  // namespace qm::ds
